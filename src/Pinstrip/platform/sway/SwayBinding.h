#pragma once

#include "HotkeyBackend.h"

#include <QObject>
#include <QString>

class SwayIpc;

// sway gives no program a key of its own; a `bindsym … exec pinstrip --summon` does the same.
// This reports whether sway's config has one, and binds the key for the running session when
// the user agrees (the config file is the user's to change).
class SwayBinding : public QObject, public HotkeyBackend {
public:
    SwayBinding(const QString& socketPath, QKeyCombination combination, Reported reported);
    ~SwayBinding() override;

    [[nodiscard]] std::optional<QKeyCombination> proposedBinding() const override;
    QString bind(QKeyCombination combination) override;

private:
    std::unique_ptr<SwayIpc> m_ipc;
    QKeyCombination m_combination;
    Reported m_reported;
    bool m_bound = false;
};
