# AddressSanitizer and UndefinedBehaviorSanitizer, and libFuzzer's coverage,
# for every target of this project that links gorvandel_sanitizers.
add_library(gorvandel_sanitizers INTERFACE)
if(NOT GORVANDEL_SANITIZE AND NOT GORVANDEL_FUZZ)
    return()
endif()

include(CheckCXXSourceCompiles)

# Sanitized builds stop at the first report: nothing is recovered from.
set(gorvandel_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
# The fuzzer's coverage reaches into every library it links.
if(GORVANDEL_FUZZ)
    list(APPEND gorvandel_sanitize_flags -fsanitize=fuzzer-no-link)
endif()

set(CMAKE_REQUIRED_FLAGS "${gorvandel_sanitize_flags}")
list(JOIN CMAKE_REQUIRED_FLAGS " " CMAKE_REQUIRED_FLAGS)
set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=address,undefined)
check_cxx_source_compiles("int main() { return 0; }" GORVANDEL_SANITIZERS_WORK)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
if(NOT GORVANDEL_SANITIZERS_WORK)
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} cannot build with ${gorvandel_sanitize_flags}: "
        "use g++ or clang++ with their sanitizer runtimes (Debian: libclang-rt-14-dev for clang++)")
endif()

target_compile_options(gorvandel_sanitizers INTERFACE ${gorvandel_sanitize_flags})
target_link_options(gorvandel_sanitizers INTERFACE -fsanitize=address,undefined)
