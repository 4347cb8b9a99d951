#include "command_loop.h"

#include "commands.h"
#include "failure.h"
#include "standard_output.h"

#include <utility>

namespace gorvandel {

namespace {

// A shorter line compares as its own, shorter text and so never matches.
bool startsWithArgumentPrefix(const std::string& command)
{
    return command.compare(0, ARGUMENT_PREFIX.size(), ARGUMENT_PREFIX) == 0;
}

void sayFarewell()
{
    writeOutputLine("Have a nice day!\nBye Gorvandel");
}

// The line end after the last prompt, then the farewell.
Outcome endOfInput()
{
    writeOutput("\n");
    sayFarewell();
    return outputSoFar();
}

}  // namespace

bool runCommandLine(std::string&& command, OperatingSystem& persona)
{
    if (command == EXIT_COMMAND) {
        sayFarewell();
        return false;
    }
    if (command == REWARD_COMMAND) {
        persona.reward();
    } else if (command == PUNISH_COMMAND) {
        persona.punish();
    } else if (command == PLAIN_COMMAND) {
        persona.doSomething();
    } else if (startsWithArgumentPrefix(command)) {
        command.erase(0, ARGUMENT_PREFIX.size());
        persona.doSomethingWith(std::move(command));
    } else {
        writeOutputLine("Unknown command!");
    }
    return true;
}

Outcome runCommandLoop(const LineReader& read, OperatingSystem& persona, const AfterCommand& afterCommand)
{
    std::string command;
    for (;;) {
        std::error_code error;
        switch (read(command, error)) {
        case ReadResult::ReadFailed:
            return inputFailure(error);
        case ReadResult::WriteFailed:
            return outputFailure(outputError());
        case ReadResult::EndOfInput:
            return endOfInput();
        case ReadResult::Line:
            break;
        }
        const bool goesOn = runCommandLine(std::move(command), persona);
        Outcome outcome = outputSoFar();
        if (outcome && afterCommand) {
            outcome = afterCommand(persona);
        }
        if (!outcome || !goesOn) {
            return outcome;
        }
    }
}

}  // namespace gorvandel
