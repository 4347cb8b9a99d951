// The program's entry: reads the options, takes up the memory file, seeds
// the random source, creates the persona and runs the command loop; reports
// whatever failed and picks the exit status.

#include "command_loop.h"
#include "console.h"
#include "failure.h"
#include "learning_picture.h"
#include "memory_file.h"
#include "operating_system.h"
#include "options.h"
#include "plain_reader.h"
#include "standard_output.h"

#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <system_error>

#if GORVANDEL_LINE_EDITING
#include "history.h"
#include "line_editor.h"
#endif

namespace {

using namespace gorvandel;

constexpr bool LINE_EDITING = GORVANDEL_LINE_EDITING;

// Writes what the outcome says, and gives the exit status for it.
int finish(const Outcome& outcome, int failureStatus)
{
    reportOutcome(outcome);
    return outcome ? EXIT_SUCCESS : failureStatus;
}

std::error_code closed()
{
    return std::make_error_code(std::errc::bad_file_descriptor);
}

int writeOut(const std::string& text)
{
    writeOutput(text);
    return finish(outputFailure(flushOutput()), EXIT_STATUS_FAILURE);
}

// Lines from the terminal through the line editor where it can edit them;
// pipes and files get plain standard input, byte for byte.
LineReader commandReader()
{
#if GORVANDEL_LINE_EDITING
    if (talkingToTerminal()) {
        LineEditor editor = lineEditor(
            historyPlace(std::getenv("GORVANDEL_HISTORY"), std::getenv("XDG_STATE_HOME"), std::getenv("HOME")));
        reportOutcome(editor.outcome);  // notices only: the session goes on
        if (editor.reader) {
            return editor.reader;
        }
    }
#endif
    return plainReader(readStandardInput);
}

// Draws what the memory file holds (only reads it) and says where it is kept.
int showWhatWasLearned(const Options& options)
{
    MemoryLook look;
    if (!options.memoryFile.empty()) {
        const Outcome read = readMemoryFile(options.memoryFile, look);
        if (!read) {
            return finish(read, EXIT_STATUS_USAGE);
        }
        reportOutcome(read);  // notices only
    }
    const char* noColour = std::getenv("NO_COLOR");
    const bool colour = outputShowsColour() && (noColour == nullptr || *noColour == '\0');
    const std::size_t window = terminalColumns();
    const std::string picture =
        drawLearning(look.learned, pictureTitle(options.memoryFile, look.exists, look.leftover, window),
                     {outputTakesUtf8(), colour, window});
    return writeOut(picture);
}

// Stopped at the console (Ctrl-C, its window closed): what was learned gets
// a last try, and a memory still unsaved is said, with status 1.
LastWord lastTry(MemoryFile& memory, const OperatingSystem& persona)
{
    return [&memory, &persona]() -> std::optional<int> {
        const Outcome finished = finishMemory(memory, persona);
        memory.lock.releaseAndRemoveIfMade();
        return finished ? std::nullopt : std::optional<int>(finish(finished, EXIT_STATUS_FAILURE));
    };
}

int runSession(const Options& options)
{
    MemoryFile memory;
    AfterCommand afterCommand;
    if (!options.memoryFile.empty()) {
        const Outcome opened = openMemoryFile(options.memoryFile, memory);
        if (!opened) {
            return finish(opened, EXIT_STATUS_USAGE);
        }
        reportOutcome(opened);  // notices only
        afterCommand = [&memory](const OperatingSystem& persona) {
            Outcome kept = keepLearning(memory, persona);
            if (kept) {
                reportOutcome(kept);  // notices now: the session goes on
                return Outcome();
            }
            return kept;
        };
    }
    // One seed for the whole run, taken before the persona exists.
    std::srand(options.seed ? *options.seed : millisecondTicks());
    const auto persona = std::make_unique<OperatingSystem>(memory.saved);
    if (afterCommand) {
        onConsoleStop(lastTry(memory, *persona));
    }
    Outcome outcome = runCommandLoop(commandReader(), *persona, afterCommand);
    // What was learned is the user's, however the session ended.
    if (Outcome finished = finishMemory(memory, *persona); outcome && !finished) {
        outcome = finished;
    }
    if (afterCommand) {
        onConsoleStop({});
    }
    return finish(outcome, EXIT_STATUS_FAILURE);
}

int runProgram(int argc, char* argv[])
{
    const StandardStreams streams = prepareProcess();
    const Options options = parseOptions(commandLineArguments(argc, argv));
    if (options.request == Request::UsageError) {
        reportUsageFailure(options.problem);
        return EXIT_STATUS_USAGE;
    }
    if (!streams.outputOpen) {
        return finish(outputFailure(closed()), EXIT_STATUS_FAILURE);
    }
    if (options.request != Request::Run) {
        return writeOut(options.request == Request::Help ? helpText(LINE_EDITING) : versionText());
    }
    if (options.show) {
        return showWhatWasLearned(options);
    }
    if (!streams.inputOpen) {
        return finish(inputFailure(closed()), EXIT_STATUS_FAILURE);
    }
    return runSession(options);
}

}  // namespace

int main(int argc, char* argv[])
{
    try {
        return runProgram(argc, argv);
    } catch (const std::bad_alloc&) {
        reportFailure("out of memory");
        return EXIT_STATUS_FAILURE;
    }
}
