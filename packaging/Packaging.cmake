# Desktop integration and the Debian package: `cmake --install` puts the program, its desktop
# entry, its icon and its AppStream metadata in place; `cpack -G DEB` packs the same tree.
include(GNUInstallDirs)
set(PINSTRIP_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

install(FILES ${PINSTRIP_PACKAGING_DIR}/pinstrip.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PINSTRIP_PACKAGING_DIR}/pinstrip.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PINSTRIP_PACKAGING_DIR}/pinstrip.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_PACKAGE_NAME pinstrip)
set(CPACK_PACKAGE_VENDOR "Pinstrip")
set(CPACK_PACKAGE_CONTACT "Pinstrip developers <pinstrip@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Today's list, pinned above everything")
set(CPACK_PACKAGE_DESCRIPTION
    "A small strip that floats above all windows near the top-right corner of the screen and\
 keeps today's to-do list. Entries cycle from open to in progress to done; the day's list is\
 archived into a browsable history. Summon it from anywhere with a double tap of Alt or\
 Control-Alt-T. Everything stays on the machine.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so invisible to shlibdeps: the X11 platform plugin, the QML modules the
# views import, and the emoji font that draws the tray icon.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-layouts, qml6-module-qtquick-templates, qml6-module-qtquick-window, qml6-module-qtqml-workerscript, fonts-noto-color-emoji")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
# Only the program's own install rules go into the package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/")
include(CPack)
