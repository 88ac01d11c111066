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
    // Makes the platform half; gets the combination and the handler to call on each press.
    using BackendFactory = std::function<std::unique_ptr<HotkeyBackend>(
        QKeyCombination combination, std::function<void()> pressed)>;

    Hotkey(QKeyCombination combination, std::function<void()> callback, QObject* parent = nullptr);
    Hotkey(QKeyCombination combination, std::function<void()> callback,
           const BackendFactory& makeBackend, QObject* parent = nullptr);
    ~Hotkey() override;

    [[nodiscard]] bool registered() const;

private:
    void pressed();

    std::function<void()> m_callback;
    std::unique_ptr<HotkeyBackend> m_backend;
};
