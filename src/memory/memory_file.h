#pragma once

// The memory file that keeps what the persona learned between runs, kept
// as files.h keeps every file: taken up before the first prompt (found,
// judged, locked for the run, recovered, read once), saved whole after
// every change.

#include "outcome.h"
#include "files.h"
#include "operating_system.h"

#include <cstddef>
#include <string>
#include <vector>

namespace gorvandel {

// A memory file takes some five hundred bytes; much more is something else.
constexpr std::size_t MEMORY_FILE_LIMIT = 64 * 1024;
static_assert(MEMORY_FILE_LIMIT <= LEFTOVER_LIMIT, "a whole memory left by a save must be read whole");

// A memory file this run holds.
struct MemoryFile {
    std::string name;  // as the user gave it, for messages
    FilePlace file;    // the file itself, symbolic links followed
    FileLock lock;     // FILE.lock beside it, held for the run
    // What the file holds: all zero while it does not exist; and its lines
    // that name no action this version knows, which every save writes back.
    Learning saved;
    std::string savedText;  // its bytes, as last read or saved
    std::vector<std::string> unknownLines;
    // A save another program blocked waits for the next change or the end:
    // what it tried to save, and why it could not.
    Learning putOff;
    std::string putOffReason;
};

// Takes up the memory file before the first prompt: judges it, locks it for
// this run (FILE.lock beside it), puts back the last save that a crash left
// beside a missing file, loads it when it exists, and makes sure that it
// can be saved there. Its notices name each line that names no action this
// version knows. When anything is wrong the file is left exactly as it
// was, and nothing is made beside it.
Outcome openMemoryFile(const std::string& name, MemoryFile& memory);

// What a look at a memory file found.
struct MemoryLook {
    Learning learned;     // all zero when there is no file
    bool exists = false;  // whether there is a memory to show
    std::string leftover;  // when the file is missing, the last save found beside it, which the next run takes
};

// Reads what the memory file holds, for a look only: no lock, nothing made.
// Refused as openMemoryFile refuses it, with the same words, but for what
// only taking the lock or making a file finds out: another run that holds
// it, a lock file that cannot be one, a folder where no file can be made.
// Its notices are those of openMemoryFile.
Outcome readMemoryFile(const std::string& name, MemoryLook& look);

// Saves the persona's weights when they differ from what the file holds,
// replacing the file whole. When that fails the file holds what it held,
// and the session ends; but a save another program blocks (it has the file
// open) is put off to the next change, which tries once without waiting; a
// notice says so the first time, and again when a later save is made.
Outcome keepLearning(MemoryFile& memory, const OperatingSystem& persona);

// At the end of a session: saves what a blocked save put off, or says what
// was not saved.
Outcome finishMemory(MemoryFile& memory, const OperatingSystem& persona);

}  // namespace gorvandel
