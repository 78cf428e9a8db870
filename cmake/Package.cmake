# The Debian package (cpack -G DEB, or cpack --preset deb): what
# cmake --install puts in place, with dependencies computed by
# dpkg-shlibdeps and maintainer scripts that refresh the menu, MIME and
# icon caches.
if(WIN32)
  return()
endif()

set(korvane_debian "${CMAKE_BINARY_DIR}/packaging/debian")
foreach(script postinst postrm)
  set(KORVANE_SCRIPT_ROLE "${script}")
  configure_file("${CMAKE_SOURCE_DIR}/packaging/debian/refresh-caches.sh.in"
                 "${korvane_debian}/${script}" @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
endforeach()

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "korvane")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Korvane developers")
set(CPACK_PACKAGE_CONTACT "Korvane developers <korvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "register COM components and inspect their type libraries")
set(CPACK_PACKAGE_DESCRIPTION
    "Korvane registers and unregisters COM components (.dll, .ocx, .exe), shows\n"
    "their type library, its registration and their version resource, compares\n"
    "two components and writes a version report for a folder tree. It adds\n"
    "Register, UnRegister and ActiveX Report to the context menus of Dolphin,\n"
    "Nemo, Thunar and Nautilus. korvane-cli does the same for scripts.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES TRUE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KORVANE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xdg-open opens readme.txt and the web page; Wine runs Windows components.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${korvane_debian}/postinst;${korvane_debian}/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
