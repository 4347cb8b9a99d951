#include "memory_file.h"

#include "memory_format.h"

#include <chrono>
#include <utility>

namespace gorvandel {

namespace {

// A memory file takes some sixty bytes; much more is something else.
constexpr std::size_t MEMORY_FILE_LIMIT = 64 * 1024;

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

bool isWholeMemory(const std::string& bytes)
{
    return parseMemory(bytes).problem.empty();
}

// Reads the memory at place into learned: all zero, and exists false, when
// there is no file there.
Outcome readLearning(const std::string& name, const FilePlace& place, Learning& learned, bool& exists)
{
    std::string bytes;
    const std::error_code error = readFile(place, MEMORY_FILE_LIMIT, bytes);
    exists = error != std::errc::no_such_file_or_directory;
    if (error && exists) {
        return cannotRead(name, error);
    }
    MemoryText text = parseMemory(bytes);
    if (exists && !text.problem.empty()) {
        return {name + ":" + std::to_string(text.problemLine) + ": " + text.problem};
    }
    learned = exists ? std::move(text.learned) : Learning();
    return {};
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
    if (stateOf(lockFile) != FileState::Missing) {
        return {"cannot use the lock file " + lockFile.path + ": " + error.message()};
    }
    return cannotKeep(memory.name, error);
}

// Under the lock: puts back a save a crash left beside a missing file,
// reads the memory once, and makes sure a save can be made beside it.
Outcome takeUp(MemoryFile& memory)
{
    std::string taken;
    if (const std::error_code error = recoverLeftovers(memory.file, isWholeMemory, taken)) {
        return cannotKeep(memory.name, error);
    }
    bool exists = false;
    if (Outcome read = readLearning(memory.name, memory.file, memory.saved, exists); !read) {
        return read;
    }
    // Found out now, not at the first save after an hour of teaching.
    if (const std::error_code error = checkCanSave(memory.file)) {
        return cannotKeep(memory.name, error);
    }
    return {};
}

bool sameWeights(const Learning& learned, const OperatingSystem& persona)
{
    return learned.plain == persona.weights(ActionKind::Plain) &&
           learned.argument == persona.weights(ActionKind::Argument);
}

std::error_code save(MemoryFile& memory, const OperatingSystem& persona,
                     std::chrono::milliseconds patience = SAVE_PATIENCE)
{
    const Learning now{persona.weights(ActionKind::Plain), persona.weights(ActionKind::Argument)};
    // A lock file someone removed lets another run in: that run's saves and
    // this one's would undo each other.
    const std::error_code error = memory.lock.stillOurs()
                                      ? replaceFile(memory.file, formatMemory(now.plain, now.argument), patience)
                                      : make_error_code(FileRefusal::LockGone);
    if (!error) {
        memory.saved = now;
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
    if (const std::error_code error = findFile(name, memory.file)) {
        return refused(name, error);
    }
    // Judged before anything is made beside it.
    if (const std::error_code error = checkKeepable(memory.file)) {
        return refused(name, error);
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
    if (const std::error_code error = findFile(name, place)) {
        // A folder that is not there holds no memory yet.
        return error == std::errc::no_such_file_or_directory ? Outcome() : cannotRead(name, error);
    }
    if (Outcome read = readLearning(name, place, look.learned, look.exists); !read || look.exists) {
        return read;
    }
    std::string bytes;
    if (newestLeftover(place, isWholeMemory, look.leftover, bytes)) {
        look.learned = parseMemory(bytes).learned;
        look.exists = true;
    }
    return {};
}

Outcome keepLearning(MemoryFile& memory, const OperatingSystem& persona, std::string& notice)
{
    // Unchanged since the last save, or since a save that was put off.
    if (sameWeights(memory.saved, persona) || (!memory.putOffReason.empty() && sameWeights(memory.putOff, persona))) {
        return {};
    }
    // Once the file is known to be held, each change tries once and goes on.
    const bool held = !memory.putOffReason.empty();
    const std::error_code error = save(memory, persona, held ? std::chrono::milliseconds(0) : SAVE_PATIENCE);
    if (!error) {
        notice = held ? "saved memory file " + memory.name + " at last" : "";
        return {};
    }
    if (error != FileRefusal::HeldOpen) {
        return cannotSave(memory, error.message());
    }
    if (!held) {
        notice = "cannot save memory file " + memory.name + " yet: " + error.message() + "; trying again at each change";
    }
    memory.putOff = {persona.weights(ActionKind::Plain), persona.weights(ActionKind::Argument)};
    memory.putOffReason = error.message();
    return {};
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
