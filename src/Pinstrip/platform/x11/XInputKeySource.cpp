#include "XInputKeySource.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstring>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace {

// XKB event subtypes that mean the keyboard mapping changed.
constexpr std::uint8_t xkbNewKeyboardNotify = 0;
constexpr std::uint8_t xkbMapNotify = 1;

constexpr std::uint32_t rawEventMask = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS |
                                       XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
                                       XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS;

template <typename T> using Reply = X11Connection::Reply<T>;

double seconds(xcb_timestamp_t serverMs) {
    return static_cast<double>(serverMs) / 1000.0;
}

} // namespace

XInputKeySource::XInputKeySource(std::shared_ptr<X11Connection> x11) : m_x11(std::move(x11)) {}

XInputKeySource::~XInputKeySource() {
    remove();
}

bool XInputKeySource::trusted() {
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(m_x11->get(), &xcb_input_id);
    if (!ext || !ext->present)
        return false;
    m_xinputOpcode = ext->major_opcode;
    xcb_generic_error_t* error = nullptr;
    const Reply<xcb_input_xi_query_version_reply_t> reply(xcb_input_xi_query_version_reply(
        m_x11->get(), xcb_input_xi_query_version(m_x11->get(), 2, 0), &error));
    const Reply<xcb_generic_error_t> refused(error);
    // A connection that already announced a newer 2.x version (Qt does) is answered with
    // BadValue for an older one: that still proves XInput 2 is there.
    return reply ? reply->major_version >= 2 : (refused && refused->error_code == XCB_VALUE);
}

bool XInputKeySource::install(Sink sink) {
    if (m_installed || !trusted())
        return m_installed;
    m_sink = std::move(sink);

    static constexpr char xkbName[] = "XKEYBOARD";
    const Reply<xcb_query_extension_reply_t> xkb(xcb_query_extension_reply(
        m_x11->get(), xcb_query_extension(m_x11->get(), std::strlen(xkbName), xkbName), nullptr));
    m_xkbEventBase = xkb && xkb->present ? xkb->first_event : 0;

    m_translator.releaseAll();
    reloadKeymap();
    if (!selectRawEvents(true))
        return false;
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_installed = true;
    return true;
}

void XInputKeySource::remove() {
    if (!m_installed)
        return;
    m_installed = false;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    selectRawEvents(false);
    m_sink = nullptr;
}

bool XInputKeySource::selectRawEvents(bool on) {
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, on ? rawEventMask : 0};
    return !Reply<xcb_generic_error_t>(xcb_request_check(
        m_x11->get(),
        xcb_input_xi_select_events_checked(m_x11->get(), m_x11->root(), 1, &mask.head)));
}

void XInputKeySource::reloadKeymap() {
    const X11Connection::KeyboardMapping mapping = m_x11->keyboardMapping();
    RawKeyTranslator::Keymap keymap{};
    // The first keysym a key has decides what it is; keys such as the Alt key often carry a
    // second one (Meta_L) in a later column.
    for (std::size_t keycode = 0; keycode < keymap.size(); ++keycode) {
        const X11Connection::KeyColumns& columns = mapping[keycode];
        const auto first = std::find_if(columns.begin(), columns.end(),
                                        [](std::uint32_t keysym) { return keysym != 0; });
        keymap[keycode] = first == columns.end() ? Keysym::NoSymbol : *first;
    }
    m_translator.setKeymap(keymap);
}

bool XInputKeySource::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type == XCB_GE_GENERIC) {
        auto* generic = static_cast<xcb_ge_generic_event_t*>(message);
        if (generic->extension != m_xinputOpcode)
            return false;
        switch (generic->event_type) {
        case XCB_INPUT_RAW_KEY_PRESS: {
            auto* raw = static_cast<xcb_input_raw_key_press_event_t*>(message);
            m_sink(m_translator.keyPress(static_cast<std::uint8_t>(raw->detail)),
                   seconds(raw->time));
            break;
        }
        case XCB_INPUT_RAW_KEY_RELEASE: {
            auto* raw = static_cast<xcb_input_raw_key_release_event_t*>(message);
            m_sink(m_translator.keyRelease(static_cast<std::uint8_t>(raw->detail)),
                   seconds(raw->time));
            break;
        }
        case XCB_INPUT_RAW_BUTTON_PRESS: {
            auto* raw = static_cast<xcb_input_raw_button_press_event_t*>(message);
            m_sink(RawKeyTranslator::buttonPress(raw->detail), seconds(raw->time));
            break;
        }
        default:
            break;
        }
        return false;
    }
    if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
        // While a grab of ours is active (the hot key's passive grab from T's press to its
        // release, a popup menu's keyboard grab) the server sends this connection no raw
        // events, only these core ones: without them a Control or Alt let go before T would
        // stay held here for good. Outside a grab they repeat a raw event the translator has
        // already taken, and it ignores them.
        auto* key = static_cast<xcb_key_press_event_t*>(message);
        m_sink(type == XCB_KEY_PRESS ? m_translator.keyPress(key->detail)
                                     : m_translator.keyRelease(key->detail),
               seconds(key->time));
    } else if (type == XCB_MAPPING_NOTIFY) {
        reloadKeymap();
    } else if (m_xkbEventBase != 0 && type == m_xkbEventBase) {
        const std::uint8_t xkbType = static_cast<const std::uint8_t*>(message)[1];
        if (xkbType == xkbNewKeyboardNotify || xkbType == xkbMapNotify)
            reloadKeymap();
    }
    return false;
}
