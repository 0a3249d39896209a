# The Debian package: `cpack -G DEB` in the build folder writes zirf_<version>_<arch>.deb.
# It installs what cmake/install.cmake names, under /usr.
set(CPACK_PACKAGE_NAME zirf)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ZIRF developers")
set(CPACK_PACKAGE_CONTACT "ZIRF developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tile-based pixel graphics tool")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZIRF developers")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary first and indents every line of the long description itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "ZIRF opens a picture, shows it at an integer zoom from 1 to 10 and treats it
as a sheet of 8x8 or 16x16 tiles: insert or remove a one-pixel grid, swap
tiles by dragging, keep a tile map and save it as a .zirf-map file, put every
tile back home, and save the picture as PNG or BMP.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# dpkg-shlibdeps finds the shared libraries the program links. Qt loads its window-system
# plugin (xcb) at run time, so nothing links it and it is named by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")

set(CPACK_GENERATOR DEB)
include(CPack)
