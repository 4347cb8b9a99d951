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

# Tests of a cross build run under wine where it is installed.
find_program(GORVANDEL_WINE wine)
if(GORVANDEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${GORVANDEL_WINE})
endif()
