# Run by cpack after each package of a Windows build (CPACK_POST_BUILD_SCRIPTS):
# writes SHA256SUMS beside the downloads, in the format of sha256sum, for the
# zip file and the installer. The package just made is still in CPack's
# staging folder (CPACK_PACKAGE_FILES); the other one, if made, is already in
# the package folder.
set(sums "")
foreach(extension IN ITEMS zip exe)
    set(name "${CPACK_PACKAGE_FILE_NAME}.${extension}")
    set(file "${CPACK_PACKAGE_DIRECTORY}/${name}")
    foreach(made IN LISTS CPACK_PACKAGE_FILES)
        get_filename_component(made_name "${made}" NAME)
        if(made_name STREQUAL name)
            set(file "${made}")
        endif()
    endforeach()
    if(EXISTS "${file}")
        file(SHA256 "${file}" sum)
        string(APPEND sums "${sum}  ${name}\n")
    endif()
endforeach()
file(WRITE "${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS" "${sums}")
