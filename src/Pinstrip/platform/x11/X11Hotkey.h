#pragma once

#include "HotkeyBackend.h"
#include "X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <memory>
#include <vector>

// A passive key grab on the root window, on Qt's own xcb connection. The combination is grabbed
// also with Num Lock and Caps Lock on, since X matches modifier state exactly. A grab another
// client already holds is refused (BadAccess); then nothing stays grabbed. A press reports the
// key event's server time.
class X11Hotkey : public QObject, public HotkeyBackend, public QAbstractNativeEventFilter {
public:
    X11Hotkey(std::shared_ptr<X11Connection> x11, QKeyCombination combination, Pressed pressed,
              Reported reported);
    ~X11Hotkey() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool grab(std::uint32_t keysym, Qt::KeyboardModifiers modifiers);
    void ungrab();

    Pressed m_pressed;
    std::shared_ptr<X11Connection> m_x11;
    std::vector<std::uint8_t> m_keycodes;
    std::uint16_t m_modifiers = 0;
    std::vector<std::uint16_t> m_lockVariants;
    bool m_registered = false;
};
