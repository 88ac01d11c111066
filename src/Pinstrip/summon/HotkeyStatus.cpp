#include "HotkeyStatus.h"

QString HotkeyStatus::text(const QString& asked) const {
    const QString& keyName = key.isEmpty() ? asked : key;
    const QString by = owner.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(owner);
    switch (state) {
    case State::pending:
        return QStringLiteral("%1 is being registered.").arg(keyName);
    case State::registered:
        return QStringLiteral("%1 summons Pinstrip%2.").arg(keyName, by);
    case State::desktopBinds:
        return QStringLiteral("%1 belongs to the desktop%2; double-tap Alt instead.")
            .arg(keyName, by);
    case State::taken:
        return QStringLiteral("%1 is held by another program%2; double-tap Alt instead.")
            .arg(keyName, by);
    case State::unavailable:
        return QStringLiteral("%1 cannot be registered in this session%2; double-tap Alt instead.")
            .arg(keyName, by);
    case State::unbound:
        return owner.isEmpty()
                   ? QStringLiteral("%1 is not yet bound to Pinstrip in the desktop's keyboard "
                                    "settings.")
                         .arg(keyName)
                   : QStringLiteral("%1 runs %2 in the desktop's keyboard settings.")
                         .arg(keyName, owner);
    }
    return {};
}
