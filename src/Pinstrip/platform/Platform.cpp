#include "Platform.h"

#include "DesktopFirstHotkey.h"
#include "FallbackWindowSystem.h"
#include "GnomeShortcuts.h"
#include "KGlobalAccelHotkey.h"
#include "NullHotkey.h"
#include "NullKeySource.h"
#include "SwayWindowSystem.h"
#include "X11Connection.h"
#include "X11Hotkey.h"
#include "X11WindowSystem.h"
#include "XInputKeySource.h"
#include "XfceShortcuts.h"

#include <QByteArrayList>
#include <QGuiApplication>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcPlatform, "pinstrip.platform", QtWarningMsg)

// The reader of the shortcut settings of the desktop named in XDG_CURRENT_DESKTOP, or none for a
// desktop whose settings we cannot read.
std::unique_ptr<DesktopShortcuts> desktopShortcuts() {
    // "ubuntu:GNOME", "GNOME-Flashback:GNOME", "Unity", "XFCE", "X-Cinnamon"...
    const QList<QByteArray> names = qgetenv("XDG_CURRENT_DESKTOP").toLower().split(':');
    for (const QByteArray& name : names) {
        if (name == "gnome" || name == "unity" || name == "ubuntu" || name == "gnome-classic")
            return GnomeShortcuts::create();
        if (name == "xfce")
            return XfceShortcuts::create();
    }
    return nullptr;
}

// KDE's global shortcut service on Plasma; elsewhere on X11 a key grab that first asks the
// desktop's own shortcut settings, where we can read them.
std::unique_ptr<HotkeyBackend> hotkeyBackend(const std::shared_ptr<X11Connection>& x11,
                                             QKeyCombination combination,
                                             HotkeyBackend::Pressed pressed,
                                             HotkeyBackend::Reported reported) {
    if (KGlobalAccelHotkey::fitsSession()) {
        qCInfo(lcPlatform) << "hot key: KDE global shortcuts";
        return std::make_unique<KGlobalAccelHotkey>(combination, std::move(pressed),
                                                    std::move(reported));
    }
    if (!x11) {
        qCInfo(lcPlatform) << "hot key: none";
        return std::make_unique<NullHotkey>(std::move(reported));
    }
    auto grab = [x11, combination, pressed, reported] {
        return std::make_unique<X11Hotkey>(x11, combination, pressed, reported);
    };
    if (auto desktop = desktopShortcuts()) {
        qCInfo(lcPlatform) << "hot key: an X11 grab once the desktop's settings leave it free";
        return std::make_unique<DesktopFirstHotkey>(combination, std::move(desktop),
                                                    std::move(grab), std::move(reported));
    }
    qCInfo(lcPlatform) << "hot key: an X11 grab";
    return grab();
}

} // namespace

Platform Platform::choose() {
    const std::shared_ptr<X11Connection> x11 = X11Connection::ofQt();
    Platform platform;
    platform.hotkey = [x11](QKeyCombination combination, HotkeyBackend::Pressed pressed,
                            HotkeyBackend::Reported reported) {
        return hotkeyBackend(x11, combination, std::move(pressed), std::move(reported));
    };
    if (x11) {
        qCInfo(lcPlatform) << "X11 screen" << x11->screen() << "with root window" << Qt::hex
                           << Qt::showbase << x11->root();
        platform.windowSystem = SwayWindowSystem::create(qEnvironmentVariable("SWAYSOCK"),
                                                         std::make_unique<X11WindowSystem>(x11));
        platform.keySource = std::make_unique<XInputKeySource>(x11);
    } else {
        qCInfo(lcPlatform).noquote() << "no X11 on" << QGuiApplication::platformName()
                                     << "- no window hints, focus hand-back or raw keys";
        platform.windowSystem = std::make_unique<FallbackWindowSystem>();
        platform.keySource = std::make_unique<NullKeySource>();
    }
    return platform;
}
