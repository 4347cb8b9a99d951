#include "command_loop.h"

#include "commands.h"
#include "lines.h"

#include <cerrno>
#include <iostream>
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
    std::cout << "Have a nice day!\nBye Gorvandel" << std::endl;
}

Outcome outputWritten()
{
    return std::cout ? Outcome() : outputFailure();
}

// Carries out one command line; true when it was "exit". The line is
// consumed: an argument is handed on without another copy.
bool runCommand(std::string&& command, OperatingSystem& persona)
{
    if (command == EXIT_COMMAND) {
        sayFarewell();
        return true;
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
        std::cout << "Unknown command!" << std::endl;
    }
    return false;
}

ReadResult readLine(std::istream& input, std::string& line, std::error_code& error)
{
    try {
        if (!std::getline(input, line)) {
            return input.bad() ? ReadResult::ReadFailed : ReadResult::EndOfInput;
        }
    } catch (const std::ios_base::failure& failure) {
        // A stream's own error says nothing a user could act on; the system's does.
        if (failure.code().category() != std::iostream_category()) {
            error = failure.code();
        }
        return ReadResult::ReadFailed;
    }
    // eof here means the line had no newline, so there is no line end to trim.
    if (!input.eof()) {
        removeCarriageReturn(line);
    }
    return ReadResult::Line;
}

// The line end after the last prompt, then the farewell.
Outcome endOfInput()
{
    errno = 0;
    std::cout << '\n';
    sayFarewell();
    return outputWritten();
}

Outcome readFailure(const std::error_code& error)
{
    return {error ? "cannot read standard input: " + error.message() : "cannot read standard input"};
}

}  // namespace

ReadResult readPromptedLine(std::istream& input, std::string& line, std::error_code& error)
{
    // Flushed so the prompt shows before the read waits.
    errno = 0;
    if (!(std::cout << PROMPT << std::flush)) {
        return ReadResult::WriteFailed;
    }
    return readLine(input, line, error);
}

Outcome runCommandLoop(const LineReader& read, OperatingSystem& persona, const AfterCommand& afterCommand)
{
    std::string command;
    for (;;) {
        std::error_code error;
        switch (read(command, error)) {
        case ReadResult::ReadFailed:
            return readFailure(error);
        case ReadResult::WriteFailed:
            return outputFailure();
        case ReadResult::EndOfInput:
            return endOfInput();
        case ReadResult::Line:
            break;
        }
        errno = 0;
        const bool exitTyped = runCommand(std::move(command), persona);
        Outcome outcome = outputWritten();
        if (outcome && afterCommand) {
            outcome = afterCommand(persona);
        }
        if (!outcome || exitTyped) {
            return outcome;
        }
    }
}

}  // namespace gorvandel
