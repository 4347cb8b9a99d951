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

std::error_code sayFarewell()
{
    return writeOutputLine("Have a nice day!\nBye Gorvandel");
}

// The line end after the last prompt, then the farewell.
Outcome endOfInput()
{
    writeOutput("\n");
    return outputFailure(sayFarewell());
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
        const LineRead got = read(command);
        switch (got.result) {
        case ReadResult::ReadFailed:
            return inputFailure(got.failure);
        case ReadResult::WriteFailed:
            return outputFailure(got.failure);
        case ReadResult::EndOfInput:
            return endOfInput();
        case ReadResult::Line:
            break;
        }
        const bool goesOn = runCommandLine(std::move(command), persona);
        // An answer that could not be written ends the loop at the next
        // prompt's flush (a command that answers changes nothing to keep);
        // after the farewell, at a flush that has nothing left to send.
        Outcome outcome = goesOn ? Outcome() : outputFailure(flushOutput());
        if (outcome && afterCommand) {
            outcome = afterCommand(persona);
        }
        if (!outcome || !goesOn) {
            return outcome;
        }
    }
}

}  // namespace gorvandel
