#include "memory_format.h"

#include "lines.h"
#include "utf16.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <map>
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

constexpr std::string_view PLAIN_TABLE = "plain";
constexpr std::string_view ARGUMENT_TABLE = "argument";
constexpr std::string_view END_MARK = "end";

template <typename Row, std::size_t Count>
constexpr std::optional<std::size_t> indexOf(const Row (&rows)[Count], std::string_view name)
{
    for (std::size_t i = 0; i < Count; ++i) {
        if (rows[i].name == name) {
            return i;
        }
    }
    return std::nullopt;
}

// The first format held the weights of 1.3.0's actions by position, in this
// order; each stands for the action of that name today.
constexpr std::string_view FIRST_FORMAT_PLAIN[] = {"hello",           "upload",      "download", "random-numbers",
                                                   "meaning-of-life", "hexadecimal", "decimal",  "date"};
constexpr std::string_view FIRST_FORMAT_ARGUMENT[] = {"upload", "download", "download-similar", "delete",  "create",
                                                      "append", "print",    "debug-log",        "send-ea", "send-ubisoft"};
static_assert(std::size(FIRST_FORMAT_PLAIN) == FIRST_FORMAT_PLAIN_COUNT &&
              std::size(FIRST_FORMAT_ARGUMENT) == FIRST_FORMAT_ARGUMENT_COUNT);

template <typename Row, std::size_t Count, std::size_t Today>
constexpr bool allStillNamed(const std::string_view (&names)[Count], const Row (&rows)[Today])
{
    for (const std::string_view name : names) {
        if (!indexOf(rows, name)) {
            return false;
        }
    }
    return true;
}
static_assert(allStillNamed(FIRST_FORMAT_PLAIN, PLAIN_ACTIONS) && allStillNamed(FIRST_FORMAT_ARGUMENT, ARGUMENT_ACTIONS),
              "an action that a first-format memory names is gone");

// Each weight read by position to the action of that name today.
template <typename Row, std::size_t Count, std::size_t Today>
void placeByName(const std::string_view (&names)[Count], const Row (&rows)[Today], const std::vector<Weight>& read,
                 std::vector<Weight>& weights)
{
    for (std::size_t i = 0; i < Count; ++i) {
        weights[*indexOf(rows, names[i])] = read[i];
    }
}

// Reads one weight; the problem, if any.
std::string readWeight(std::string_view field, Weight& weight)
{
    const std::optional<int> value = wholeNumber(field);
    if (!value) {
        return "weight '" + std::string(field) + "' is not a whole number";
    }
    if (!inWeightRange(*value)) {
        return "weight " + std::to_string(*value) + " is outside " + std::to_string(WEIGHT_MIN) + " to " +
               std::to_string(WEIGHT_MAX);
    }
    weight = static_cast<Weight>(*value);
    return {};
}

// Reads "NAME w1 w2 ..." with count weights, the first format's line for a
// table; the problem, if any.
std::string readWeights(std::string_view line, std::string_view name, std::vector<Weight>& weights)
{
    const std::size_t count = weights.size();
    const std::vector<std::string_view> fields = fieldsOf(line);
    const std::string expected = "expected '" + std::string(name) + "' and " + std::to_string(count) + " weights";
    if (fields.empty() || fields[0] != name) {
        return expected;
    }
    if (fields.size() - 1 != count) {
        return expected + ", found " + std::to_string(fields.size() - 1);
    }
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (std::string problem = readWeight(fields[i], weights[i - 1]); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

// The problem with the first line, if any; else the format's version.
std::string readHeader(std::string_view line, int& formatVersion)
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
    const std::string newest = std::to_string(MEMORY_FORMAT_VERSION);
    if (version.size() > newest.size() || (version.size() == newest.size() && version > newest)) {
        return "memory format version " + std::string(fields.back()) + " is newer than this program reads (" +
               newest + ")";
    }
    formatVersion = std::stoi(std::string(version));
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

bool isBlankLine(std::string_view line)
{
    return fieldsOf(line).empty();
}

// The first format: the tables' lines, the second and third, by position.
void readTables(const std::vector<std::string_view>& lines, MemoryText& memory)
{
    std::vector<Weight> plain(std::size(FIRST_FORMAT_PLAIN)), argument(std::size(FIRST_FORMAT_ARGUMENT));
    const std::pair<std::string_view, std::vector<Weight>*> tables[] = {{PLAIN_TABLE, &plain},
                                                                        {ARGUMENT_TABLE, &argument}};
    for (std::size_t line = 2; line <= 3; ++line) {
        const auto& [name, weights] = tables[line - 2];
        std::string problem = line <= lines.size() ? readWeights(lines[line - 1], name, *weights)
                                                   : "missing: '" + std::string(name) + "' and " +
                                                         std::to_string(weights->size()) + " weights";
        if (!problem.empty()) {
            memory = problemAt(line, std::move(problem));
            return;
        }
    }
    placeByName(FIRST_FORMAT_PLAIN, PLAIN_ACTIONS, plain, memory.learned.plain);
    placeByName(FIRST_FORMAT_ARGUMENT, ARGUMENT_ACTIONS, argument, memory.learned.argument);
    // Blank lines at the end are an editor's, not a memory's.
    for (std::size_t line = 4; line <= lines.size(); ++line) {
        if (!isBlankLine(lines[line - 1])) {
            memory = problemAt(line, "more lines than a memory holds");
            return;
        }
    }
}

// The weight a line's table and name stand for; none for a name this version does not know.
Weight* weightNamed(const std::vector<std::string_view>& fields, Learning& learned)
{
    if (fields.size() < 2) {
        return nullptr;
    }
    if (fields[0] == PLAIN_TABLE) {
        const auto index = indexOf(PLAIN_ACTIONS, fields[1]);
        return index ? &learned.plain[*index] : nullptr;
    }
    if (fields[0] == ARGUMENT_TABLE) {
        const auto index = indexOf(ARGUMENT_ACTIONS, fields[1]);
        return index ? &learned.argument[*index] : nullptr;
    }
    return nullptr;
}

std::string joined(const std::vector<std::string_view>& fields, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count && i < fields.size(); ++i) {
        text.append(i == 0 ? "" : " ").append(fields[i]);
    }
    return text;
}

// Reads one line before the end mark; the problem, if any. seen holds each
// table and name read so far, with its line.
std::string readNamedLine(std::string_view line, std::size_t number, std::map<std::string, std::size_t>& seen,
                          MemoryText& memory)
{
    const std::vector<std::string_view> fields = fieldsOf(line);
    const std::string name = joined(fields, 2);
    if (const auto [first, isNew] = seen.emplace(name, number); !isNew) {
        return "'" + name + "' is given twice (first on line " + std::to_string(first->second) + ")";
    }
    Weight* weight = weightNamed(fields, memory.learned);
    if (weight == nullptr) {
        memory.unknown.push_back({number, name, std::string(line)});
        return {};
    }
    if (fields.size() != 3) {
        return "expected '" + name + "' and one weight";
    }
    return readWeight(fields[2], *weight);
}

bool isEndMark(const std::vector<std::string_view>& fields)
{
    return fields.size() == 1 && fields[0] == END_MARK;
}

// Blank lines at the end are an editor's, not a memory's.
void readAfterEnd(const std::vector<std::string_view>& lines, std::size_t end, MemoryText& memory)
{
    for (std::size_t number = end + 1; number <= lines.size(); ++number) {
        if (!isBlankLine(lines[number - 1])) {
            memory = problemAt(number, "more lines than a memory holds (after '" + std::string(END_MARK) + "')");
            return;
        }
    }
}

// The second format: lines naming their actions, in any order, then the end mark.
void readNamedLines(const std::vector<std::string_view>& lines, MemoryText& memory)
{
    std::map<std::string, std::size_t> seen;
    std::size_t lastWritten = 1;
    for (std::size_t number = 2; number <= lines.size(); ++number) {
        const std::vector<std::string_view> fields = fieldsOf(lines[number - 1]);
        if (isEndMark(fields)) {
            readAfterEnd(lines, number, memory);
            return;
        }
        if (fields.empty()) {
            continue;
        }
        lastWritten = number;
        if (std::string problem = readNamedLine(lines[number - 1], number, seen, memory); !problem.empty()) {
            memory = problemAt(number, std::move(problem));
            return;
        }
    }
    memory = problemAt(lastWritten + 1, "missing: '" + std::string(END_MARK) +
                                            "', the last line of a whole memory (was the file cut off?)");
}

}  // namespace

MemoryText parseMemory(std::string_view text)
{
    // Notepad began UTF-8 text with a byte-order mark for years, and saves "Unicode" as UTF-16.
    const std::optional<std::string> utf16 = decodeMarkedUtf16(text);
    if (utf16) {
        text = *utf16;
    }
    constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";
    if (text.compare(0, BYTE_ORDER_MARK.size(), BYTE_ORDER_MARK) == 0) {
        text.remove_prefix(BYTE_ORDER_MARK.size());
    }
    MemoryText memory;
    const std::vector<std::string_view> lines = textLines(text, memory);
    if (!memory.problem.empty()) {
        return memory;
    }
    // An empty file, made to be filled: nothing learned yet.
    memory.empty = std::all_of(lines.begin(), lines.end(), isBlankLine);
    if (memory.empty) {
        return memory;
    }
    int version = 0;
    if (std::string header = readHeader(lines[0], version); !header.empty()) {
        return problemAt(1, std::move(header));
    }
    if (version == 1) {
        readTables(lines, memory);
    } else {
        readNamedLines(lines, memory);
    }
    return memory;
}

std::string formatMemory(const Learning& learned, const std::vector<std::string>& unknownLines)
{
    std::string text = std::string(MEMORY_HEADER) + std::to_string(MEMORY_FORMAT_VERSION) + "\n";
    for (std::size_t i = 0; i < PLAIN_ACTION_COUNT; ++i) {
        text.append(PLAIN_TABLE).append(" ").append(PLAIN_ACTIONS[i].name);
        text.append(" ").append(std::to_string(learned.plain.at(i))).append("\n");
    }
    for (std::size_t i = 0; i < ARGUMENT_ACTION_COUNT; ++i) {
        text.append(ARGUMENT_TABLE).append(" ").append(ARGUMENT_ACTIONS[i].name);
        text.append(" ").append(std::to_string(learned.argument.at(i))).append("\n");
    }
    for (const std::string& line : unknownLines) {
        text.append(line).append("\n");
    }
    return text.append(END_MARK).append("\n");
}

std::string unknownLineNotice(const UnknownLine& line)
{
    return std::to_string(line.number) + ": '" + line.name +
           "' names no action this version knows; the line is kept as it stands";
}

std::vector<std::string> keptLines(const std::vector<UnknownLine>& unknown)
{
    std::vector<std::string> kept;
    for (const UnknownLine& line : unknown) {
        kept.push_back(line.text);
    }
    return kept;
}

}  // namespace gorvandel
