#include "memory_file.h"

#include "memory_format.h"

#include <chrono>
#include <utility>

namespace gorvandel {

namespace {

Outcome cannotKeep(const std::string& name, const std::error_code& error)
{
    return {"cannot keep a memory in " + name + ": " + error.message()};
}

Outcome cannotRead(const std::string& name, const std::error_code& error)
{
    return {"cannot read memory file " + name + ": " + error.message()};
}

// A folder named as the memory says so as reading it would.
Outcome refused(const std::string& name, const std::error_code& error)
{
    return error == std::errc::is_a_directory ? cannotRead(name, error) : cannotKeep(name, error);
}

// The first folder on name's way that is not there, as name writes it;
// empty when none is missing.
std::string missingFolder(const std::string& name)
{
    for (std::size_t end = name.find_first_of(PATH_SEPARATORS, 1); end != std::string::npos;
         end = name.find_first_of(PATH_SEPARATORS, end + 1)) {
        FilePlace place;
        const std::string folder = name.substr(0, end);
        if (!findFile(folder, place) && stateOf(place) == FileState::Missing) {
            return folder;
        }
    }
    return {};
}

// A memory is kept only in a folder that exists. A name that starts with
// "~/" reaches the program so only when the shell did not expand it, as
// after "--memory=".
Outcome noFolder(const std::string& name, const std::string& folder)
{
    const std::string start = "cannot keep a memory in " + name + ": ";
    if (folder[0] != '~' || folder.find_first_of(PATH_SEPARATORS) != std::string::npos) {
        return {start + "the folder " + folder + " does not exist (gorvandel does not make it)"};
    }
    if (folder != "~") {
        // ~NAME is left alone as well where no user NAME exists.
        return {start + folder + " was not expanded, which the shell does only at the start of a word and for a " +
                "user that exists: write --memory " + name};
    }
    return {start + "~ was not expanded, which the shell does only at the start of a word: write --memory " + name +
            " or --memory=$HOME" + name.substr(1)};
}

// Finds the memory and judges it, as a session and a look both do.
Outcome findMemory(const std::string& name, FilePlace& place)
{
    std::error_code error = findFile(name, place);
    if (!error) {
        error = checkKeepable(place);
    }
    // Found out by name: where folders on the way are missing the system names none of them.
    if (error == std::errc::no_such_file_or_directory || (!error && stateOf(place) == FileState::Missing)) {
        if (const std::string folder = missingFolder(name); !folder.empty()) {
            return noFolder(name, folder);
        }
    }
    return error ? refused(name, error) : Outcome();
}

// What a save left: never an empty file, which is the user's.
bool isWholeMemory(const std::string& bytes)
{
    const MemoryText text = parseMemory(bytes);
    return text.problem.empty() && !text.empty;
}

bool fitsWhenSaved(const std::vector<UnknownLine>& unknown)
{
    const Learning widest{std::vector<Weight>(PLAIN_ACTION_COUNT, WEIGHT_MIN),
                          std::vector<Weight>(ARGUMENT_ACTION_COUNT, WEIGHT_MIN)};
    return formatMemory(widest, keptLines(unknown)).size() <= MEMORY_FILE_LIMIT;
}

// Says each line that names no action this version knows, once, where it is read.
Outcome unknownLinesSaid(const std::string& name, const MemoryText& text)
{
    Outcome read;
    for (const UnknownLine& line : text.unknown) {
        read.notices.push_back(name + ":" + unknownLineNotice(line));
    }
    return read;
}

// Reads the memory at place into text: all zero, and exists false, when
// there is no file there; bytes are what it holds.
Outcome readLearning(const std::string& name, const FilePlace& place, MemoryText& text, bool& exists,
                     std::string& bytes)
{
    const std::error_code error = readFile(place, MEMORY_FILE_LIMIT, bytes);
    exists = error != std::errc::no_such_file_or_directory;
    if (error && exists) {
        return cannotRead(name, error);
    }
    text = exists ? parseMemory(bytes) : MemoryText();
    if (!text.problem.empty()) {
        return {name + ":" + std::to_string(text.problemLine) + ": " + text.problem};
    }
    // A save adds a line for every action to the kept ones: one that would
    // not be read back is refused now.
    if (!fitsWhenSaved(text.unknown)) {
        return cannotRead(name, std::make_error_code(std::errc::file_too_large));
    }
    return unknownLinesSaid(name, text);
}

// Locks the memory for this run with FILE.lock beside it.
Outcome lockMemory(MemoryFile& memory)
{
    const std::error_code error = FileLock::take(memory.file, std::chrono::milliseconds(0), memory.lock);
    const FilePlace lockFile = lockPlace(memory.file);
    if (!error) {
        return {};
    }
    if (error == FileRefusal::InUse) {
        return {memory.name + " is in use by another gorvandel"};
    }
    if (error == std::errc::filename_too_long) {
        return {"cannot keep a memory in " + memory.name + ": the name is too long to keep a lock file (" +
                lockFile.path + ") beside it"};
    }
    if (error == FileRefusal::OthersLock) {
        return {"cannot use the lock file " + lockFile.path + ": " + error.message() + " (" + ownerOf(lockFile) + ")"};
    }
    if (stateOf(lockFile) != FileState::Missing) {
        return {"cannot use the lock file " + lockFile.path + ": " + error.message()};
    }
    return cannotKeep(memory.name, error);
}

// Under the lock: puts back a save a crash left beside a missing file,
// reads the memory (again where a save was put in place), and makes sure a
// save can be made beside it.
Outcome takeUp(MemoryFile& memory)
{
    // A file that is no memory is refused before anything beside it is
    // touched: a save left there may be the only whole copy.
    bool exists = false;
    MemoryText text;
    Outcome read = readLearning(memory.name, memory.file, text, exists, memory.savedText);
    std::string recovered;
    if (!read) {
        return read;
    }
    if (const std::error_code error = recoverLeftovers(memory.file, isWholeMemory, recovered)) {
        return cannotKeep(memory.name, error);
    }
    // A save put in place of a missing file is what is read.
    if (!recovered.empty() && !(read = readLearning(memory.name, memory.file, text, exists, memory.savedText))) {
        return read;
    }
    memory.saved = std::move(text.learned);
    memory.unknownLines = keptLines(text.unknown);
    // Found out now, not at the first save after an hour of teaching.
    if (const std::error_code error = checkCanSave(memory.file)) {
        return cannotKeep(memory.name, error);
    }
    if (!recovered.empty()) {
        read.notices.insert(read.notices.begin(),
                            memory.name + " was missing: put in place the last save found beside it, " + recovered);
    }
    return read;
}

bool sameWeights(const Learning& learned, const OperatingSystem& persona)
{
    return learned.plain == persona.weights(ActionKind::Plain) &&
           learned.argument == persona.weights(ActionKind::Argument);
}

// A lock file someone removed or replaced lets another run in, whose saves
// and this one's would undo each other. The lock is taken again only where
// nobody holds it now and the file is still what this run last saved.
std::error_code keepLock(MemoryFile& memory)
{
    if (memory.lock.stillOurs()) {
        return {};
    }
    FileLock again;
    std::string bytes;
    if (FileLock::take(memory.file, std::chrono::milliseconds(0), again) ||
        (readFile(memory.file, MEMORY_FILE_LIMIT, bytes) && stateOf(memory.file) != FileState::Missing) ||
        bytes != memory.savedText) {
        again.releaseAndRemoveIfMade();
        return make_error_code(FileRefusal::LockGone);
    }
    memory.lock = std::move(again);
    return {};
}

std::error_code save(MemoryFile& memory, const OperatingSystem& persona,
                     std::chrono::milliseconds patience = SAVE_PATIENCE)
{
    const Learning now{persona.weights(ActionKind::Plain), persona.weights(ActionKind::Argument)};
    std::string text = formatMemory(now, memory.unknownLines);
    std::error_code error = keepLock(memory);
    if (!error && !(error = replaceFile(memory.file, text, patience))) {
        memory.saved = now;
        memory.savedText = std::move(text);
        memory.putOffReason.clear();
    }
    return error;
}

Outcome cannotSave(const MemoryFile& memory, const std::string& reason)
{
    return {"cannot save memory file " + memory.name + ": " + reason};
}

}  // namespace

Outcome openMemoryFile(const std::string& name, MemoryFile& memory)
{
    memory = MemoryFile{};
    memory.name = name;
    // Judged before anything is made beside it.
    if (Outcome found = findMemory(name, memory.file); !found) {
        return found;
    }
    if (Outcome locked = lockMemory(memory); !locked) {
        return locked;
    }
    Outcome ready = takeUp(memory);
    if (!ready) {
        memory.lock.releaseAndRemoveIfMade();
    }
    return ready;
}

Outcome readMemoryFile(const std::string& name, MemoryLook& look)
{
    look = MemoryLook{};
    FilePlace place;
    if (Outcome found = findMemory(name, place); !found) {
        return found;
    }
    std::string bytes;
    MemoryText text;
    bool exists = false;
    Outcome read = readLearning(name, place, text, exists, bytes);
    look.learned = std::move(text.learned);
    look.exists = exists && !text.empty;
    if (!read || exists) {
        return read;
    }
    if (newestLeftover(place, isWholeMemory, look.leftover, bytes)) {
        look.learned = parseMemory(bytes).learned;
        look.exists = true;
    }
    return {};
}

Outcome keepLearning(MemoryFile& memory, const OperatingSystem& persona)
{
    // Unchanged since the last save, or since a save that was put off.
    if (sameWeights(memory.saved, persona) || (!memory.putOffReason.empty() && sameWeights(memory.putOff, persona))) {
        return {};
    }
    // Once the file is known to be held, each change tries once and goes on.
    const bool held = !memory.putOffReason.empty();
    const std::error_code error = save(memory, persona, held ? std::chrono::milliseconds(0) : SAVE_PATIENCE);
    Outcome kept;
    if (!error) {
        if (held) {
            kept.notices.push_back("saved memory file " + memory.name + " at last");
        }
        return kept;
    }
    if (error != FileRefusal::HeldOpen) {
        return cannotSave(memory, error.message());
    }
    if (!held) {
        kept.notices.push_back("cannot save memory file " + memory.name + " yet: " + error.message() +
                               "; trying again at each change");
    }
    memory.putOff = {persona.weights(ActionKind::Plain), persona.weights(ActionKind::Argument)};
    memory.putOffReason = error.message();
    return kept;
}

Outcome finishMemory(MemoryFile& memory, const OperatingSystem& persona)
{
    if (memory.putOffReason.empty() || sameWeights(memory.saved, persona)) {
        return {};
    }
    const std::error_code error = save(memory, persona);
    return error ? cannotSave(memory, error.message()) : Outcome();
}

}  // namespace gorvandel
