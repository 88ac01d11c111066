#pragma once

#include "HotkeyBackend.h"
#include "HotkeyStatus.h"

#include <QKeyCombination>
#include <QObject>
#include <functional>
#include <memory>

// One system-wide shortcut, registered while the object lives. The callback always runs as a
// queued call on the main thread and gets the key event's X server time (0 when unknown), which
// lets the window manager see the summon as the user's own action. The registration's outcome
// arrives later (statusChanged); a refused one is not an error, the double tap still summons.
class Hotkey : public QObject {
    Q_OBJECT

public:
    using Callback = std::function<void(quint32 userTime)>;

    // Registers through the backend `makeBackend` makes.
    Hotkey(QKeyCombination combination, Callback callback,
           const HotkeyBackend::Factory& makeBackend, QObject* parent = nullptr);
    ~Hotkey() override;

    [[nodiscard]] QKeyCombination combination() const { return m_combination; }
    [[nodiscard]] const HotkeyStatus& status() const { return m_status; }
    // The status as one sentence naming the key ("Ctrl+Alt+T belongs to the desktop (GNOME:
    // Terminal); double-tap Alt instead.").
    [[nodiscard]] QString statusText() const;
    // The backend's binding in the desktop's own settings, where that is how keys reach us.
    [[nodiscard]] std::optional<QKeyCombination> proposedBinding() const;
    QString bind(QKeyCombination combination);

signals:
    void statusChanged();

private:
    void pressed(quint32 userTime);
    void reported(const HotkeyStatus& status);

    QKeyCombination m_combination;
    Callback m_callback;
    HotkeyStatus m_status;
    std::unique_ptr<HotkeyBackend> m_backend;
};
