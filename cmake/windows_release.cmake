# Windows: the program's resources (version, icon, manifest), builds that
# give the same bytes from the same commit, and the downloads: a flat zip
# file and an NSIS installer, with their SHA256SUMS (see docs/packaging.md).
#
# Included before the program's targets are made, so that the compile and
# link options below reach every one of them; what needs the gorvandel target
# itself waits for the end of the top-level directory. Elsewhere it does
# nothing, and the Debian package and tarball stay as packaging.cmake makes them.
if(NOT WIN32)
    return()
endif()

enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(GORVANDEL_WINDOWS_SOURCE "${PROJECT_SOURCE_DIR}/packaging/windows")
set(GORVANDEL_WINDOWS_BUILD "${PROJECT_BINARY_DIR}/windows")

# x86 is the home platform; x64 the 64-bit build.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(GORVANDEL_WINDOWS_ARCH x64)
else()
    set(GORVANDEL_WINDOWS_ARCH x86)
endif()

# --- The same bytes from the same commit -----------------------------------
#
# No folder of the build machine in the program (__FILE__ and debug
# information are relative to the source folder, or to the build folder
# inside it: the last map that matches wins), and no link time in its header.
# Stripping (CPACK_STRIP_FILES) writes SOURCE_DATE_EPOCH there instead of the
# current time; the zip file's files are dated by it, in UTC, and listed in a
# fixed order (packaging/windows/rezip.py).
if(MINGW)
    add_compile_options(
        "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
        "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=.>")
    add_link_options(-Wl,--no-insert-timestamp)
endif()

# The time of the commit being built, or SOURCE_DATE_EPOCH when the caller
# sets it; without git or outside a clone a fixed time (2026-01-01 00:00 UTC).
set(GORVANDEL_SOURCE_DATE_EPOCH 1767225600)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(GORVANDEL_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
elseif(EXISTS "${PROJECT_SOURCE_DIR}/.git")
    find_package(Git QUIET)
    if(GIT_FOUND)
        execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
            WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
            OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE git_result ERROR_QUIET)
        if(git_result EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
            set(GORVANDEL_SOURCE_DATE_EPOCH "${commit_time}")
        endif()
    endif()
endif()
if(NOT GORVANDEL_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH '${GORVANDEL_SOURCE_DATE_EPOCH}' is not a number of seconds")
endif()

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

# --- What the downloads hold -------------------------------------------------

# Text files with CR LF line ends, as Windows editors want them.
configure_file("${GORVANDEL_WINDOWS_SOURCE}/README.txt.in" "${GORVANDEL_WINDOWS_BUILD}/README.txt"
    @ONLY NEWLINE_STYLE CRLF)
# Read in a console window, which is 80 columns wide.
file(READ "${GORVANDEL_WINDOWS_BUILD}/README.txt" readme)
string(REPEAT "[^\r\n]" 80 eighty_columns)
string(REGEX MATCH "[^\r\n]*${eighty_columns}[^\r\n]*" wide_line "${readme}")
if(wide_line)
    message(FATAL_ERROR "README.txt has a line of 80 columns or more: ${wide_line}")
endif()
# The licence has no @VARIABLE@ in it: it is only copied with CR LF.
configure_file("${PROJECT_SOURCE_DIR}/LICENSE" "${GORVANDEL_WINDOWS_BUILD}/LICENSE.txt"
    @ONLY NEWLINE_STYLE CRLF)

# A component of its own, flat: the program, README.txt and LICENSE.txt in
# one folder. EXCLUDE_FROM_ALL keeps it out of a plain cmake --install.
set(GORVANDEL_WINDOWS_COMPONENT windows_release)
install(FILES "${GORVANDEL_WINDOWS_BUILD}/README.txt" "${GORVANDEL_WINDOWS_BUILD}/LICENSE.txt"
    DESTINATION . COMPONENT ${GORVANDEL_WINDOWS_COMPONENT} EXCLUDE_FROM_ALL)

function(gorvandel_windows_program)
    target_link_libraries(gorvandel PRIVATE gorvandel_resources)
    install(TARGETS gorvandel RUNTIME
        DESTINATION . COMPONENT ${GORVANDEL_WINDOWS_COMPONENT} EXCLUDE_FROM_ALL)
endfunction()
cmake_language(DEFER CALL gorvandel_windows_program)

# --- The packages --------------------------------------------------------------
#
# packaging.cmake sets the name, vendor and descriptions and includes CPack;
# these are the settings of the Windows generators.

set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};${GORVANDEL_WINDOWS_COMPONENT};/")
set(CPACK_PACKAGE_FILE_NAME "${PROJECT_NAME}-${PROJECT_VERSION}-windows-${GORVANDEL_WINDOWS_ARCH}")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

# At cpack time: SOURCE_DATE_EPOCH and the installer's licence page
# (cpack_windows.cmake), then, after each package, the zip file written again
# to be the same everywhere, and SHA256SUMS (finish_package.cmake).
configure_file("${GORVANDEL_WINDOWS_SOURCE}/cpack_windows.cmake.in" "${GORVANDEL_WINDOWS_BUILD}/cpack_windows.cmake" @ONLY)
set(CPACK_PROJECT_CONFIG_FILE "${GORVANDEL_WINDOWS_BUILD}/cpack_windows.cmake")
set(CPACK_POST_BUILD_SCRIPTS "${GORVANDEL_WINDOWS_SOURCE}/finish_package.cmake")

# The installer: Program Files\Gorvandel (Program Files (x86) for the x86
# build on 64-bit Windows), a Unicode installer for the program's processor.
# Both builds may be installed side by side: their registry keys are apart
# (a 32-bit installer writes where 32-bit programs read), and the 64-bit one
# has a name of its own, for Apps & features and its Start menu folder.
set(CPACK_PACKAGE_INSTALL_DIRECTORY Gorvandel)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Gorvandel)
if(GORVANDEL_WINDOWS_ARCH STREQUAL "x64")
    set(CPACK_NSIS_DISPLAY_NAME "Gorvandel (64-bit)")
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    set(CPACK_NSIS_DEFINES "Target amd64-unicode")
else()
    set(CPACK_NSIS_DISPLAY_NAME "Gorvandel")
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
    set(CPACK_NSIS_DEFINES "Target x86-unicode")
endif()
# NSIS keeps each file's modification time, the time of the build, unless
# told not to. Without it the installer of a commit has the same bytes
# wherever it is built, and an installed file is dated when it is installed.
string(APPEND CPACK_NSIS_DEFINES "\nSetDateSave off")
set(CPACK_NSIS_PACKAGE_NAME "${CPACK_NSIS_DISPLAY_NAME}")
set(CPACK_NSIS_MUI_ICON "${GORVANDEL_WINDOWS_ICON}")
set(CPACK_NSIS_MUI_UNIICON "${GORVANDEL_WINDOWS_ICON}")
set(CPACK_NSIS_INSTALLED_ICON_NAME gorvandel.exe)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# An earlier install is removed once the folder has been chosen, wherever it
# is (earlier_install.nsh); CMake's way (CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL)
# runs its uninstaller in place before that, which leaves the uninstaller of
# a folder that is given up.
configure_file("${GORVANDEL_WINDOWS_SOURCE}/earlier_install.nsh.in" "${GORVANDEL_WINDOWS_BUILD}/earlier_install.nsh" @ONLY)
string(APPEND CPACK_NSIS_DEFINES "\n!include \"${GORVANDEL_WINDOWS_BUILD}/earlier_install.nsh\"")
# Nothing is replaced or removed while Gorvandel runs from the folder.
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "Push $INSTDIR\nCall GorvandelClosed\nCall RemoveEarlierInstall")
# A shortcut to a console program opens a console window running it.
set(CPACK_NSIS_MENU_LINKS gorvandel.exe Gorvandel README.txt "Gorvandel read me")

# The page "Install Options" offers to add the program to PATH. CMake's
# installer script adds $INSTDIR\bin, where CMake projects usually put their
# programs, and skips a folder that does not exist; gorvandel.exe is in
# $INSTDIR itself, so that folder is added here, on the same choice (and
# removed by the uninstaller, from where the installer put it).
set(CPACK_NSIS_MODIFY_PATH ON)
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [[
  StrCmp $DO_NOT_ADD_TO_PATH "1" gorvandel_path_done
    Push "$INSTDIR"
    Call AddToPath
  gorvandel_path_done:
]])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [[
  Push "$INSTDIR"
  Call un.GorvandelClosed
  Push "$INSTDIR"
  Call un.RemoveFromPath
]])
