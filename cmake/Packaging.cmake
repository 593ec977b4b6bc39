# The Debian package: `cpack -G DEB` in the build directory (scripts/package.sh)
# makes tidemark_VERSION_ARCH.deb of everything `cmake --install` installs,
# under /usr.
set(CPACK_PACKAGE_NAME tidemark)
set(CPACK_PACKAGE_VENDOR "Tidemark")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tidemark maintainers <maintainers@users.noreply.c-seed-b36da324.example>"
    CACHE STRING "Maintainer of the Debian package")
set(CPACK_GENERATOR DEB)
# Staged through DESTDIR, so that the install step leaves the desktop's
# caches alone (dpkg's triggers update them on the target).
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# On top of the libraries: the Japanese font the interface is drawn with,
# Qt's own Japanese texts for its dialogs, and a window-system plugin, without
# which no Qt window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[editor for the Ruputer's reminder item file (自動ToDo)
Tidemark edits the reminder items that the Ruputer wrist device evaluates
day by day: once or over a period, on days of chosen months, on weekdays of
every, odd or even week, or irregularly, each moved off chosen weekdays and
holidays. It loads and saves the device's item file (.tmd) and CSV, moves
the file to and from the device over a serial link, and has a month
calendar with Japanese holidays. The user interface is in Japanese.
tidemark-cli converts, lists and inspects item files from the command line;
tidemark-device emulates the device's end of the serial link.
.
Ruputer が毎日評価する自動ToDo の項目ファイルを編集する日本語のデスクトップ
アプリケーションです。項目ファイル (.tmd) と CSV の読み書き、シリアル接続による
Ruputer との転送、日本の祝日つきの月カレンダーを備えます。]=])

install(FILES ${PROJECT_SOURCE_DIR}/share/doc/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tidemark)

include(CPack)
