# Installing the two programs, and the Debian package built from the same install rules:
# `cpack -G DEB` in the build folder. Its dependencies come from dpkg-shlibdeps; it has no
# maintainer scripts (the menu and icon caches are refreshed by their own package triggers).
install(TARGETS tessaline tessaline-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VENDOR Marlowix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Marlowix <support@tessaline.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn the messages of a Gmail mailbox into rows of text")
set(CPACK_PACKAGE_DESCRIPTION
    "Tessaline signs in to a Gmail account over IMAP, reads a folder or label\n"
    "and turns its messages into rows of text: senders, dates, subjects, body\n"
    "lines, or only the lines that pass a test. The rows can be copied or saved\n"
    "as text or comma-delimited files. tessaline-cli runs the same extraction\n"
    "without a window, for scripts.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders the install rules create get the usual modes whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.tessaline.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as a plugin, so dpkg-shlibdeps cannot see it: the local copy of mail text needs it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6sql6-sqlite)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
include(CPack)
