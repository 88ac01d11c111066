# The application shell: launch and wiring, the strip's window, the tray icon and its menu,
# and the commands that hand over to the desktop.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PINSTRIP_SHELL_XCB REQUIRED IMPORTED_TARGET xcb xcb-xfixes)

target_sources(PinstripApp PRIVATE
    AboutBox.h AboutBox.cpp
    AppIcon.h AppIcon.cpp
    AppDelegate.h AppDelegate.cpp
    CommandChannel.h CommandChannel.cpp
    CommandLine.h CommandLine.cpp
    Dialogs.h Dialogs.cpp
    StripPanel.h StripPanel.cpp
    HistoryWindow.h HistoryWindow.cpp
    LoginItem.h LoginItem.cpp
    Messages.h Messages.cpp
    NamedIconEngine.h NamedIconEngine.cpp
    Preferences.h Preferences.cpp
    ScreenCoordinates.h ScreenCoordinates.cpp
    SingleInstance.h SingleInstance.cpp
    StatusItem.h StatusItem.cpp
    TrayMenu.h TrayMenu.cpp
    UpdateCheck.h UpdateCheck.cpp
    platform/WindowSystem.h platform/WindowSystem.cpp
    platform/FallbackWindowSystem.h platform/FallbackWindowSystem.cpp
    platform/x11/X11WindowSystem.h platform/x11/X11WindowSystem.cpp
)
target_link_libraries(PinstripApp PRIVATE PkgConfig::PINSTRIP_SHELL_XCB)
# On one file only, so that switching between a package build and a plain one rebuilds little.
set_source_files_properties(UpdateCheck.cpp PROPERTIES
    COMPILE_DEFINITIONS PINSTRIP_PACKAGE_BUILD=$<BOOL:${PINSTRIP_PACKAGE_BUILD}>)

# main.cpp is compiled in the executable, which sees none of the library's private definitions.
cmake_language(DEFER CALL target_compile_definitions pinstrip PRIVATE
    PINSTRIP_VERSION="${PROJECT_VERSION}" PINSTRIP_APP_ID="${PINSTRIP_APP_ID}")

include(GNUInstallDirs)
cmake_language(DEFER CALL install TARGETS pinstrip RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
include(${PROJECT_SOURCE_DIR}/packaging/Packaging.cmake)
