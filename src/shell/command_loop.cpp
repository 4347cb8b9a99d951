#include "command_loop.h"

#include "failure.h"

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

bool outputWritten()
{
    if (std::cout) {
        return true;
    }
    reportOutputFailure();
    return false;
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

ReadResult readLine(std::istream& input, std::string& line)
{
    try {
        if (!std::getline(input, line)) {
            if (input.bad()) {
                reportFailure("cannot read standard input");
                return ReadResult::Failed;
            }
            return ReadResult::EndOfInput;
        }
    } catch (const std::ios_base::failure& failure) {
        // A stream error says nothing a user could act on; the system's does.
        if (failure.code().category() == std::iostream_category()) {
            reportFailure("cannot read standard input");
        } else {
            reportFailure("cannot read standard input: " + failure.code().message());
        }
        return ReadResult::Failed;
    }
    // eof here means the line had no newline, so there is no line end to trim.
    if (!input.eof()) {
        removeCarriageReturn(line);
    }
    return ReadResult::Line;
}

}  // namespace

void removeCarriageReturn(std::string& line)
{
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
}

ReadResult readPromptedLine(std::istream& input, std::string& line)
{
    // Flushed so the prompt shows before the read waits.
    errno = 0;
    std::cout << PROMPT << std::flush;
    if (!outputWritten()) {
        return ReadResult::Failed;
    }
    return readLine(input, line);
}

LoopEnd runCommandLoop(const LineReader& read, OperatingSystem& persona, const AfterCommand& afterCommand)
{
    std::string command;
    for (;;) {
        switch (read(command)) {
        case ReadResult::Failed:
            return LoopEnd::Failed;
        case ReadResult::EndOfInput:
            // The cursor stands after the prompt: end its line, then say goodbye.
            errno = 0;
            std::cout << '\n';
            sayFarewell();
            return outputWritten() ? LoopEnd::EndOfInput : LoopEnd::Failed;
        case ReadResult::Line:
            break;
        }
        errno = 0;
        const bool exitTyped = runCommand(std::move(command), persona);
        if (!outputWritten() || (afterCommand && !afterCommand(persona))) {
            return LoopEnd::Failed;
        }
        if (exitTyped) {
            return LoopEnd::Exit;
        }
    }
}

}  // namespace gorvandel
