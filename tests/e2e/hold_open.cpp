// Holds the file its argument names open without sharing, as a virus scanner
// or an editor may, until its standard input ends.
#include <windows.h>

#include <cstdio>

int main(int argc, char* argv[])
{
    const HANDLE file = CreateFileA(argc == 2 ? argv[1] : "", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE || std::puts("held") < 0 || std::fflush(stdout) != 0) {
        return 1;
    }
    while (std::getchar() != EOF) {
    }
}
