# Cross-compiling for Windows with MinGW-w64, shared by the i686 and x86_64
# toolchain files, which set GORVANDEL_MINGW_TRIPLET first.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GoogleTest needs std::mutex, which the win32 model lacks.
set(CMAKE_C_COMPILER ${GORVANDEL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GORVANDEL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${GORVANDEL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GORVANDEL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime libraries are linked in, so the .exe runs on its own.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Tests of a cross build run under wine where it is installed, with the
# loader that matches the build: Debian's "wine" takes the 32-bit one when
# wine32 is installed, even where the machine cannot run 32-bit code, and
# installs the 64-bit one as /usr/lib/wine/wine64 with no command on PATH.
if(GORVANDEL_MINGW_TRIPLET MATCHES "^x86_64")
    find_program(GORVANDEL_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine)
else()
    find_program(GORVANDEL_WINE NAMES wine PATHS /usr/lib/wine)
endif()
if(GORVANDEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${GORVANDEL_WINE})
endif()
