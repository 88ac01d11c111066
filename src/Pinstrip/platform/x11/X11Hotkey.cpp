#include "X11Hotkey.h"

#include "RawKeyTranslator.h"

#include <QCoreApplication>
#include <algorithm>
#include <xcb/xcb.h>

namespace {

constexpr std::uint32_t keysymF1 = 0xffbe;

// The keysym of a Qt key: printable Latin-1 keys name their lower-case symbol, function keys
// their own; anything else cannot be grabbed here.
std::uint32_t keysymFor(Qt::Key key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<std::uint32_t>(key - Qt::Key_A + 'a');
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        return static_cast<std::uint32_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return keysymF1 + static_cast<std::uint32_t>(key - Qt::Key_F1);
    return 0;
}

struct ModifierBits {
    std::uint16_t alt = 0;
    std::uint16_t super = 0;
    std::uint16_t numLock = 0;
};

bool carries(const X11Connection::KeyColumns& columns, std::uint32_t a, std::uint32_t b) {
    return std::find(columns.begin(), columns.end(), a) != columns.end() ||
           std::find(columns.begin(), columns.end(), b) != columns.end();
}

// Which of Mod1..Mod5 carry Alt, Super and Num Lock differs between setups: read the map.
ModifierBits readModifierBits(const X11Connection& x11,
                              const X11Connection::KeyboardMapping& mapping) {
    ModifierBits bits;
    const X11Connection::Reply<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(x11.get(), xcb_get_modifier_mapping(x11.get()), nullptr));
    if (reply) {
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(reply.get());
        const int perModifier = reply->keycodes_per_modifier;
        for (int modifier = 3; modifier < 8; ++modifier) {
            const auto bit = static_cast<std::uint16_t>(1u << modifier);
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
                if (keycode == 0)
                    continue;
                if (carries(mapping[keycode], Keysym::AltL, Keysym::AltR))
                    bits.alt |= bit;
                if (carries(mapping[keycode], Keysym::SuperL, Keysym::SuperR))
                    bits.super |= bit;
                if (carries(mapping[keycode], Keysym::NumLock, Keysym::NumLock))
                    bits.numLock |= bit;
            }
        }
    }
    if (bits.alt == 0)
        bits.alt = XCB_MOD_MASK_1;
    if (bits.super == 0)
        bits.super = XCB_MOD_MASK_4;
    return bits;
}

} // namespace

X11Hotkey::X11Hotkey(std::shared_ptr<X11Connection> x11, QKeyCombination combination,
                     Pressed pressed, Reported reported)
    : m_pressed(std::move(pressed)), m_x11(std::move(x11)) {
    m_registered = grab(keysymFor(combination.key()), combination.keyboardModifiers());
    const HotkeyStatus status{
        m_registered ? HotkeyStatus::State::registered : HotkeyStatus::State::taken, {}};
    if (m_registered)
        QCoreApplication::instance()->installNativeEventFilter(this);
    QMetaObject::invokeMethod(
        this, [reported = std::move(reported), status] { reported(status); }, Qt::QueuedConnection);
}

X11Hotkey::~X11Hotkey() {
    if (!m_registered)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    ungrab();
}

bool X11Hotkey::grab(std::uint32_t keysym, Qt::KeyboardModifiers modifiers) {
    if (keysym == 0)
        return false;
    const X11Connection::KeyboardMapping mapping = m_x11->keyboardMapping();
    for (std::size_t keycode = 0; keycode < mapping.size(); ++keycode)
        if (carries(mapping[keycode], keysym, keysym))
            m_keycodes.push_back(static_cast<std::uint8_t>(keycode));
    const ModifierBits bits = readModifierBits(*m_x11, mapping);
    if (m_keycodes.empty())
        return false;

    if (modifiers & Qt::ShiftModifier)
        m_modifiers |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        m_modifiers |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        m_modifiers |= bits.alt;
    if (modifiers & Qt::MetaModifier)
        m_modifiers |= bits.super;

    // X matches the modifier state exactly, so Caps Lock or Num Lock being on would otherwise
    // hide the shortcut.
    for (const std::uint16_t variant :
         {std::uint16_t(0), bits.numLock, std::uint16_t(XCB_MOD_MASK_LOCK),
          std::uint16_t(bits.numLock | XCB_MOD_MASK_LOCK)}) {
        if (std::find(m_lockVariants.begin(), m_lockVariants.end(), variant) ==
            m_lockVariants.end())
            m_lockVariants.push_back(variant);
    }

    std::vector<xcb_void_cookie_t> cookies;
    for (const std::uint8_t keycode : m_keycodes)
        for (const std::uint16_t variant : m_lockVariants)
            cookies.push_back(xcb_grab_key_checked(m_x11->get(), 0, m_x11->root(),
                                                   m_modifiers | variant, keycode,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool all = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        // BadAccess here means another client owns the combination.
        if (X11Connection::Reply<xcb_generic_error_t>(xcb_request_check(m_x11->get(), cookie)))
            all = false;
    }
    if (!all)
        ungrab(); // half a shortcut (only with Num Lock on, say) would only confuse
    return all;
}

void X11Hotkey::ungrab() {
    for (const std::uint8_t keycode : m_keycodes)
        for (const std::uint16_t variant : m_lockVariants)
            xcb_ungrab_key(m_x11->get(), keycode, m_x11->root(), m_modifiers | variant);
    xcb_flush(m_x11->get());
}

bool X11Hotkey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    auto* press = static_cast<xcb_key_press_event_t*>(message);
    if (press->event != m_x11->root() ||
        std::find(m_keycodes.begin(), m_keycodes.end(), press->detail) == m_keycodes.end())
        return false;
    std::uint16_t locks = 0;
    for (const std::uint16_t variant : m_lockVariants)
        locks |= variant;
    if ((press->state & 0xff & ~locks) != m_modifiers)
        return false;
    m_pressed(press->time);
    return true;
}
