#pragma once

#include <QString>
#include <cstdint>

// Where a global shortcut's registration stands, and who holds the key when it is not ours.
class HotkeyStatus {
public:
    enum class State : std::uint8_t {
        pending,      // the backend has not answered yet
        registered,   // presses reach us
        desktopBinds, // the desktop's own settings bind the key; we leave it alone
        taken,        // another program holds the key
        unavailable,  // this session offers no way to register it
        unbound,      // the desktop runs commands on keys of its own settings, none runs ours yet
    };

    State state = State::pending;
    // Who holds the key ("GNOME: Terminal"), or why it is unavailable; empty when unknown.
    QString owner;
    // The key that summons when the user bound another than the one asked for, else empty.
    QString key = {};

    // One sentence for the user, naming `key` or else the key asked for: the log, the tray's
    // tooltip and the menu say this.
    [[nodiscard]] QString text(const QString& asked) const;

    friend bool operator==(const HotkeyStatus&, const HotkeyStatus&) = default;
};
