# Installation: the program, its manual page and licence, in the folders GNUInstallDirs
# names. Debian puts the binaries of games in /usr/games, so the program's
# folder is a cache variable of its own that the package build sets to games.
include(GNUInstallDirs)

set(GORVANDEL_INSTALL_BINDIR "${CMAKE_INSTALL_BINDIR}" CACHE STRING
    "Folder for the gorvandel program, relative to the install prefix (games for a Debian package)")
option(GORVANDEL_DEBIAN_DOCS
    "Install the manual page and changelog compressed, and the copyright file, as a Debian package wants them" OFF)

configure_file(man/gorvandel.6.in man/gorvandel.6 @ONLY)

install(TARGETS gorvandel RUNTIME DESTINATION "${GORVANDEL_INSTALL_BINDIR}")

# Completion of the options in bash, zsh and fish, each in the folder where
# it looks under the prefix. Debian's zsh reads its packages' completions in
# /usr/share/zsh/vendor-completions and the local ones in
# /usr/local/share/zsh/site-functions, where zsh's own default puts them.
# The prefix configured decides (not one given to cmake --install); not
# cached, so that configuring again with another prefix follows it. Another
# system's folder can be given with -DGORVANDEL_INSTALL_ZSH_COMPLETIONDIR.
# The scripts are written by the build (src/CMakeLists.txt).
if(TARGET gorvandel_completions)
    if(NOT GORVANDEL_INSTALL_ZSH_COMPLETIONDIR)
        set(zsh_folder site-functions)
        if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
            set(zsh_folder vendor-completions)
        endif()
        set(GORVANDEL_INSTALL_ZSH_COMPLETIONDIR "${CMAKE_INSTALL_DATAROOTDIR}/zsh/${zsh_folder}")
    endif()
    set(scripts "${PROJECT_BINARY_DIR}/completions")
    install(FILES "${scripts}/gorvandel.bash" RENAME gorvandel
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions")
    install(FILES "${scripts}/_gorvandel" DESTINATION "${GORVANDEL_INSTALL_ZSH_COMPLETIONDIR}")
    install(FILES "${scripts}/gorvandel.fish" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/fish/vendor_completions.d")
endif()

if(NOT GORVANDEL_DEBIAN_DOCS)
    install(FILES "${PROJECT_BINARY_DIR}/man/gorvandel.6" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
    install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION "${CMAKE_INSTALL_DOCDIR}")
    return()
endif()

# gzip -9n: best compression and no time stamp, so the package is reproducible.
# Each file is copied beside its own .gz and compressed there, so that two
# files never share a scratch name in a parallel build.
find_program(GZIP_PROGRAM gzip REQUIRED)
function(gorvandel_gzip source compressed)
    string(REGEX REPLACE "\\.gz$" "" uncompressed "${compressed}")
    add_custom_command(OUTPUT "${compressed}"
        COMMAND "${CMAKE_COMMAND}" -E copy "${source}" "${uncompressed}"
        COMMAND "${GZIP_PROGRAM}" -9nf "${uncompressed}"
        DEPENDS "${source}"
        VERBATIM)
endfunction()

gorvandel_gzip("${PROJECT_BINARY_DIR}/man/gorvandel.6" "${PROJECT_BINARY_DIR}/debian/gorvandel.6.gz")
gorvandel_gzip("${PROJECT_SOURCE_DIR}/packaging/debian/changelog" "${PROJECT_BINARY_DIR}/debian/changelog.gz")
add_custom_target(gorvandel_debian_docs ALL
    DEPENDS "${PROJECT_BINARY_DIR}/debian/gorvandel.6.gz" "${PROJECT_BINARY_DIR}/debian/changelog.gz")

install(FILES "${PROJECT_BINARY_DIR}/debian/gorvandel.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
# The licence stands in the copyright file, as Debian wants it.
install(FILES "${PROJECT_BINARY_DIR}/debian/changelog.gz" "${PROJECT_SOURCE_DIR}/packaging/debian/copyright"
    DESTINATION "${CMAKE_INSTALL_DOCDIR}")
