# The application shell: launch and wiring, the strip's window, the tray icon and its menu,
# and the commands that hand over to the desktop.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PINSTRIP_SHELL_XCB REQUIRED IMPORTED_TARGET xcb xcb-xfixes)

target_sources(PinstripApp PRIVATE
    AboutBox.h AboutBox.cpp
    AppDelegate.h AppDelegate.cpp
    Dialogs.h Dialogs.cpp
    StripPanel.h StripPanel.cpp
    HistoryWindow.h HistoryWindow.cpp
    LoginItem.h LoginItem.cpp
    Messages.h Messages.cpp
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

# main.cpp is compiled in the executable, which sees none of the library's private definitions.
cmake_language(DEFER CALL target_compile_definitions pinstrip PRIVATE PINSTRIP_VERSION="${PROJECT_VERSION}")

include(GNUInstallDirs)
cmake_language(DEFER CALL install TARGETS pinstrip RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
include(${PROJECT_SOURCE_DIR}/packaging/Packaging.cmake)
