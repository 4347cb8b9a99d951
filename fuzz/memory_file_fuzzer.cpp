// libFuzzer harness for the memory file's reader: any bytes either read to
// weights that fit the persona's tables within -5..5, or are refused with a
// one-line reason and the number of a line the text has (or lacks). What reads is
// written back in the program's own layout, which reads to the same weights and
// keeps every line naming no known action as it stood.

#include "memory_format.h"
#include "operating_system.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void breach(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "memory reader broke a promise: %s [%s]\n", what, detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const gorvandel::MemoryText memory = gorvandel::parseMemory(text);
    if (!memory.problem.empty()) {
        // A missing line is reported where it should stand, one past the last.
        const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
        if (memory.problemLine < 1 || memory.problemLine > lines + 1) {
            breach("refused at a line the text does not have", std::to_string(memory.problemLine));
        }
        if (memory.problem.find_first_of("\r\n") != std::string::npos) {
            breach("a reason of more than one line", memory.problem);
        }
        return 0;
    }
    if (!gorvandel::fitsTheTables(memory.learned)) {
        breach("weights that do not fit the tables", std::string(text));
    }
    std::vector<std::string> unknown;
    for (const gorvandel::UnknownLine& line : memory.unknown) {
        unknown.push_back(line.text);
    }
    const std::string saved = gorvandel::formatMemory(memory.learned, unknown);
    const gorvandel::MemoryText again = gorvandel::parseMemory(saved);
    bool keptAsTheyStood = again.unknown.size() == unknown.size();
    for (std::size_t i = 0; keptAsTheyStood && i < unknown.size(); ++i) {
        keptAsTheyStood = again.unknown[i].text == unknown[i];
    }
    if (!again.problem.empty() || again.learned.plain != memory.learned.plain ||
        again.learned.argument != memory.learned.argument || !keptAsTheyStood) {
        breach("what was saved reads back otherwise", saved);
    }
    const gorvandel::OperatingSystem persona(memory.learned);
    return 0;
}
