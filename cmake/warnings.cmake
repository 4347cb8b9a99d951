# Warnings for every target of this project: link gorvandel_warnings.
add_library(gorvandel_warnings INTERFACE)

if(MSVC)
    target_compile_options(gorvandel_warnings INTERFACE /W4 $<$<BOOL:${GORVANDEL_WARNINGS_AS_ERRORS}>:/WX>)
    return()
endif()

target_compile_options(gorvandel_warnings INTERFACE
    -Wall -Wextra -Wpedantic
    -Wshadow
    # Silent narrowing and sign changes between sizes, weights and indices.
    -Wconversion -Wsign-conversion
    -Wold-style-cast
    -Wnon-virtual-dtor -Woverloaded-virtual
    -Wcast-qual -Wcast-align
    # Needs the optimiser's flow analysis, so it speaks in optimised builds.
    -Wnull-dereference
    -Wdouble-promotion
    # printf-style calls with a format that is not a literal.
    -Wformat=2
    -Wimplicit-fallthrough
    -Wundef
    -Wmissing-declarations
    $<$<BOOL:${GORVANDEL_WARNINGS_AS_ERRORS}>:-Werror>)

if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(gorvandel_warnings INTERFACE
        -Wuseless-cast
        -Wduplicated-cond -Wduplicated-branches -Wlogical-op)
endif()
