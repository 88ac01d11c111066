#include "HotkeyBackend.h"

#include "DesktopFirstHotkey.h"
#include "KGlobalAccelHotkey.h"
#include "NullHotkey.h"
#include "X11Hotkey.h"

#include <QGuiApplication>

std::unique_ptr<HotkeyBackend> HotkeyBackend::create(QKeyCombination combination, Pressed pressed,
                                                     Reported reported) {
    if (KGlobalAccelHotkey::fitsSession())
        return std::make_unique<KGlobalAccelHotkey>(combination, std::move(pressed),
                                                    std::move(reported));
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::make_unique<NullHotkey>(std::move(reported));
    auto grab = [combination, pressed, reported] {
        return std::make_unique<X11Hotkey>(combination, pressed, reported);
    };
    if (auto desktop = DesktopShortcuts::create())
        return std::make_unique<DesktopFirstHotkey>(combination, std::move(desktop),
                                                    std::move(grab), std::move(reported));
    return grab();
}
