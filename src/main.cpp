// The program's entry: reads the options, takes up the memory file, seeds
// the random source, creates the persona and runs the command loop; reports
// whatever failed and picks the exit status.

#include "command_loop.h"
#include "failure.h"
#include "learning_picture.h"
#include "memory_file.h"
#include "operating_system.h"
#include "options.h"
#include "console.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <system_error>

#if GORVANDEL_LINE_EDITING
#include "history.h"
#include "line_editor.h"
#endif

namespace {

using namespace gorvandel;

constexpr bool LINE_EDITING = GORVANDEL_LINE_EDITING;

int failWith(int status, const std::string& what)
{
    reportFailure(what);
    return status;
}

std::string closedReason()
{
    return std::make_error_code(std::errc::bad_file_descriptor).message();
}

int writeOut(const std::string& text)
{
    errno = 0;
    if (!(std::cout << text << std::flush)) {
        return failWith(EXIT_STATUS_FAILURE, outputFailure().failure);
    }
    return EXIT_SUCCESS;
}

int usageFailure(const std::string& problem)
{
    reportFailure(problem);
    writeToStandardError("Try 'gorvandel --help' for more information.\n");
    return EXIT_STATUS_USAGE;
}

// Lines from the terminal through the line editor where it can edit them;
// pipes and files get plain standard input, byte for byte.
LineReader commandReader()
{
#if GORVANDEL_LINE_EDITING
    if (talkingToTerminal()) {
        std::string notice;
        LineReader editor = lineEditor(
            historyFile(std::getenv("GORVANDEL_HISTORY"), std::getenv("XDG_STATE_HOME"), std::getenv("HOME")), notice);
        if (!notice.empty()) {
            reportFailure(notice);  // the session goes on
        }
        if (editor) {
            return editor;
        }
    }
#endif
    return [](std::string& line, std::error_code& error) { return readPromptedLine(std::cin, line, error); };
}

// Draws what the memory file holds (only reads it) and says where it is kept.
int showWhatWasLearned(const Options& options)
{
    MemoryLook look;
    if (!options.memoryFile.empty()) {
        if (const Outcome read = readMemoryFile(options.memoryFile, look); !read) {
            return failWith(EXIT_STATUS_USAGE, read.failure);
        }
    }
    const char* noColour = std::getenv("NO_COLOR");
    const bool colour = outputShowsColour() && (noColour == nullptr || *noColour == '\0');
    const std::string picture = drawLearning(
        look.learned, pictureTitle(options.memoryFile, look.exists, look.leftover), {outputTakesUtf8(), colour});
    std::error_code error;
    if (!writeToConsoleOutput(picture, error)) {
        return writeOut(picture);
    }
    return error ? failWith(EXIT_STATUS_FAILURE, "cannot write to standard output: " + error.message()) : EXIT_SUCCESS;
}

int runSession(const Options& options)
{
    MemoryFile memory;
    AfterCommand afterCommand;
    if (!options.memoryFile.empty()) {
        if (const Outcome opened = openMemoryFile(options.memoryFile, memory); !opened) {
            return failWith(EXIT_STATUS_USAGE, opened.failure);
        }
        afterCommand = [&memory](const OperatingSystem& persona) {
            std::string notice;
            Outcome kept = keepLearning(memory, persona, notice);
            if (!notice.empty()) {
                reportFailure(notice);  // the session goes on
            }
            return kept;
        };
    }
    // One seed for the whole run, taken before the persona exists.
    std::srand(options.seed ? *options.seed : millisecondTicks());
    const auto persona = std::make_unique<OperatingSystem>(memory.saved);
    Outcome outcome = runCommandLoop(commandReader(), *persona, afterCommand);
    // What was learned is the user's, however the session ended.
    if (Outcome finished = finishMemory(memory, *persona); outcome && !finished) {
        outcome = finished;
    }
    return outcome ? EXIT_SUCCESS : failWith(EXIT_STATUS_FAILURE, outcome.failure);
}

int runProgram(int argc, char* argv[])
{
    const StandardStreams streams = prepareProcess();
    // The program's answers go through std::cout, which is flushed at every
    // line end and before the line editor writes through stdio, so the
    // streams need not keep in step with stdio. Their own buffers also tell
    // a failed read apart from the end of input, and with badbit as an
    // exception a read error keeps the system's reason and running out of
    // memory while reading reaches main instead of looking like a read error.
    std::ios::sync_with_stdio(false);
    std::cin.exceptions(std::ios::badbit);

    const Options options = parseOptions(commandLineArguments(argc, argv));
    if (options.request == Request::UsageError) {
        return usageFailure(options.problem);
    }
    if (!streams.outputOpen) {
        return failWith(EXIT_STATUS_FAILURE, "cannot write to standard output: " + closedReason());
    }
    if (options.request != Request::Run) {
        return writeOut(options.request == Request::Help ? helpText(LINE_EDITING) : versionText());
    }
    if (options.show) {
        return showWhatWasLearned(options);
    }
    if (!streams.inputOpen) {
        return failWith(EXIT_STATUS_FAILURE, "cannot read standard input: " + closedReason());
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
