#pragma once

#include "HotkeyBackend.h"
#include "KeySource.h"
#include "WindowSystem.h"

#include <QByteArrayList>
#include <QObject>
#include <cstdint>
#include <memory>

// Every platform backend of this session, chosen once at start: the window system, the global
// hot key and the system-wide key source of the double tap. Where none fits, a null object stands
// in that does nothing and says why. A new backend is a subfolder and one line in choose().
class Platform {
    Q_GADGET

public:
    // What the environment says of the session.
    struct Session {
        QByteArrayList desktops; // XDG_CURRENT_DESKTOP, lower case: "ubuntu", "gnome"
        bool wayland = false;    // a Wayland session, whichever platform our windows use
        bool x11 = false;        // an X11 connection: the display's, or Xwayland's
        bool sessionBus = false;
        QString swaySocket; // SWAYSOCK: sway, or a compositor speaking its IPC
    };
    enum class Hotkeys : std::uint8_t {
        kglobalaccel,         // KDE's shortcut service, X11 or Wayland
        portalOrGnomeBinding, // the desktop portal's, else a command bound in GNOME's settings
        portal,               // the desktop portal's, where it has global shortcuts
        swayBinding,          // a binding of sway's that runs our summon command
        desktopFirstGrab,     // an X11 grab once the desktop's settings leave the key free
        grab,                 // an X11 grab
        none,
    };
    Q_ENUM(Hotkeys)
    // Where the double tap comes from, and so what to tell the user when it does not.
    enum class DoubleTap : std::uint8_t {
        xinput,        // raw keys of the X server, where it has XInput 2
        kwinLegacyX11, // through Xwayland, as far as KWin's "Legacy X11 App Support" allows
        noneOnGnome,   // GNOME on Wayland hands no program the keys of another
        swayBindings,  // sway runs `pinstrip --tap` from release bindings of its config
        noneOnWayland, // any other Wayland session
    };
    Q_ENUM(DoubleTap)

    [[nodiscard]] static Session sessionFromEnvironment(bool x11);
    [[nodiscard]] static Hotkeys hotkeysFor(const Session& session);
    [[nodiscard]] static DoubleTap doubleTapFor(const Session& session);

    [[nodiscard]] static Platform choose();

    std::unique_ptr<WindowSystem> windowSystem;
    HotkeyBackend::Factory hotkey;
    std::unique_ptr<KeySource> keySource;
    DoubleTap doubleTap = DoubleTap::xinput;
};
