# The Debian package (cpack -G DEB, run by scripts/package on a release build). Its
# library dependencies come from dpkg-shlibdeps; the list below is what the program
# needs at run time without linking to it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillcraft)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${QUILLCRAFT_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${QUILLCRAFT_SUMMARY}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quillcraft lives in the status area and works inside other applications' text\n"
    "fields: grammar and spelling are checked on this computer as you type, the\n"
    "findings are underlined over the field, and a chosen fix is written straight\n"
    "back into it. Highlighted text can be rewritten by a web service.\n"
    "\n"
    "It needs an X11 session with accessibility switched on. From a terminal,\n"
    "quillcraft check reads files with the same grammar engine.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLCRAFT_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# at-spi2-core: the accessibility bus every field is read through. qt6-qpa-plugins: Qt's
# X11 platform plugin, loaded by name at start-up (libqt6gui6 only recommends it).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "at-spi2-core, qt6-qpa-plugins")
# Opens the browser for sign-in; an email and password work without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installs under DESTDIR with the real prefix, so the desktop entry's Exec names /usr/bin.
set(CPACK_SET_DESTDIR ON)
include(CPack)
