// Holds the file named by its argument open without sharing, as a virus
// scanner or an editor may, until its standard input ends.
#include <windows.h>

#include <cstdio>

int main(int argc, char* argv[])
{
    const HANDLE file = argc == 2 ? CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                  : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    CloseHandle(file);
}
