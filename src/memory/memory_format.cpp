#include "memory_format.h"

#include "lines.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

namespace gorvandel {

namespace {

// The first line: these words, then the format's version. A view, so that
// no start of the program builds it.
constexpr std::string_view MEMORY_HEADER = "gorvandel memory ";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isControl(char c)
{
    return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f;
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

// A whole number of at most nine digits, with an optional sign: --show
// writes a positive weight as +3, and a person copies it from there.
std::optional<int> wholeNumber(std::string_view text)
{
    // from_chars reads a minus sign but no plus sign. Only a digit may follow it.
    if (text.size() > 1 && text[0] == '+' && text[1] >= '0' && text[1] <= '9') {
        text.remove_prefix(1);
    }
    const std::size_t digits = text.size() - (text.empty() || text[0] != '-' ? 0 : 1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (digits > 9 || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
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
        const std::optional<int> weight = wholeNumber(fields[i]);
        if (!weight) {
            return "weight '" + std::string(fields[i]) + "' is not a whole number";
        }
        if (!inWeightRange(*weight)) {
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
    const std::string expected = "not a gorvandel memory file (the first line must be '" + std::string(MEMORY_HEADER) +
                                 std::to_string(MEMORY_FORMAT_VERSION) + "')";
    const std::vector<std::string_view> words = fieldsOf(MEMORY_HEADER);
    if (fields.size() != words.size() + 1 || !std::equal(words.begin(), words.end(), fields.begin())) {
        return expected;
    }
    // Compared as text: a version of any length is told apart, leading zeros aside.
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

// The lines without their line ends; the first one that is not text is a problem.
std::vector<std::string_view> textLines(std::string_view text, MemoryText& memory)
{
    std::vector<std::string_view> lines = splitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines[i] = withoutCarriageReturn(lines[i]);
        if (std::any_of(lines[i].begin(), lines[i].end(), isControl)) {
            memory = problemAt(i + 1, "not text");
            return {};
        }
    }
    return lines;
}

// Reads the tables' lines, the second and third, into memory.
void readTables(const std::vector<std::string_view>& lines, MemoryText& memory)
{
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
            memory = problemAt(line, std::move(problem));
            return;
        }
    }
}

}  // namespace

MemoryText parseMemory(std::string_view text)
{
    // Notepad began UTF-8 text with a byte-order mark for years.
    constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";
    if (text.compare(0, BYTE_ORDER_MARK.size(), BYTE_ORDER_MARK) == 0) {
        text.remove_prefix(BYTE_ORDER_MARK.size());
    }
    MemoryText memory;
    const std::vector<std::string_view> lines = textLines(text, memory);
    if (!memory.problem.empty()) {
        return memory;
    }
    const std::string header = readHeader(lines.empty() ? std::string_view() : lines[0]);
    if (!header.empty()) {
        return problemAt(1, header);
    }
    readTables(lines, memory);
    // Blank lines at the end are an editor's, not a memory's.
    for (std::size_t line = 4; memory.problem.empty() && line <= lines.size(); ++line) {
        if (!fieldsOf(lines[line - 1]).empty()) {
            return problemAt(line, "more lines than a memory holds");
        }
    }
    return memory;
}

std::string formatMemory(const std::vector<Weight>& plain, const std::vector<Weight>& argument)
{
    std::string text = std::string(MEMORY_HEADER) + std::to_string(MEMORY_FORMAT_VERSION) + "\n";
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

}  // namespace gorvandel
