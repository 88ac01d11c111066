# Desktop integration and the Debian package: `cmake --install` puts the program, its desktop
# entry, its icon, its AppStream metadata, its manual page and its licence in place;
# `cpack -G DEB` packs the same tree.
include(GNUInstallDirs)
# The package holds the program alone: packing it must not build every test and benchmark.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON PARENT_SCOPE)
set(PINSTRIP_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(PINSTRIP_GENERATED_DIR ${CMAKE_BINARY_DIR}/packaging)

# The date of this version's release, as the manual page and the changelog write it; the
# AppStream file names the same day.
set(PINSTRIP_MAN_DATE 2026-12-06)
set(PINSTRIP_RELEASE_DATE "Sun, 06 Dec 2026 12:00:00 +0000")

# The maintainer as Debian's own tools find it: DEBEMAIL (which may hold "Name <address>"),
# with DEBFULLNAME for the name.
set(PINSTRIP_MAINTAINER "Pinstrip developers <pinstrip@users.noreply.github.com>")
if(NOT "$ENV{DEBEMAIL}" STREQUAL "")
    if("$ENV{DEBEMAIL}" MATCHES "<")
        set(PINSTRIP_MAINTAINER "$ENV{DEBEMAIL}")
    elseif(NOT "$ENV{DEBFULLNAME}" STREQUAL "")
        set(PINSTRIP_MAINTAINER "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
    else()
        set(PINSTRIP_MAINTAINER "Pinstrip developers <$ENV{DEBEMAIL}>")
    endif()
endif()

# Debian wants both compressed, and without a time stamp so that the package is reproducible.
configure_file(${PROJECT_SOURCE_DIR}/docs/pinstrip.1 ${PINSTRIP_GENERATED_DIR}/pinstrip.1 @ONLY)
configure_file(${PINSTRIP_PACKAGING_DIR}/changelog.in ${PINSTRIP_GENERATED_DIR}/changelog @ONLY)
add_custom_command(
    OUTPUT ${PINSTRIP_GENERATED_DIR}/pinstrip.1.gz ${PINSTRIP_GENERATED_DIR}/changelog.gz
    COMMAND gzip -9nkf pinstrip.1 changelog
    # gzip gives each file its source's time, which would leave them out of date for good.
    COMMAND ${CMAKE_COMMAND} -E touch pinstrip.1.gz changelog.gz
    DEPENDS ${PINSTRIP_GENERATED_DIR}/pinstrip.1 ${PINSTRIP_GENERATED_DIR}/changelog
    WORKING_DIRECTORY ${PINSTRIP_GENERATED_DIR})
add_custom_target(pinstrip_docs ALL
    DEPENDS ${PINSTRIP_GENERATED_DIR}/pinstrip.1.gz ${PINSTRIP_GENERATED_DIR}/changelog.gz)

install(FILES ${PINSTRIP_PACKAGING_DIR}/${PINSTRIP_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PINSTRIP_PACKAGING_DIR}/${PINSTRIP_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PINSTRIP_PACKAGING_DIR}/${PINSTRIP_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PINSTRIP_GENERATED_DIR}/pinstrip.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PINSTRIP_PACKAGING_DIR}/copyright ${PINSTRIP_GENERATED_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pinstrip)

set(CPACK_PACKAGE_NAME pinstrip)
set(CPACK_PACKAGE_VENDOR "Pinstrip developers")
set(CPACK_PACKAGE_CONTACT "${PINSTRIP_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PINSTRIP_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "today's list, pinned above everything")
# One line per line of the control file, each under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "A small strip that floats above all windows near the top-right corner of the
screen and keeps today's to-do list. Entries cycle from open to in progress to
done; the day's list is archived into a browsable history. Summon it from
anywhere with a double tap of Alt, Ctrl+Alt+T or the command pinstrip --summon.
Everything stays on the machine.")
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
