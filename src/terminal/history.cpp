#include "history.h"

#include "lines.h"

#include <chrono>
#include <exception>
#include <string_view>

namespace gorvandel {

namespace {

// An Enter waits this long for another session that holds the lock.
constexpr std::chrono::milliseconds MOMENT(100);
// At the end, the lines that waited may wait longer.
constexpr std::chrono::milliseconds AT_THE_END(2000);

bool isSet(const char* value)
{
    return value != nullptr && *value != '\0';
}

std::vector<std::string> historyIn(const std::string& bytes)
{
    std::vector<std::string> history;
    for (const std::string_view line : splitLines(bytes)) {
        addToHistory(history, std::string(line));
    }
    return history;
}

// Writes the lines that wait, when the lock comes within patience.
void writeWaiting(HistoryFile& history, std::chrono::milliseconds patience)
{
    if (!history.found) {
        history.found = !findFile(history.path, history.place,
                                  history.makeFolders ? MissingFolders::Make : MissingFolders::Refuse);
        history.usable = history.found;
    }
    FileLock lock;
    const std::error_code locked = history.usable ? FileLock::take(history.place, patience, lock) : std::error_code();
    if (!history.usable || locked == FileRefusal::InUse) {
        return;
    }
    history.usable = !locked && !appendLines(history.place, history.waiting);
    history.waiting.clear();
}

// Cuts the file to its last lines, under the lock; and removes what a cut
// that was killed left beside it.
void cut(HistoryFile& history, std::chrono::milliseconds patience)
{
    FileLock lock;
    std::string bytes;
    bool startsInside = false;
    bool more = false;
    std::string taken;
    if (FileLock::take(history.place, patience, lock) || recoverLeftovers(history.place, IsWhole(), taken) ||
        readFileEnd(history.place, HISTORY_READ_LIMIT, bytes, startsInside)) {
        return;
    }
    const std::string kept = lastLines(bytes, HISTORY_LIMIT, startsInside, more);
    if (!more) {
        return;
    }
    std::string contents;
    for (const std::string& line : historyIn(kept)) {
        contents += line + "\n";
    }
    replaceFile(history.place, contents);
}

}  // namespace

HistoryPlace historyPlace(const char* gorvandelHistory, const char* xdgStateHome, const char* home)
{
    if (gorvandelHistory != nullptr) {
        return {gorvandelHistory, false, ""};
    }
    if (isSet(xdgStateHome) && xdgStateHome[0] == '/') {
        return {std::string(xdgStateHome) + "/gorvandel/history", true, ""};
    }
    if (isSet(home) && home[0] != '/') {
        return {"", false, "the history is not kept: HOME (" + std::string(home) + ") is not an absolute path"};
    }
    if (isSet(home)) {
        return {std::string(home) + "/.local/state/gorvandel/history", true, ""};
    }
    return {};
}

void addToHistory(std::vector<std::string>& history, const std::string& line)
{
    if (line.empty() || (!history.empty() && history.back() == line)) {
        return;
    }
    history.push_back(line);
    if (history.size() > HISTORY_LIMIT) {
        history.erase(history.begin(), history.end() - static_cast<std::ptrdiff_t>(HISTORY_LIMIT));
    }
}

OpenedHistory openHistory(const HistoryPlace& place, HistoryFile& history)
{
    history = HistoryFile{};
    history.path = place.path;
    history.makeFolders = place.makeFolders;
    const std::string& path = place.path;
    if (path.empty()) {
        return {{}, place.problem};
    }
    std::error_code error = findFile(path, history.place);
    history.found = !error;
    // The default place's folders are made with its first line; one the
    // user named is kept only in a folder that exists.
    if (error == std::errc::no_such_file_or_directory && !place.makeFolders) {
        history.usable = false;
        return {{}, {"the history is not kept in " + path + ": its folder does not exist"}};
    }
    if (error == std::errc::no_such_file_or_directory) {
        return {};
    }
    std::string bytes;
    bool startsInside = false;
    bool more = false;
    if (!error && !(error = checkKeepable(history.place)) &&
        !(error = readFileEnd(history.place, HISTORY_READ_LIMIT, bytes, startsInside))) {
        bytes = lastLines(bytes, 2 * HISTORY_LIMIT, startsInside, more);
    }
    if (error && error != std::errc::no_such_file_or_directory) {
        history.usable = false;
        return {{}, {"the history is not kept in " + path + ": " + error.message()}};
    }
    if (more) {
        cut(history, MOMENT);
    }
    OpenedHistory opened{historyIn(bytes), {}};
    history.lastLine = opened.lines.empty() ? "" : opened.lines.back();
    return opened;
}

void appendToHistory(HistoryFile& history, const std::string& line)
{
    if (history.path.empty() || !history.usable || line.empty() || line == history.lastLine) {
        return;
    }
    try {
        history.lastLine = line;
        history.waiting += line + "\n";
        writeWaiting(history, MOMENT);
    } catch (const std::exception&) {
        history.usable = false;
    }
}

void closeHistory(HistoryFile& history)
{
    try {
        if (history.usable && !history.waiting.empty()) {
            writeWaiting(history, AT_THE_END);
        }
        if (history.usable && history.found) {
            cut(history, AT_THE_END);
        }
    } catch (const std::exception&) {
        // Kept as it was.
    }
    history.usable = false;
}

}  // namespace gorvandel
