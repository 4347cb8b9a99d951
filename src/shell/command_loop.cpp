#include "command_loop.h"

#include <iostream>
#include <string_view>
#include <utility>

namespace gorvandel {

namespace {

constexpr std::string_view PROMPT = "Gorvandel> ";
constexpr std::string_view ARGUMENT_PREFIX = "do something with ";

// A shorter line compares as its own, shorter text and so never matches.
bool startsWithArgumentPrefix(const std::string& command)
{
    return command.compare(0, ARGUMENT_PREFIX.size(), ARGUMENT_PREFIX) == 0;
}

void sayFarewell()
{
    std::cout << "Have a nice day!\nBye Gorvandel" << std::endl;
}

}  // namespace

bool readCommand(std::istream& input, std::string& command)
{
    if (!std::getline(input, command)) {
        return false;
    }
    // eof here means the line had no newline, so there is no line end to trim.
    if (!input.eof() && !command.empty() && command.back() == '\r') {
        command.pop_back();
    }
    return true;
}

bool runCommand(std::string&& command, OperatingSystem& persona)
{
    if (command == "exit") {
        sayFarewell();
        return true;
    }
    if (command == "reward") {
        persona.reward();
    } else if (command == "punish") {
        persona.punish();
    } else if (command == "do something") {
        persona.doSomething();
    } else if (startsWithArgumentPrefix(command)) {
        command.erase(0, ARGUMENT_PREFIX.size());
        persona.doSomethingWith(std::move(command));
    } else {
        std::cout << "Unknown command!" << std::endl;
    }
    return false;
}

LoopEnd runCommandLoop(std::istream& input, OperatingSystem& persona)
{
    std::string command;
    for (;;) {
        // Flushed so the prompt shows before the read waits.
        if (!(std::cout << PROMPT << std::flush)) {
            return LoopEnd::WriteFailed;
        }
        if (!readCommand(input, command)) {
            if (!input.eof()) {
                return LoopEnd::ReadFailed;
            }
            // The cursor stands after the prompt: end its line, then say goodbye.
            std::cout << '\n';
            sayFarewell();
            return std::cout ? LoopEnd::EndOfInput : LoopEnd::WriteFailed;
        }
        const bool exitTyped = runCommand(std::move(command), persona);
        if (!std::cout) {
            return LoopEnd::WriteFailed;
        }
        if (exitTyped) {
            return LoopEnd::Exit;
        }
    }
}

}  // namespace gorvandel
