#include "command_loop.h"
#include "operating_system.h"
#include "platform.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

int main()
{
    // The program speaks only through C++ streams. Their own buffers also
    // tell a failed read apart from the end of input.
    std::ios::sync_with_stdio(false);

    // One seed for the whole run, taken before the persona exists.
    std::srand(gorvandel::millisecondTicks());
    auto persona = std::make_unique<gorvandel::OperatingSystem>();

    switch (gorvandel::runCommandLoop(std::cin, *persona)) {
    case gorvandel::LoopEnd::Exit:
    case gorvandel::LoopEnd::EndOfInput:
        return EXIT_SUCCESS;
    case gorvandel::LoopEnd::ReadFailed:
        return EXIT_FAILURE;
    case gorvandel::LoopEnd::WriteFailed:
        std::fputs("gorvandel: cannot write to standard output\n", stderr);
        return EXIT_FAILURE;
    }
    return EXIT_FAILURE;
}
