#include "Platform.h"

#include "DesktopFirstHotkey.h"
#include "FallbackWindowSystem.h"
#include "GnomeCustomShortcut.h"
#include "GnomeShortcuts.h"
#include "KGlobalAccelHotkey.h"
#include "KWinLegacyKeySource.h"
#include "NullHotkey.h"
#include "NullKeySource.h"
#include "PortalHotkey.h"
#include "SwayBinding.h"
#include "SwayWindowSystem.h"
#include "X11Connection.h"
#include "X11Hotkey.h"
#include "X11WindowSystem.h"
#include "XInputKeySource.h"
#include "XfceShortcuts.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcPlatform, "pinstrip.platform", QtWarningMsg)

// "ubuntu:GNOME", "GNOME-Flashback:GNOME", "Unity": GNOME's settings daemon and shortcuts.
bool gnome(const QByteArrayList& desktops) {
    return std::any_of(desktops.begin(), desktops.end(), [](const QByteArray& name) {
        return name == "gnome" || name == "unity" || name == "ubuntu" || name == "gnome-classic";
    });
}

// The reader of the shortcut settings of the desktop, or none for a desktop whose settings we
// cannot read.
std::unique_ptr<DesktopShortcuts> desktopShortcuts(const QByteArrayList& desktops) {
    if (gnome(desktops))
        return GnomeShortcuts::create();
    if (desktops.contains("xfce"))
        return XfceShortcuts::create();
    return nullptr;
}

HotkeyBackend::Factory hotkeyFactory(Platform::Hotkeys kind, const Platform::Session& session,
                                     const std::shared_ptr<X11Connection>& x11) {
    using Hotkeys = Platform::Hotkeys;
    qCInfo(lcPlatform) << "hot key:" << kind;
    return [kind, desktops = session.desktops, sway = session.swaySocket,
            x11](QKeyCombination combination, HotkeyBackend::Pressed pressed,
                 HotkeyBackend::Reported reported) -> std::unique_ptr<HotkeyBackend> {
        auto grab = [x11, combination, pressed, reported] {
            return std::make_unique<X11Hotkey>(x11, combination, pressed, reported);
        };
        switch (kind) {
        case Hotkeys::kglobalaccel:
            return std::make_unique<KGlobalAccelHotkey>(combination, std::move(pressed),
                                                        std::move(reported));
        case Hotkeys::portalOrGnomeBinding:
        case Hotkeys::portal:
            return std::make_unique<PortalHotkey>(
                combination, std::move(pressed), reported, [kind, combination, reported] {
                    if (kind == Hotkeys::portal)
                        return std::unique_ptr<HotkeyBackend>(std::make_unique<NullHotkey>(
                            reported, QStringLiteral("no desktop portal with global shortcuts")));
                    return std::unique_ptr<HotkeyBackend>(
                        std::make_unique<GnomeCustomShortcut>(combination, reported));
                });
        case Hotkeys::swayBinding:
            return std::make_unique<SwayBinding>(sway, combination, std::move(reported));
        case Hotkeys::desktopFirstGrab:
            return std::make_unique<DesktopFirstHotkey>(combination, desktopShortcuts(desktops),
                                                        std::move(grab), std::move(reported));
        case Hotkeys::grab:
            return grab();
        case Hotkeys::none:
            break;
        }
        return std::make_unique<NullHotkey>(std::move(reported), QStringLiteral("no X11 display"));
    };
}

} // namespace

Platform::Session Platform::sessionFromEnvironment(bool x11) {
    return {
        .desktops = qgetenv("XDG_CURRENT_DESKTOP").toLower().split(':'),
        .wayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
                   qgetenv("XDG_SESSION_TYPE") == "wayland",
        .x11 = x11,
        .sessionBus = QDBusConnection::sessionBus().isConnected(),
        .swaySocket = qEnvironmentVariable("SWAYSOCK"),
    };
}

Platform::Hotkeys Platform::hotkeysFor(const Session& session) {
    if (session.desktops.contains("kde") && session.sessionBus)
        return Hotkeys::kglobalaccel;
    if (session.wayland && !session.swaySocket.isEmpty())
        return Hotkeys::swayBinding;
    if (session.wayland) // an X11 grab sees keys only while an X11 window has the keyboard
        return gnome(session.desktops) ? Hotkeys::portalOrGnomeBinding : Hotkeys::portal;
    if (!session.x11)
        return Hotkeys::none;
    return gnome(session.desktops) || session.desktops.contains("xfce") ? Hotkeys::desktopFirstGrab
                                                                        : Hotkeys::grab;
}

Platform::DoubleTap Platform::doubleTapFor(const Session& session) {
    if (!session.wayland)
        return DoubleTap::xinput;
    if (!session.x11)
        return DoubleTap::noneOnWayland;
    if (session.desktops.contains("kde"))
        return DoubleTap::kwinLegacyX11;
    if (!session.swaySocket.isEmpty())
        return DoubleTap::swayBindings;
    return gnome(session.desktops) ? DoubleTap::noneOnGnome : DoubleTap::noneOnWayland;
}

Platform Platform::choose() {
    const std::shared_ptr<X11Connection> x11 = X11Connection::ofQt();
    const Session session = sessionFromEnvironment(x11 != nullptr);
    Platform platform;
    platform.hotkey = hotkeyFactory(hotkeysFor(session), session, x11);
    platform.doubleTap = doubleTapFor(session);
    qCInfo(lcPlatform) << "double tap:" << platform.doubleTap;
    if (x11) {
        qCInfo(lcPlatform) << "X11 screen" << x11->screen() << "with root window" << Qt::hex
                           << Qt::showbase << x11->root();
        platform.windowSystem =
            SwayWindowSystem::create(session.swaySocket, std::make_unique<X11WindowSystem>(x11));
    } else {
        qCInfo(lcPlatform).noquote() << "no X11 on" << QGuiApplication::platformName()
                                     << "- no window hints or focus hand-back";
        platform.windowSystem = std::make_unique<FallbackWindowSystem>();
    }
    switch (platform.doubleTap) {
    case DoubleTap::xinput:
        if (x11)
            platform.keySource = std::make_unique<XInputKeySource>(x11);
        break;
    case DoubleTap::kwinLegacyX11:
        platform.keySource =
            std::make_unique<KWinLegacyKeySource>(std::make_unique<XInputKeySource>(x11));
        break;
    case DoubleTap::noneOnGnome:
    case DoubleTap::swayBindings:
    case DoubleTap::noneOnWayland:
        break;
    }
    if (!platform.keySource)
        platform.keySource = std::make_unique<NullKeySource>();
    return platform;
}
