# The Debian package: `cpack -G DEB` in the build folder (scripts/package)
# makes kolvanto_VERSION_amd64.deb from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kolvanto)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvik Software")
# The address and the home page use the placeholder domain example.org until
# the project has a web home of its own.
set(CPACK_PACKAGE_CONTACT "Orvik Software <kolvanto@example.org>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kolvanto.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "file splitter and joiner with self-restoring pieces")
set(CPACK_PACKAGE_DESCRIPTION
    "Kolvanto divides a file into a numbered series of pieces no larger than a
chosen size (a floppy, a FAT32 stick, a CD-R, any byte count, or the free
space of each medium) and restores the original from the first piece of a
series. Typed series carry a series identity and a CRC-16 per piece; a
series can also be self-restoring, its first piece a small program that
restores the file on Linux or Windows without Kolvanto.
.
This package holds the desktop program kolvanto (Japanese interface) and
the command-line program kolvanto-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Library dependencies come from the binaries; beside them the window needs
# Qt's platform plugins (only recommended by Qt), its Japanese fonts and
# Qt's own Japanese translation of the standard dialogs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk, qt6-translations-l10n")
include(CPack)
