#pragma once

// The lines typed at the terminal, kept between runs in a history file as
// files.h keeps every file. Each line is appended to the file as it is
// entered, in one write under the history's lock (FILE.lock), so that a
// closed window, a signal or a kill loses none of them; Enter never waits
// for the lock longer than a moment: a line that cannot go at once goes
// with the next one, or at the end. At the end of a session the file is cut
// to its last HISTORY_LIMIT lines by a safe replace, and at the start when
// it holds more than twice as many; only its end is ever read, however long
// its lines (HISTORY_READ_LIMIT). A history that cannot be used safely (a
// symbolic link of another user's on the way, another user's file, anything
// but a regular file, a file made read-only or with other names) is passed
// over, and the user told why in one line before the first prompt. A failure later on is passed over in silence:
// the history never changes what the program says or how it ends.

#include "files.h"
#include "outcome.h"

#include <cstddef>
#include <string>
#include <vector>

namespace gorvandel {

constexpr std::size_t HISTORY_LIMIT = 1000;
// Only the last this many bytes of the file are read: 1000 lines of 4 KiB.
// A line that starts before them goes at the next cut.
constexpr std::size_t HISTORY_READ_LIMIT = 4 * 1024 * 1024;

// Where the history is kept.
struct HistoryPlace {
    std::string path;          // empty: nowhere
    bool makeFolders = false;  // its missing folders are made with its first line
    std::string problem;       // why it is kept nowhere, which openHistory gives back
};

// The history's place for these environment values (each null when unset):
// $GORVANDEL_HISTORY when set, in a folder that must exist, and none when it
// is set but empty; else $XDG_STATE_HOME/gorvandel/history when that is an
// absolute path; else $HOME/.local/state/gorvandel/history, when HOME is an
// absolute path (a relative one would put it under whatever folder the
// program was started in: none, and a problem that says so).
HistoryPlace historyPlace(const char* gorvandelHistory, const char* xdgStateHome, const char* home);

// Adds line unless it is empty or repeats the last line; the oldest lines
// go beyond HISTORY_LIMIT.
void addToHistory(std::vector<std::string>& history, const std::string& line);

// A history file in use.
struct HistoryFile {
    std::string path;  // empty: no history is kept
    bool makeFolders = false;
    FilePlace place;
    bool found = false;   // place holds the file (its folders may be made only at the first line)
    bool usable = true;   // false once it is passed over
    std::string lastLine;  // the newest line known to be in it, so that a repeat is not added
    std::string waiting;   // lines typed that wait for the lock
};

// Takes up the history file at place: its last HISTORY_LIMIT lines, oldest
// first, or none. A failure says why it cannot be used: the place's problem,
// or what was found there; the lines typed are then kept for this run only.
struct OpenedHistory {
    std::vector<std::string> lines;
    Outcome outcome;
};
OpenedHistory openHistory(const HistoryPlace& place, HistoryFile& history);

// Appends a line typed (not an empty one, nor one that repeats the last).
void appendToHistory(HistoryFile& history, const std::string& line);

// At the end of a session: writes what waits, and cuts the file to its last
// HISTORY_LIMIT lines.
void closeHistory(HistoryFile& history);

}  // namespace gorvandel
