#include "command_loop.h"
#include "failure.h"
#include "memory_file.h"
#include "operating_system.h"
#include "options.h"
#include "platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
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

std::string closedReason()
{
    return std::make_error_code(std::errc::bad_file_descriptor).message();
}

int writeOut(const std::string& text)
{
    errno = 0;
    if (!(std::cout << text << std::flush)) {
        reportOutputFailure();
        return EXIT_STATUS_FAILURE;
    }
    return EXIT_SUCCESS;
}

LoopEnd runLoop(OperatingSystem& persona, const AfterCommand& afterCommand)
{
#if GORVANDEL_LINE_EDITING
    if (talkingToTerminal()) {
        const std::string history =
            historyFile(std::getenv("GORVANDEL_HISTORY"), std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
        return runEditingSession(persona, history, afterCommand);
    }
#endif
    // Pipes and files get plain standard input, byte for byte.
    const auto readStandardInput = [](std::string& line) { return readPromptedLine(std::cin, line); };
    return runCommandLoop(readStandardInput, persona, afterCommand);
}

int runProgram(int argc, char* argv[])
{
    const StandardStreams streams = prepareStandardStreams();
    // The program's answers go through std::cout, which is flushed at every
    // line end and before the line editor writes through stdio, so the
    // streams need not keep in step with stdio. Their own buffers also tell
    // a failed read apart from the end of input, and with badbit as an
    // exception a read error keeps the system's reason and running out of
    // memory while reading reaches main instead of looking like a read error.
    std::ios::sync_with_stdio(false);
    std::cin.exceptions(std::ios::badbit);

    const Options options = parseOptions(argc, argv);
    if (options.request == Request::UsageError) {
        reportFailure(options.problem);
        std::fputs("Try 'gorvandel --help' for more information.\n", stderr);
        return EXIT_STATUS_USAGE;
    }
    if (!streams.outputOpen) {
        reportFailure("cannot write to standard output: " + closedReason());
        return EXIT_STATUS_FAILURE;
    }
    if (options.request == Request::Help) {
        return writeOut(helpText(LINE_EDITING));
    }
    if (options.request == Request::Version) {
        return writeOut(versionText());
    }
    if (!streams.inputOpen) {
        reportFailure("cannot read standard input: " + closedReason());
        return EXIT_STATUS_FAILURE;
    }

    std::optional<MemoryFile> memory;
    AfterCommand afterCommand;
    if (!options.memoryFile.empty()) {
        memory = openMemoryFile(options.memoryFile);
        if (!memory) {
            return EXIT_STATUS_USAGE;
        }
        afterCommand = [&memory](const OperatingSystem& persona) { return keepLearning(*memory, persona); };
    }

    // One seed for the whole run, taken before the persona exists.
    std::srand(options.seed ? *options.seed : millisecondTicks());
    auto persona = std::make_unique<OperatingSystem>(memory ? memory->saved : Learning{});
    return runLoop(*persona, afterCommand) == LoopEnd::Failed ? EXIT_STATUS_FAILURE : EXIT_SUCCESS;
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
