# The Debian package (`scripts/package`, or `cpack` in a build folder). Its
# library dependencies come from dpkg-shlibdeps; what no program links
# against is named here: the X11 platform plugin it cannot start without,
# and, recommended, the image plugins that read TIFF and other copied
# pictures, Qt's own translations (key names, standard buttons) and
# xdg-open.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velloq)
set(CPACK_PACKAGE_VENDOR "Tarnbrook Software")
set(CPACK_PACKAGE_CONTACT "Tarnbrook Software <packages@tarnbrooksoftware.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tarnbrooksoftware.com/velloq/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The language data of Tesseract, which the picture reader loads at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland, tesseract-ocr-eng, tesseract-ocr-deu")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-image-formats-plugins, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "clipboard history with a card overlay
Velloq keeps what you copy (text, rich text, pictures, files and links)
and shows your recent copies as large cards over the whole screen when you
press its shortcut. Picking a card pastes it where you were typing.
.
It never stores what password managers mark as secret, keeps a bounded
history in private files, and works from the command line too.")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
