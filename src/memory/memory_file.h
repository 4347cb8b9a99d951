#pragma once

// The memory file that keeps what the persona learned between runs: taken
// up before the first prompt, saved whole after every change.

#include "failure.h"
#include "operating_system.h"
#include "files.h"

#include <string>

namespace gorvandel {

// A memory file this run holds.
struct MemoryFile {
    std::string name;  // as the user gave it, for messages
    FilePlace file;    // the file itself, symbolic links followed
    FilePlace temporary;
    std::string lockIdentity;  // of FILE.lock beside it, held for the run
    // What the file holds: all zero while it does not exist.
    Learning saved;
};

// Takes up the memory file before the first prompt: checks it, locks it for
// this run (FILE.lock beside it), loads it when it exists, and makes sure
// that it can be saved there. When anything is wrong the file is left
// exactly as it was.
Outcome openMemoryFile(const std::string& name, MemoryFile& memory);

// Reads what the memory file holds, for a look only: no lock, nothing made,
// and nothing asked of the file that only a save needs. A missing file
// holds all zero, exists then false.
Outcome readMemoryFile(const std::string& name, Learning& learned, bool& exists);

// Saves the persona's weights when they differ from what the file holds,
// replacing the file whole. When that fails the file holds what it held.
Outcome keepLearning(MemoryFile& memory, const OperatingSystem& persona);

}  // namespace gorvandel
