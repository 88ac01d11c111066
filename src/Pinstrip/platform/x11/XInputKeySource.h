#pragma once

#include "KeySource.h"
#include "RawKeyTranslator.h"

#include <QAbstractNativeEventFilter>
#include <cstdint>

struct xcb_connection_t;

// Raw key and button events of the whole X display through XInput 2, read on Qt's own xcb
// connection. Raw events reach us whichever window has the focus, even while another client
// grabs the keyboard; during a grab of our own the core key events stand in for them.
class XInputKeySource : public KeySource, public QAbstractNativeEventFilter {
public:
    XInputKeySource();
    ~XInputKeySource() override;

    [[nodiscard]] bool trusted() override;
    bool install(Sink sink) override;
    void remove() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool selectRawEvents(bool on);
    void reloadKeymap();

    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_root = 0;
    std::uint8_t m_xinputOpcode = 0;
    std::uint8_t m_xkbEventBase = 0;
    bool m_installed = false;
    Sink m_sink;
    RawKeyTranslator m_translator;
};
