#include "history.h"

#include "lines.h"
#include "files.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <string_view>
#include <utility>

namespace gorvandel {

namespace {

// Far above what a thousand typed lines take; a larger file is not ours to read.
constexpr std::size_t HISTORY_FILE_LIMIT = 64 * 1024 * 1024;
// Two runs that end together wait for each other this long at most.
constexpr std::chrono::milliseconds HISTORY_LOCK_PATIENCE(2000);

bool isSet(const char* value)
{
    return value != nullptr && *value != '\0';
}

// Neither empty nor the line before again.
bool isNew(const std::vector<std::string>& history, std::string_view line)
{
    return !line.empty() && (history.empty() || history.back() != line);
}

std::vector<std::string> historyIn(const std::string& bytes)
{
    std::vector<std::string> history;
    for (const std::string_view line : splitLines(bytes)) {
        if (isNew(history, line)) {
            history.emplace_back(line);
        }
    }
    // Trimmed once: a long file must not cost a shift per line.
    history.erase(history.begin(),
                  history.end() - static_cast<std::ptrdiff_t>(std::min(history.size(), HISTORY_LIMIT)));
    return history;
}

// Adds this run's lines to the history file as it is now and replaces it
// whole. A file that cannot be read, or is made read-only, or has other
// names that a new file would part it from, is not ours to replace.
void mergeInto(const FilePlace& place, const std::vector<std::string>& typedThisRun, const FilePlace& temporary)
{
    FileContents file;
    const std::error_code error = readFile(place, HISTORY_FILE_LIMIT, file);
    if (error ? error != std::errc::no_such_file_or_directory : bool(checkReplaceable(file))) {
        return;
    }
    std::vector<std::string> history = historyIn(file.bytes);
    for (const std::string& line : typedThisRun) {
        addToHistory(history, line);
    }
    std::string contents;
    for (const std::string& line : history) {
        contents += line;
        contents += '\n';
    }
    // One that a killed run left behind: under the lock it can be no other's.
    removeFile(temporary);
    replaceFile(place, contents, temporary);
}

}  // namespace

std::string historyFile(const char* gorvandelHistory, const char* xdgStateHome, const char* home)
{
    if (gorvandelHistory != nullptr) {
        return gorvandelHistory;
    }
    if (isSet(xdgStateHome) && xdgStateHome[0] == '/') {
        return std::string(xdgStateHome) + "/gorvandel/history";
    }
    if (isSet(home)) {
        return std::string(home) + "/.local/state/gorvandel/history";
    }
    return {};
}

void addToHistory(std::vector<std::string>& history, const std::string& line)
{
    if (!isNew(history, line)) {
        return;
    }
    history.push_back(line);
    if (history.size() > HISTORY_LIMIT) {
        history.erase(history.begin(), history.end() - static_cast<std::ptrdiff_t>(HISTORY_LIMIT));
    }
}

std::vector<std::string> loadHistory(const std::string& path)
{
    try {
        FilePlace place;
        FileContents file;
        if (path.empty() || findFile(path, place) || readFile(place, HISTORY_FILE_LIMIT, file)) {
            return {};
        }
        return historyIn(file.bytes);
    } catch (const std::exception&) {
        return {};
    }
}

void saveHistory(const std::string& path, const std::vector<std::string>& typedThisRun)
{
    try {
        FilePlace place;
        if (path.empty() || typedThisRun.empty() || findFile(path, place, MissingFolders::Make)) {
            return;
        }
        // Under the lock another run cannot replace the file between this
        // run's reading and replacing it, so neither loses the other's lines.
        whileLocked(placeBeside(place, ".lock"), HISTORY_LOCK_PATIENCE, [&](const std::string& identity) {
            mergeInto(place, typedThisRun, temporaryBeside(place, identity));
        });
    } catch (const std::exception&) {
        // Kept as it was.
    }
}

}  // namespace gorvandel
