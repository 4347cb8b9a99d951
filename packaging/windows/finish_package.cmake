# Run by cpack after each package of a Windows build (CPACK_POST_BUILD_SCRIPTS),
# with the variables of cpack_windows.cmake: writes the zip file again in a
# form that is the same wherever it is built (rezip.py), then SHA256SUMS
# beside the downloads, in the format of sha256sum, for the zip file and the
# installer. The package just made is still in CPack's staging folder
# (CPACK_PACKAGE_FILES); the other one, if made, is already in the package
# folder.
foreach(made IN LISTS CPACK_PACKAGE_FILES)
    if(made MATCHES "\\.zip$")
        execute_process(
            COMMAND "${GORVANDEL_PYTHON}" "${GORVANDEL_WINDOWS_SOURCE}/rezip.py"
                "${made}" "$ENV{SOURCE_DATE_EPOCH}" ${GORVANDEL_ZIP_FILES}
            RESULT_VARIABLE rezipped)
        if(NOT rezipped EQUAL 0)
            message(FATAL_ERROR "The zip file could not be made the same everywhere: ${rezipped}")
        endif()
    endif()
endforeach()

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
