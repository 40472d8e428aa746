# The Debian package: `cpack -G DEB` in the build folder makes
# quillex_<version>_<arch>.deb from the install rules of cmake/Install.cmake.
# Its dependencies are worked out by dpkg-shlibdeps from the binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillex)
set(CPACK_PACKAGE_VENDOR "The Quillex developers")
set(CPACK_PACKAGE_CONTACT "${QUILLEX_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${QUILLEX_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pull readable strings out of executables and other files")
# Lines of at most 80 characters; an empty line starts a new paragraph.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Quillex finds the readable text inside executables, libraries, firmware"
  "images and any other file: ANSI strings (runs of single bytes that the"
  "character classes admit), Unicode strings (UTF-16LE text) and the"
  "string-table resources of Windows PE images with their resource IDs."
  "Each string comes with its file offset and its address in the loaded image."
  ""
  "The desktop program shows the strings in a sortable, searchable list and"
  "saves or copies them; the command-line scanner quillex-scan prints the"
  "same results.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
include(CPack)
