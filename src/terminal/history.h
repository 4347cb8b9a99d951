#pragma once

// The lines typed at the terminal, kept between runs in a history file.

#include <string>
#include <vector>

namespace gorvandel {

constexpr std::size_t HISTORY_LIMIT = 1000;

// The history file for these environment values (each null when unset):
// $GORVANDEL_HISTORY when set, and none when it is set but empty; else
// $XDG_STATE_HOME/gorvandel/history when that is an absolute path; else
// $HOME/.local/state/gorvandel/history. Empty when there is none.
std::string historyFile(const char* gorvandelHistory, const char* xdgStateHome, const char* home);

// Adds line unless it is empty or repeats the last line; the oldest lines
// go beyond HISTORY_LIMIT.
void addToHistory(std::vector<std::string>& history, const std::string& line);

// The lines of the history file; none when it is missing or unreadable.
// Symbolic links are followed as findFile allows.
std::vector<std::string> loadHistory(const std::string& path);

// Appends this run's lines to the history file as it is now (another run
// may have written it meanwhile) and writes it back whole, keeping the last
// HISTORY_LIMIT lines, creating it and its folders for their owner only.
// Two runs that end together take turns by a lock beside the file
// (FILE.lock). A failure, or a lock another run holds for more than two
// seconds, is passed over in silence: the history never changes what the
// program says or how it ends.
void saveHistory(const std::string& path, const std::vector<std::string>& typedThisRun);

}  // namespace gorvandel
