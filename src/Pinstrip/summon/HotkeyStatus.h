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
    };

    State state = State::pending;
    // Who holds the key ("GNOME: Terminal"), or why it is unavailable; empty when unknown.
    QString owner;

    // One sentence for the user: the log, the tray's tooltip and the menu say this.
    [[nodiscard]] QString text(const QString& keyName) const;

    friend bool operator==(const HotkeyStatus&, const HotkeyStatus&) = default;
};
