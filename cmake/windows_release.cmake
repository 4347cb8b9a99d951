# Windows: the program's resources (version, icon, manifest).
#
# Included before the program's targets are made; what needs the gorvandel
# target itself waits for the end of the top-level directory. Elsewhere it
# does nothing.
if(NOT WIN32)
    return()
endif()

enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(GORVANDEL_WINDOWS_SOURCE "${PROJECT_SOURCE_DIR}/packaging/windows")
set(GORVANDEL_WINDOWS_BUILD "${PROJECT_BINARY_DIR}/windows")

# --- Resources ---------------------------------------------------------------

# The icon, drawn as pixel art in gorvandel-icon.txt.
set(GORVANDEL_WINDOWS_ICON "${GORVANDEL_WINDOWS_BUILD}/gorvandel.ico")
add_custom_command(OUTPUT "${GORVANDEL_WINDOWS_ICON}"
    COMMAND Python3::Interpreter "${GORVANDEL_WINDOWS_SOURCE}/make_icon.py"
        "${GORVANDEL_WINDOWS_SOURCE}/gorvandel-icon.txt" "${GORVANDEL_WINDOWS_ICON}"
    DEPENDS "${GORVANDEL_WINDOWS_SOURCE}/make_icon.py" "${GORVANDEL_WINDOWS_SOURCE}/gorvandel-icon.txt"
    COMMENT "Drawing gorvandel.ico"
    VERBATIM)

# A manifest's version has four numbers.
set(GORVANDEL_WINDOWS_VERSION
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(GORVANDEL_WINDOWS_MANIFEST "${GORVANDEL_WINDOWS_BUILD}/gorvandel.manifest")
configure_file("${GORVANDEL_WINDOWS_SOURCE}/gorvandel.manifest.in" "${GORVANDEL_WINDOWS_MANIFEST}" @ONLY)

# MinGW links the manifest as a resource; the Microsoft linker makes a
# manifest of its own and merges one that is given as a source file into it.
if(MSVC)
    set(GORVANDEL_MANIFEST_RESOURCE 0)
else()
    set(GORVANDEL_MANIFEST_RESOURCE 1)
endif()
configure_file("${GORVANDEL_WINDOWS_SOURCE}/gorvandel.rc.in" "${GORVANDEL_WINDOWS_BUILD}/gorvandel.rc" @ONLY)

# The resources on their own, apart from the warnings that the program's
# C++ code is compiled with and the resource compiler does not know.
add_library(gorvandel_resources OBJECT
    "${GORVANDEL_WINDOWS_BUILD}/gorvandel.rc" "${GORVANDEL_WINDOWS_ICON}")
set_source_files_properties("${GORVANDEL_WINDOWS_BUILD}/gorvandel.rc" PROPERTIES
    OBJECT_DEPENDS "${GORVANDEL_WINDOWS_ICON};${GORVANDEL_WINDOWS_MANIFEST}")
target_compile_definitions(gorvandel_resources PRIVATE GORVANDEL_MANIFEST_RESOURCE=${GORVANDEL_MANIFEST_RESOURCE})
if(MSVC)
    target_sources(gorvandel_resources INTERFACE "${GORVANDEL_WINDOWS_MANIFEST}")
endif()

function(gorvandel_windows_program)
    target_link_libraries(gorvandel PRIVATE gorvandel_resources)
endfunction()
cmake_language(DEFER CALL gorvandel_windows_program)
