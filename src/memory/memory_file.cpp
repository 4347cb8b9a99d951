#include "memory_file.h"

#include "memory_format.h"
#include "files.h"

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

// Reads the memory at place into learned: all zero, and exists false, when
// there is no file there.
Outcome readLearning(const std::string& name, const FilePlace& place, Learning& learned, FileContents& file,
                     bool& exists)
{
    const std::error_code error = readFile(place, MEMORY_FILE_LIMIT, file);
    exists = error != std::errc::no_such_file_or_directory;
    if (error && exists) {
        return cannotRead(name, error);
    }
    MemoryText text = parseMemory(file.bytes);
    if (exists && !text.problem.empty()) {
        return {name + ":" + std::to_string(text.problemLine) + ": " + text.problem};
    }
    learned = exists ? std::move(text.learned) : Learning();
    return {};
}

// Reads the memory at place into learned, when a save may replace the file.
Outcome loadMemory(const std::string& name, const FilePlace& place, Learning& learned)
{
    FileContents file;
    bool exists = false;
    if (Outcome read = readLearning(name, place, learned, file, exists); !read) {
        return read;
    }
    if (const std::error_code refusal = exists ? checkReplaceable(file) : std::error_code()) {
        return cannotKeep(name, refusal);
    }
    return {};
}

// Locks the memory for this run with FILE.lock beside it.
Outcome lockMemory(MemoryFile& memory, bool& made)
{
    const FilePlace lockFile = placeBeside(memory.file, ".lock");
    const RunLock lock = lockForThisRun(lockFile);
    made = lock.made;
    if (lock) {
        memory.lockIdentity = lock.identity;
        return {};
    }
    if (lock.error == FileRefusal::InUse) {
        return {memory.name + " is in use by another gorvandel"};
    }
    if (exists(lockFile)) {
        return {"cannot use the lock file " + lockFile.path + ": " + lock.error.message()};
    }
    if (lock.error == std::errc::filename_too_long) {
        return {"cannot keep a memory in " + memory.name + ": the name is too long to keep a lock file (" +
                lockFile.path + ") beside it"};
    }
    return cannotKeep(memory.name, lock.error);
}

}  // namespace

Outcome openMemoryFile(const std::string& name, MemoryFile& memory)
{
    memory = MemoryFile{};
    memory.name = name;
    if (const std::error_code error = findFile(name, memory.file)) {
        // A folder named as the memory says so as reading it would.
        return error == std::errc::is_a_directory ? cannotRead(name, error) : cannotKeep(name, error);
    }
    // Checked before anything is made beside it, and again once it is ours:
    // another run may have saved it in between.
    if (Outcome loaded = loadMemory(name, memory.file, memory.saved); !loaded) {
        return loaded;
    }
    bool lockMade = false;
    if (Outcome locked = lockMemory(memory, lockMade); !locked) {
        return locked;
    }
    Outcome ready = loadMemory(name, memory.file, memory.saved);
    // The temporary file is named after the lock, so no file but one that a
    // killed run of ours left half written can stand there.
    memory.temporary = temporaryBeside(memory.file, memory.lockIdentity);
    removeFile(memory.temporary);
    // Found out now, not at the first save after an hour of teaching.
    if (const std::error_code error = ready ? checkCanCreate(memory.temporary) : std::error_code()) {
        ready = cannotKeep(name, error);
    }
    // A refused start leaves nothing behind that it made.
    if (!ready && lockMade) {
        removeFile(placeBeside(memory.file, ".lock"));
    }
    return ready;
}

Outcome readMemoryFile(const std::string& name, Learning& learned, bool& exists)
{
    FilePlace place;
    if (const std::error_code error = findFile(name, place)) {
        // A folder that is not there holds no memory yet.
        exists = false;
        learned = {};
        return error == std::errc::no_such_file_or_directory ? Outcome() : cannotRead(name, error);
    }
    FileContents file;
    return readLearning(name, place, learned, file, exists);
}

Outcome keepLearning(MemoryFile& memory, const OperatingSystem& persona)
{
    const std::vector<Weight>& plain = persona.weights(ActionKind::Plain);
    const std::vector<Weight>& argument = persona.weights(ActionKind::Argument);
    if (plain == memory.saved.plain && argument == memory.saved.argument) {
        return {};
    }
    // A lock file someone removed lets another run in: that run's saves and
    // this one's would undo each other. Whatever stands at the temporary
    // file's name can only be in the way.
    removeFile(memory.temporary);
    const std::error_code error = stillLocks(placeBeside(memory.file, ".lock"), memory.lockIdentity)
                                      ? replaceFile(memory.file, formatMemory(plain, argument), memory.temporary)
                                      : make_error_code(FileRefusal::LockGone);
    if (error) {
        return {"cannot save memory file " + memory.name + ": " + error.message()};
    }
    memory.saved = {plain, argument};
    return {};
}

}  // namespace gorvandel
