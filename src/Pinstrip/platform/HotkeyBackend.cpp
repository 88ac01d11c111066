#include "HotkeyBackend.h"

#include "x11/X11Hotkey.h"

#include <QGuiApplication>

std::unique_ptr<HotkeyBackend> HotkeyBackend::create(QKeyCombination combination,
                                                     std::function<void()> pressed) {
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<X11Hotkey>(combination, std::move(pressed));
    return nullptr;
}
