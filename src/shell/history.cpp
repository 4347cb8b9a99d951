#include "history.h"

#include "platform.h"

#include <exception>

namespace gorvandel {

namespace {

// Far above what a thousand typed lines take; a larger file is not ours to read.
constexpr std::size_t HISTORY_FILE_LIMIT = 64 * 1024 * 1024;

bool isSet(const char* value)
{
    return value != nullptr && *value != '\0';
}

std::vector<std::string> historyIn(const std::string& bytes)
{
    std::vector<std::string> history;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        addToHistory(history, bytes.substr(start, end - start));
    }
    return history;
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
    if (line.empty() || (!history.empty() && history.back() == line)) {
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
        return historyIn(readFile(path, HISTORY_FILE_LIMIT).bytes);
    } catch (const std::exception&) {
        return {};
    }
}

void saveHistory(const std::string& path, const std::vector<std::string>& typedThisRun)
{
    if (path.empty() || typedThisRun.empty()) {
        return;
    }
    try {
        // A file that is there but cannot be read is someone's, not ours to overwrite.
        const FileContents file = readFile(path, HISTORY_FILE_LIMIT);
        if (file.state == FileState::Failed) {
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
        if (!makeParentFolders(path)) {
            // Named for this process: two runs may end at the same moment.
            replaceFile(path, contents, path + "." + std::to_string(processId()) + ".tmp");
        }
    } catch (const std::exception&) {
        // Kept as it was.
    }
}

}  // namespace gorvandel
