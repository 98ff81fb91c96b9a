# The Debian package, korvanta_<version>_<arch>.deb, made by CPack's DEB generator from the install
# rules (cmake/Install.cmake) and the build that the tests ran on: `make package`, or
# `cmake --build build --target package`.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvanta developers")
set(CPACK_PACKAGE_CONTACT "Korvanta developers <korvanta@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for CSV and TSV list files that copies items")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# DESTDIR staging: the install script sees the real prefix /usr (the desktop entry's command).
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.example.com/korvanta/")
# CPack puts CPACK_PACKAGE_DESCRIPTION_SUMMARY first as the synopsis, indents these lines and
# writes an empty one as " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Korvanta is a single-window viewer for list data kept in comma- or
tab-separated text files whose first line names the items, very often
Shift_JIS (code page 932) Japanese text; UTF-8, UTF-16 and EUC-JP files are
read too. The list shows one item of every record, and a click on a row
copies a chosen item of that record, or the whole record joined by TAB, to
the clipboard.

Around that: an incremental search with a history of keys for every file,
sorting, a view of all items, and opening Web and mail addresses found in
the copied text. Korvanta never changes a data file.")
# The shared libraries it links, from dpkg-shlibdeps; then what it needs at run time: Qt's X11
# platform plugin (without it no window opens), and as recommendations the Japanese font, the
# Japanese translation of Qt's standard buttons and the desktop's opener for addresses, folders
# and the text editor. Qt's native Wayland plugin is only a suggestion: in a Wayland session
# Korvanta runs on XWayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
