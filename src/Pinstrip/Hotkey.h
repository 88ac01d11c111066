#pragma once

#include <QKeyCombination>
#include <QObject>
#include <functional>
#include <memory>

class HotkeyBackend;

// One system-wide shortcut, registered while the object lives. The callback always runs as a
// queued call on the main thread. A refused registration (another program owns the shortcut)
// is not an error: registered() then answers false and the shortcut never fires.
class Hotkey : public QObject {
    Q_OBJECT

public:
    Hotkey(QKeyCombination combination, std::function<void()> callback, QObject* parent = nullptr);
    ~Hotkey() override;

    [[nodiscard]] bool registered() const;

private:
    std::function<void()> m_callback;
    std::unique_ptr<HotkeyBackend> m_backend;
};
