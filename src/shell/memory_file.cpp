#include "memory_file.h"

#include "failure.h"
#include "platform.h"

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <utility>

namespace gorvandel {

namespace {

// The first line: these words, then the format's version.
const std::string MEMORY_HEADER = "gorvandel memory ";
// A memory file takes some sixty bytes; much more is something else.
constexpr std::size_t MEMORY_FILE_LIMIT = 64 * 1024;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::vector<std::string_view> fieldsOf(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        if (isBlank(line[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < line.size() && !isBlank(line[end])) {
            ++end;
        }
        fields.push_back(line.substr(at, end - at));
        at = end;
    }
    return fields;
}

// A whole number of at most nine digits, with an optional minus sign.
std::optional<long> wholeNumber(std::string_view text)
{
    const bool negative = !text.empty() && text[0] == '-';
    text.remove_prefix(negative ? 1 : 0);
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    long value = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
        value = value * 10 + (digit - '0');
    }
    return negative ? -value : value;
}

// Reads "NAME w1 w2 ..." with count weights; the problem, if any.
std::string readWeights(std::string_view line, std::string_view name, std::size_t count, std::vector<Weight>& weights)
{
    const std::vector<std::string_view> fields = fieldsOf(line);
    const std::string expected = "expected '" + std::string(name) + "' and " + std::to_string(count) + " weights";
    if (fields.empty() || fields[0] != name) {
        return expected;
    }
    if (fields.size() - 1 != count) {
        return expected + ", found " + std::to_string(fields.size() - 1);
    }
    weights.clear();
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const std::optional<long> weight = wholeNumber(fields[i]);
        if (!weight) {
            return "weight '" + std::string(fields[i]) + "' is not a whole number";
        }
        if (*weight < WEIGHT_MIN || *weight > WEIGHT_MAX) {
            return "weight " + std::to_string(*weight) + " is outside " + std::to_string(WEIGHT_MIN) + " to " +
                   std::to_string(WEIGHT_MAX);
        }
        weights.push_back(static_cast<Weight>(*weight));
    }
    return {};
}

// The problem with the first line, if any.
std::string readHeader(std::string_view line)
{
    const std::vector<std::string_view> fields = fieldsOf(line);
    const std::string expected = "not a gorvandel memory file (the first line must be '" + MEMORY_HEADER +
                                 std::to_string(MEMORY_FORMAT_VERSION) + "')";
    const std::vector<std::string_view> words = fieldsOf(MEMORY_HEADER);
    if (fields.size() != words.size() + 1 || !std::equal(words.begin(), words.end(), fields.begin())) {
        return expected;
    }
    std::string_view version = fields.back();
    if (version.find_first_not_of("0123456789") != std::string_view::npos) {
        return expected;
    }
    version.remove_prefix(std::min(version.find_first_not_of('0'), version.size()));
    if (version.empty()) {
        return expected;
    }
    if (version != std::to_string(MEMORY_FORMAT_VERSION)) {
        return "memory format version " + std::string(fields.back()) + " is newer than this program reads (" +
               std::to_string(MEMORY_FORMAT_VERSION) + ")";
    }
    return {};
}

MemoryText problemAt(std::size_t line, std::string problem)
{
    MemoryText text;
    text.problem = std::move(problem);
    text.problemLine = line;
    return text;
}

// Reads the memory at path into learned (all zero when there is no file);
// false, once reported, when it is refused.
bool loadMemory(const std::string& name, const std::string& path, Learning& learned)
{
    const FileContents file = readFile(path, MEMORY_FILE_LIMIT);
    if (file.state == FileState::Missing) {
        learned = {};
        return true;
    }
    if (file.state == FileState::Failed) {
        reportFailure("cannot read memory file " + name + ": " + file.reason);
        return false;
    }
    MemoryText text = parseMemory(file.bytes);
    if (!text.problem.empty()) {
        reportFailure(name + ":" + std::to_string(text.problemLine) + ": " + text.problem);
        return false;
    }
    // A save puts a new file in its place: that would not respect a file
    // made read-only, and would part it from its other names.
    if (!file.writable) {
        reportFailure("cannot keep a memory in " + name + ": the file is read-only");
        return false;
    }
    if (file.links > 1) {
        reportFailure("cannot keep a memory in " + name +
                      ": the file has other names (hard links) that a save would part from it");
        return false;
    }
    learned = std::move(text.learned);
    return true;
}

}  // namespace

MemoryText parseMemory(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t newline = text.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        for (const char c : line) {
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f) {
                return problemAt(lines.size() + 1, "not text");
            }
        }
        lines.push_back(line);
        start = end + 1;
    }

    MemoryText memory;
    const std::string header = readHeader(lines.empty() ? std::string_view() : lines[0]);
    if (!header.empty()) {
        return problemAt(1, header);
    }
    const struct {
        const char* name;
        std::size_t count;
        std::vector<Weight>* weights;
    } tables[] = {{"plain", PLAIN_ACTION_COUNT, &memory.learned.plain},
                  {"argument", ARGUMENT_ACTION_COUNT, &memory.learned.argument}};
    for (std::size_t line = 2; line <= 3; ++line) {
        const auto& table = tables[line - 2];
        std::string problem =
            line <= lines.size()
                ? readWeights(lines[line - 1], table.name, table.count, *table.weights)
                : "missing: '" + std::string(table.name) + "' and " + std::to_string(table.count) + " weights";
        if (!problem.empty()) {
            return problemAt(line, std::move(problem));
        }
    }
    // Blank lines at the end are an editor's, not a memory's.
    for (std::size_t line = 4; line <= lines.size(); ++line) {
        if (!fieldsOf(lines[line - 1]).empty()) {
            return problemAt(line, "more lines than a memory holds");
        }
    }
    return memory;
}

std::string formatMemory(const std::vector<Weight>& plain, const std::vector<Weight>& argument)
{
    std::string text = MEMORY_HEADER + std::to_string(MEMORY_FORMAT_VERSION) + "\n";
    const std::pair<const char*, const std::vector<Weight>*> tables[] = {{"plain", &plain}, {"argument", &argument}};
    for (const auto& [name, weights] : tables) {
        text += name;
        for (const Weight weight : *weights) {
            text += ' ';
            text += std::to_string(weight);
        }
        text += '\n';
    }
    return text;
}

std::optional<MemoryFile> openMemoryFile(const std::string& name)
{
    MemoryFile memory{name, followedPath(name), {}, {}};
    // Checked before anything is made beside it, and again once it is ours:
    // another run may have saved it in between.
    if (!loadMemory(name, memory.path, memory.saved)) {
        return std::nullopt;
    }
    const RunLock lock = lockForThisRun(memory.path + ".lock");
    if (lock.state == LockState::InUse) {
        reportFailure(name + " is in use by another gorvandel");
        return std::nullopt;
    }
    if (lock.state == LockState::Failed) {
        reportFailure("cannot keep a memory in " + name + ": " + lock.reason);
        return std::nullopt;
    }
    if (!loadMemory(name, memory.path, memory.saved)) {
        return std::nullopt;
    }
    // The temporary file is named after the lock, so no file but one that a
    // killed run of ours left half written can stand there.
    memory.temporaryPath = memory.path + ".tmp-" + lock.identity;
    std::remove(memory.temporaryPath.c_str());
    // Found out now, not at the first save after an hour of teaching.
    if (const auto problem = checkCanCreate(memory.temporaryPath)) {
        reportFailure("cannot keep a memory in " + name + ": " + *problem);
        return std::nullopt;
    }
    return memory;
}

bool keepLearning(MemoryFile& memory, const OperatingSystem& persona)
{
    const std::vector<Weight>& plain = persona.weights(ActionKind::Plain);
    const std::vector<Weight>& argument = persona.weights(ActionKind::Argument);
    if (plain == memory.saved.plain && argument == memory.saved.argument) {
        return true;
    }
    if (const auto reason = replaceFile(memory.path, formatMemory(plain, argument), memory.temporaryPath)) {
        reportFailure("cannot save memory file " + memory.name + ": " + *reason);
        return false;
    }
    memory.saved = {plain, argument};
    return true;
}

}  // namespace gorvandel
