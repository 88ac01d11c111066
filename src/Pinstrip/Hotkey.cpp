#include "Hotkey.h"

#include "platform/HotkeyBackend.h"

Hotkey::Hotkey(QKeyCombination combination, std::function<void()> callback, QObject* parent)
    : Hotkey(combination, std::move(callback), &HotkeyBackend::create, parent) {}

Hotkey::Hotkey(QKeyCombination combination, std::function<void()> callback,
               const BackendFactory& makeBackend, QObject* parent)
    : QObject(parent), m_callback(std::move(callback)),
      m_backend(makeBackend(combination, [this] { pressed(); })) {}

Hotkey::~Hotkey() = default;

bool Hotkey::registered() const {
    return m_backend && m_backend->registered();
}

void Hotkey::pressed() {
    // Never run the callback inside the platform's event handling: it may open windows and
    // take the keyboard. A call still queued when this object dies is dropped with it.
    QMetaObject::invokeMethod(
        this, [this] { m_callback(); }, Qt::QueuedConnection);
}
