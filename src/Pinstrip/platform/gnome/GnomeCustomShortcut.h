#pragma once

#include "DesktopShortcuts.h"
#include "HotkeyBackend.h"

#include <QByteArray>
#include <QObject>
#include <memory>

// GNOME on Wayland gives no ordinary program a global key, but its settings daemon runs
// commands bound in Settings → Keyboard → Custom Shortcuts: a binding that runs
// `pinstrip --summon` reaches the running copy over its command channel. This reports whether
// such a binding exists, and adds one, only when the user asked for it.
class GnomeCustomShortcut : public QObject, public HotkeyBackend {
public:
    GnomeCustomShortcut(QKeyCombination combination, Reported reported);

    [[nodiscard]] std::optional<QKeyCombination> proposedBinding() const override;
    QString bind(QKeyCombination combination) override;

private:
    void read();
    void report();

    QKeyCombination m_combination;
    Reported m_reported;
    std::unique_ptr<DesktopShortcuts> m_reader;
    QByteArray m_settings;
    bool m_bound = false;
};
