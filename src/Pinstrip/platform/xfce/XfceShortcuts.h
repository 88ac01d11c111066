#pragma once

#include <QByteArray>
#include <QKeyCombination>
#include <QString>
#include <memory>

class DesktopShortcuts;

// Xfce's shortcut settings (the xfconf channel xfce4-keyboard-shortcuts): application commands
// and window-manager actions, each from the user's own set once there is one, else the defaults.
class XfceShortcuts {
public:
    [[nodiscard]] static std::unique_ptr<DesktopShortcuts> create();

    // Who binds the combination in `xfconf-query -lv` output ("Xfce: xfce4-terminal"), or empty.
    [[nodiscard]] static QString ownerIn(const QByteArray& output, QKeyCombination combination);
};
