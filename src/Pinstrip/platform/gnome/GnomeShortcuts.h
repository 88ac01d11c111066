#pragma once

#include <QByteArray>
#include <QKeyCombination>
#include <QString>
#include <memory>

class DesktopShortcuts;

// GNOME's shortcut settings: the settings daemon's media keys with the user's custom bindings
// (how Ubuntu binds Ctrl+Alt+T to the terminal), and the window manager's and the shell's keys.
class GnomeShortcuts {
public:
    [[nodiscard]] static std::unique_ptr<DesktopShortcuts> create();

    // Who binds the combination in the reader's output ("GNOME: Terminal"), or empty.
    [[nodiscard]] static QString ownerIn(const QByteArray& output, QKeyCombination combination);
};
