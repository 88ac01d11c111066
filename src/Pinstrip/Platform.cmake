# Summon triggers and their platform backends. X11 headers and libraries stay in platform/x11/.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PINSTRIP_X11 REQUIRED IMPORTED_TARGET xcb xcb-xinput xcb-keysyms x11)
find_package(Qt6 REQUIRED COMPONENTS DBus)

target_sources(PinstripApp PRIVATE
    Hotkey.h Hotkey.cpp
    OptionDoubleTap.h OptionDoubleTap.cpp
    platform/CommandShortcuts.h platform/CommandShortcuts.cpp
    platform/DesktopFirstHotkey.h platform/DesktopFirstHotkey.cpp
    platform/DesktopShortcuts.h platform/DesktopShortcuts.cpp
    platform/GtkAccelerator.h platform/GtkAccelerator.cpp
    platform/HotkeyBackend.h platform/HotkeyBackend.cpp
    platform/HotkeyStatus.h platform/HotkeyStatus.cpp
    platform/NullHotkey.h platform/NullHotkey.cpp
    platform/gnome/GnomeShortcuts.h platform/gnome/GnomeShortcuts.cpp
    platform/kde/KGlobalAccelHotkey.h platform/kde/KGlobalAccelHotkey.cpp
    platform/xfce/XfceShortcuts.h platform/xfce/XfceShortcuts.cpp
    platform/KeyReport.h
    platform/KeySource.h platform/KeySource.cpp
    platform/RawKeyTranslator.h platform/RawKeyTranslator.cpp
    platform/x11/X11Hotkey.h platform/x11/X11Hotkey.cpp
    platform/x11/XInputKeySource.h platform/x11/XInputKeySource.cpp
)
target_link_libraries(PinstripApp PRIVATE PkgConfig::PINSTRIP_X11 Qt6::DBus)
