// The WebAssembly module's entry: the persona and its command loop, one
// line at a time, for the page's script (web/src/module_host.js). Text
// passes both ways through one exchange buffer in the module's memory: the
// script asks for room, writes its bytes there and calls; an answer that
// is text is left in the same buffer and its size returned. Everything the
// persona says goes to the page through standard output (console_web.cpp).

#include "command_loop.h"
#include "commands.h"
#include "completion.h"
#include "history.h"
#include "memory_format.h"
#include "page.h"
#include "standard_output.h"

#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <new>
#include <optional>
#include <string>
#include <vector>

#define EXPORTED(name) extern "C" __attribute__((export_name(#name)))

namespace {

using namespace gorvandel;

std::string exchange;
std::optional<OperatingSystem> persona;
// The lines of the memory the session started from that name no action
// this version knows: a newer version's, kept for every save.
std::vector<UnknownLine> unknownLines;

const std::vector<Weight>& weightsOf(int kind)
{
    return persona->weights(kind == 0 ? ActionKind::Plain : ActionKind::Argument);
}

bool validKind(int kind)
{
    return persona && (kind == 0 || kind == 1);
}

bool validAction(int kind, int index)
{
    return validKind(kind) && index >= 0 && static_cast<std::size_t>(index) < weightsOf(kind).size();
}

void prompt()
{
    writeOutput(PROMPT);
    flushOutput();
}

int answer(std::string text)
{
    exchange = std::move(text);
    return static_cast<int>(exchange.size());
}

}  // namespace

// Memory that cannot be had is said to the page, which ends the session:
// without exceptions it would otherwise stop the module with no word.
void* operator new(std::size_t size)
{
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    pageOutOfMemory();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

// Room for size bytes from the page; where they go.
EXPORTED(gorvandel_buffer) char* gorvandelBuffer(std::size_t size)
{
    exchange.resize(size);
    return exchange.data();
}

EXPORTED(gorvandel_history_limit) int gorvandelHistoryLimit()
{
    return static_cast<int>(HISTORY_LIMIT);
}

// The weights' bound: each lies from -limit to +limit.
EXPORTED(gorvandel_weight_limit) int gorvandelWeightLimit()
{
    return WEIGHT_MAX;
}

// Whether the program takes the memory text in the buffer: 0, or the size
// of "LINE: PROBLEM" left in the buffer.
EXPORTED(gorvandel_check_memory) int gorvandelCheckMemory()
{
    const MemoryText text = parseMemory(exchange);
    if (text.problem.empty() && fitsTheTables(text.learned)) {
        return 0;
    }
    return answer(std::to_string(text.problemLine) + ": " + text.problem);
}

// Starts a session seeded with seed from the memory text in the buffer, or
// afresh when there is none: writes the first prompt and gives 0. A memory
// the program refuses starts nothing: leaves "LINE: PROBLEM" in the buffer
// and gives its size.
EXPORTED(gorvandel_start) int gorvandelStart(std::uint32_t seed, int hasMemory)
{
    persona.reset();
    sendOutputTo({});
    Learning learned;
    unknownLines.clear();
    if (hasMemory != 0) {
        if (const int refusal = gorvandelCheckMemory()) {
            return refusal;
        }
        MemoryText text = parseMemory(exchange);
        learned = std::move(text.learned);
        unknownLines = std::move(text.unknown);
    }
    std::srand(seed);
    persona.emplace(std::move(learned));
    prompt();
    return 0;
}

// Runs the line in the buffer: bit 0 set while the session goes on (the
// next prompt written), bit 1 when what was learned changed.
EXPORTED(gorvandel_run) int gorvandelRun()
{
    if (!persona) {
        return 0;
    }
    const Learning before{persona->weights(ActionKind::Plain), persona->weights(ActionKind::Argument)};
    const bool goesOn = runCommandLine(std::move(exchange), *persona);
    const bool changed = before.plain != persona->weights(ActionKind::Plain) ||
                         before.argument != persona->weights(ActionKind::Argument);
    if (goesOn) {
        prompt();
    } else {
        persona.reset();
    }
    return (goesOn ? 1 : 0) | (changed ? 2 : 0);
}

// Ends the session as the end of input does (Ctrl-D on an empty line).
EXPORTED(gorvandel_end) void gorvandelEnd()
{
    if (persona) {
        // The line end after the prompt, then the farewell, as at the end of input.
        writeOutput("\n");
        exchange = EXIT_COMMAND;
        gorvandelRun();
    }
}

// Completes the text before the cursor in the buffer for a terminal of
// width columns: leaves "+" and the text to insert, or "?" and the choices
// laid out in columns, or nothing.
EXPORTED(gorvandel_complete) int gorvandelComplete(int width)
{
    const Completion found = complete(exchange, [] { return std::vector<std::string>(); });
    if (!found.insertion.empty()) {
        return answer("+" + found.insertion);
    }
    if (!found.choices.empty()) {
        return answer("?" + choicesInColumns(found.choices, static_cast<std::size_t>(width)));
    }
    return answer("");
}

// What the page should say of the memory the session started from: a line
// for each line of it that names no action this version knows.
EXPORTED(gorvandel_notices) int gorvandelNotices()
{
    std::string notices;
    for (const UnknownLine& line : unknownLines) {
        notices += unknownLineNotice(line) + "\n";
    }
    return answer(notices);
}

// The memory text for what was learned, with the lines kept from the memory
// the session started from.
EXPORTED(gorvandel_memory) int gorvandelMemory()
{
    if (!persona) {
        return answer("");
    }
    return answer(formatMemory(Learning{weightsOf(0), weightsOf(1)}, keptLines(unknownLines)));
}

// Each table (kind 0 plain, 1 with an argument): its actions, each
// action's weight and chance to run next, and the favourite (-1 for none).
EXPORTED(gorvandel_action_count) int gorvandelActionCount(int kind)
{
    return validKind(kind) ? static_cast<int>(weightsOf(kind).size()) : 0;
}

EXPORTED(gorvandel_weight) int gorvandelWeight(int kind, int index)
{
    return validAction(kind, index) ? weightsOf(kind)[static_cast<std::size_t>(index)] : 0;
}

EXPORTED(gorvandel_chance) double gorvandelChance(int kind, int index)
{
    return validAction(kind, index) ? choiceChances(weightsOf(kind))[static_cast<std::size_t>(index)] : 0.0;
}

EXPORTED(gorvandel_favourite) int gorvandelFavourite(int kind)
{
    return validKind(kind) ? findFavourite(weightsOf(kind)) : -1;
}

// How a person knows an action, TEXT standing for the argument.
EXPORTED(gorvandel_describe) int gorvandelDescribe(int kind, int index)
{
    if (!validAction(kind, index)) {
        return answer("");
    }
    const auto at = static_cast<std::size_t>(index);
    return answer(kind == 0 ? describePlainAction(at) : describeArgumentAction(at, "TEXT"));
}

// Columns the character takes on the page's terminal, as the C library
// counts them; 0 for one that takes none or types nothing.
EXPORTED(gorvandel_columns) int gorvandelColumns(std::uint32_t code)
{
    const int columns = code <= 0x10ffff ? ::wcwidth(static_cast<wchar_t>(code)) : -1;
    return columns < 0 ? 0 : columns;
}
