# Packages: a Debian package and a tarball (a zip file and an installer on Windows).
set(GORVANDEL_MAINTAINER "Gorvandel developers <maintainers@gorvandel.example>" CACHE STRING
    "Maintainer of the packages, as Name <address>")

set(CPACK_PACKAGE_NAME gorvandel)
set(CPACK_PACKAGE_VENDOR "The Gorvandel developers")
set(CPACK_PACKAGE_CONTACT "${GORVANDEL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console persona that calls itself an operating system")
set(CPACK_PACKAGE_DESCRIPTION
"Gorvandel waits at its prompt, performs one of eighteen pretend actions
when told to do something, with or without a text of the user's, and
learns from reward and punishment which action to prefer. Each action only
writes a line announcing what it pretends to do.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

if(WIN32)
    # A flat zip file and an installer: see windows_release.cmake.
    set(CPACK_GENERATOR ZIP NSIS)
else()
    set(CPACK_GENERATOR DEB TGZ)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, libedit is no library dpkg-shlibdeps can see.
if(GORVANDEL_LINE_EDITING)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS libedit2)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
