# `cpack -G DEB` (or the `package` target) makes tallix_<version>_<arch>.deb from the install
# rules of packaging/CMakeLists.txt with /usr as prefix. Run-time dependencies come from
# dpkg-shlibdeps on the programs, never from a hand-kept list.
include(GNUInstallDirs)

set(TALLIX_PACKAGE_MAINTAINER "Tallix developers <tallix@example.invalid>" CACHE STRING
  "Maintainer field of the Debian package: a name and a mail address")

# What only a Debian package carries: copyright and changelog where dpkg tools look for them,
# and the reasons for the lintian findings we keep. `cmake --install` leaves these out.
set(debian_doc ${CMAKE_INSTALL_DATADIR}/doc/tallix)
# The changelog dates the release in the form Debian wants (RFC 2822), from the one release date.
execute_process(COMMAND date -u -R -d "${TALLIX_RELEASE_DATE} 12:00"
  OUTPUT_VARIABLE TALLIX_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog
  ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright
  ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
tallix_gzip(${PROJECT_BINARY_DIR}/debian/changelog ${PROJECT_BINARY_DIR}/debian/changelog.gz)
add_custom_target(tallix_debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.gz
  DESTINATION ${debian_doc} COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tallix
  COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_PACKAGE_CONTACT "${TALLIX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "console-style calculator with 6 to 2,000 significant digits")
set(CPACK_PACKAGE_DESCRIPTION [[
Type an expression or an assignment on any line of the window and press
Enter: the exact decimal result appears on the line below. Earlier lines
stay editable and can be evaluated again. The calculator lives in the tray
and comes back with a hotkey.

tallix-cli evaluates the same language in a terminal, from files or from
a pipe.]])
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# tallix-cli opens the line editor at run time, out of the libraries the
# dependency scan sees. The window's menus, dialogs and error lines are Japanese, and a fresh
# desktop may have no face with those glyphs (they would show as boxes). IPA Gothic first:
# Japanese glyph forms for the kanji and full-width kana a console expects, in a 3.5 MB
# package; a desktop that has any Japanese gothic face, Noto Sans CJK or Droid Sans Fallback
# already installs nothing more.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libedit2, fonts-ipafont-gothic | fonts-japanese-gothic | fonts-noto-cjk | fonts-droid-fallback")
# Qt loads these at run time, so the library scan cannot see them: the window
# runs natively in a Wayland session only with qt6-wayland, and the help page is
# opened with xdg-open (without it the program shows the page itself).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xdg-utils")
# The call-up key in a Wayland session goes through the desktop portal.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xdg-desktop-portal)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

# One package made of the ordinary rules and the Debian-only files above.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)

include(CPack)
