#pragma once

#include "CommandShortcuts.h"

#include <QByteArray>
#include <QKeyCombination>
#include <QString>
#include <memory>
#include <optional>

// GNOME's shortcut settings: the settings daemon's media keys with the user's custom bindings
// (how Ubuntu binds Ctrl+Alt+T to the terminal), and the window manager's and the shell's keys.
class GnomeShortcuts {
public:
    // A reader of every binding; `parse` gets what it printed.
    [[nodiscard]] static std::unique_ptr<DesktopShortcuts>
    create(CommandShortcuts::Parser parse = &ownerIn);

    // Who binds the combination in the reader's output ("GNOME: Terminal"), or empty.
    [[nodiscard]] static QString ownerIn(const QByteArray& output, QKeyCombination combination);
    // The accelerator of the custom binding that runs `pinstrip --summon` ("<Control><Alt>t",
    // empty when disabled), or none when there is no such binding.
    [[nodiscard]] static std::optional<QString> summonBindingIn(const QByteArray& output);
    // The strings in a GVariant text: 'a' or ['a', "b's"] or @as [].
    [[nodiscard]] static QStringList stringsOf(const QString& value);
};
