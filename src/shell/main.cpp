#include "command_loop.h"
#include "failure.h"
#include "operating_system.h"
#include "platform.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <new>
#include <system_error>

namespace {

using namespace gorvandel;

int runSession()
{
    const StandardStreams streams = prepareStandardStreams();
    if (!streams.outputOpen || !streams.inputOpen) {
        const std::string reason = std::make_error_code(std::errc::bad_file_descriptor).message();
        reportFailure((streams.outputOpen ? "cannot read standard input: " : "cannot write to standard output: ") + reason);
        return EXIT_STATUS_FAILURE;
    }

    // Standard output is written through std::cout and failures on standard
    // error through stdio, never both on one stream, so the streams need not
    // keep in step with stdio. Their own buffers also tell a failed read
    // apart from the end of input, and with badbit as an exception a read
    // error keeps the system's reason and running out of memory while
    // reading reaches main instead of looking like a read error.
    std::ios::sync_with_stdio(false);
    std::cin.exceptions(std::ios::badbit);

    // One seed for the whole run, taken before the persona exists.
    std::srand(millisecondTicks());
    auto persona = std::make_unique<OperatingSystem>();

    const auto readStandardInput = [](std::string& line) { return readPromptedLine(std::cin, line); };
    switch (runCommandLoop(readStandardInput, *persona)) {
    case LoopEnd::Exit:
    case LoopEnd::EndOfInput:
        return EXIT_SUCCESS;
    case LoopEnd::Failed:
        break;
    }
    return EXIT_STATUS_FAILURE;
}

}  // namespace

int main([[maybe_unused]] int argc, [[maybe_unused]] char* argv[])
{
    try {
        return runSession();
    } catch (const std::bad_alloc&) {
        reportFailure("out of memory");
        return EXIT_STATUS_FAILURE;
    }
}
