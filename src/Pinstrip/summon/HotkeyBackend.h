#pragma once

#include "HotkeyStatus.h"

#include <QKeyCombination>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

// The platform half of a global shortcut: holds the registration while it lives. Registration
// is asynchronous: `reported` runs on the main thread once the backend knows where it stands
// (never from inside the constructor), and again should that change. `pressed` runs on the main
// thread from inside the platform's event handling with the key event's X server time, or 0
// when the platform gives none.
class HotkeyBackend {
public:
    using Pressed = std::function<void(quint32 userTime)>;
    using Reported = std::function<void(const HotkeyStatus& status)>;
    // Registers one combination with the session's backend.
    using Factory = std::function<std::unique_ptr<HotkeyBackend>(
        QKeyCombination combination, Pressed pressed, Reported reported)>;

    virtual ~HotkeyBackend() = default;

    // Where the desktop lets no program take a key but runs commands bound in its own settings:
    // the key a binding there would use (the asked one, or a free one when the settings give that
    // to another command), and adding the binding. Elsewhere there is nothing to bind.
    [[nodiscard]] virtual std::optional<QKeyCombination> proposedBinding() const { return {}; }
    // Answers an error for the user, or empty once the binding is written; reports again after.
    virtual QString bind(QKeyCombination combination) {
        Q_UNUSED(combination);
        return QStringLiteral("nothing to bind here");
    }
};
