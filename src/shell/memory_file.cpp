#include "memory_file.h"

#include "failure.h"
#include "platform.h"

#include <utility>

namespace gorvandel {

namespace {

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
    const std::string expected = "not a gorvandel memory file (the first line must be '" + MEMORY_HEADER +
                                 std::to_string(MEMORY_FORMAT_VERSION) + "')";
    if (line.compare(0, MEMORY_HEADER.size(), MEMORY_HEADER) != 0) {
        return expected;
    }
    const std::optional<long> version = wholeNumber(line.substr(MEMORY_HEADER.size()));
    if (!version || *version < 1) {
        return expected;
    }
    if (*version > MEMORY_FORMAT_VERSION) {
        return "memory format version " + std::to_string(*version) + " is newer than this program reads (" +
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
    if (lines.size() > 3) {
        return problemAt(4, "more lines than a memory holds");
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

std::optional<MemoryFile> openMemoryFile(const std::string& path)
{
    std::string reason;
    switch (lockForThisRun(path + ".lock", reason)) {
    case LockState::InUse:
        reportFailure(path + " is in use by another gorvandel");
        return std::nullopt;
    case LockState::Failed:
        reportFailure("cannot keep a memory in " + path + ": " + reason);
        return std::nullopt;
    case LockState::Locked:
        break;
    }
    MemoryFile memory{path, {}};
    const FileContents file = readFile(path, MEMORY_FILE_LIMIT);
    if (file.state == FileState::Failed) {
        reportFailure("cannot read memory file " + path + ": " + file.reason);
        return std::nullopt;
    }
    if (file.state == FileState::Read) {
        MemoryText text = parseMemory(file.bytes);
        if (!text.problem.empty()) {
            reportFailure(path + ":" + std::to_string(text.problemLine) + ": " + text.problem);
            return std::nullopt;
        }
        memory.saved = std::move(text.learned);
    }
    // Found out now, not at the first save after an hour of teaching.
    if (const auto problem = checkCanCreate(path + ".tmp")) {
        reportFailure("cannot keep a memory in " + path + ": " + *problem);
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
    if (const auto reason = replaceFile(memory.path, formatMemory(plain, argument), memory.path + ".tmp")) {
        reportFailure("cannot save memory file " + memory.path + ": " + *reason);
        return false;
    }
    memory.saved = {plain, argument};
    return true;
}

}  // namespace gorvandel
