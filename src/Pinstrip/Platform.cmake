# Summon triggers and their platform backends. X11 headers and libraries stay in platform/x11/.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PINSTRIP_X11 REQUIRED IMPORTED_TARGET xcb xcb-xinput xcb-keysyms x11)

target_sources(PinstripApp PRIVATE
    Hotkey.h Hotkey.cpp
    OptionDoubleTap.h OptionDoubleTap.cpp
    platform/HotkeyBackend.h platform/HotkeyBackend.cpp
    platform/KeyReport.h
    platform/KeySource.h platform/KeySource.cpp
    platform/RawKeyTranslator.h platform/RawKeyTranslator.cpp
    platform/x11/X11Hotkey.h platform/x11/X11Hotkey.cpp
    platform/x11/XInputKeySource.h platform/x11/XInputKeySource.cpp
)
target_link_libraries(PinstripApp PRIVATE PkgConfig::PINSTRIP_X11)
