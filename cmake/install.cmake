# What `cmake --install` puts into the prefix: the program, its desktop entry, its icon in the
# hicolor theme (every PNG size and the scalable SVG) and the shared-mime-info type of map files.
# Desktops read the icon and the type only after their caches are rebuilt: the Debian package gets
# that from dpkg triggers; after a plain install into /usr/local run
#   update-mime-database /usr/local/share/mime
#   gtk-update-icon-cache /usr/local/share/icons/hicolor   (where present)
include(GNUInstallDirs)

set(ZIRF_ICON_SIZES 16 32 48 64 128 256)

install(TARGETS zirf RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/dist/zirf.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/dist/zirf.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
foreach(size IN LISTS ZIRF_ICON_SIZES)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/dist/icons/zirf-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME zirf.png)
endforeach()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/dist/icons/zirf.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
