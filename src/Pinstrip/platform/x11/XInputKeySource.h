#pragma once

#include "KeySource.h"
#include "RawKeyTranslator.h"
#include "X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <memory>

// Raw key and button events of the whole X display through XInput 2, read on Qt's own xcb
// connection. Raw events reach us whichever window has the focus, even while another client
// grabs the keyboard; during a grab of our own the core key events stand in for them.
class XInputKeySource : public KeySource, public QAbstractNativeEventFilter {
public:
    explicit XInputKeySource(std::shared_ptr<X11Connection> x11);
    ~XInputKeySource() override;

    [[nodiscard]] bool trusted() override;
    bool install(Sink sink) override;
    void remove() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool selectRawEvents(bool on);
    void reloadKeymap();

    std::shared_ptr<X11Connection> m_x11;
    std::uint8_t m_xinputOpcode = 0;
    std::uint8_t m_xkbEventBase = 0;
    bool m_installed = false;
    Sink m_sink;
    RawKeyTranslator m_translator;
};
