#include "X11Hotkey.h"

#include "RawKeyTranslator.h"

#include <QGuiApplication>
#include <algorithm>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

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

bool keyCarries(xcb_key_symbols_t* symbols, xcb_keycode_t keycode, std::uint32_t a,
                std::uint32_t b) {
    for (int column = 0; column < 4; ++column) {
        const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols, keycode, column);
        if (keysym == a || keysym == b)
            return true;
    }
    return false;
}

// Which of Mod1..Mod5 carry Alt, Super and Num Lock differs between setups: read the map.
ModifierBits readModifierBits(xcb_connection_t* connection, xcb_key_symbols_t* symbols) {
    ModifierBits bits;
    xcb_get_modifier_mapping_reply_t* reply =
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    if (reply) {
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(reply);
        const int perModifier = reply->keycodes_per_modifier;
        for (int modifier = 3; modifier < 8; ++modifier) {
            const auto bit = static_cast<std::uint16_t>(1u << modifier);
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
                if (keycode == 0)
                    continue;
                if (keyCarries(symbols, keycode, Keysym::AltL, Keysym::AltR))
                    bits.alt |= bit;
                if (keyCarries(symbols, keycode, Keysym::SuperL, Keysym::SuperR))
                    bits.super |= bit;
                if (keyCarries(symbols, keycode, Keysym::NumLock, Keysym::NumLock))
                    bits.numLock |= bit;
            }
        }
        free(reply);
    }
    if (bits.alt == 0)
        bits.alt = XCB_MOD_MASK_1;
    if (bits.super == 0)
        bits.super = XCB_MOD_MASK_4;
    return bits;
}

} // namespace

X11Hotkey::X11Hotkey(QKeyCombination combination, Pressed pressed, Reported reported)
    : m_pressed(std::move(pressed)) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    HotkeyStatus status{HotkeyStatus::State::unavailable, QStringLiteral("no X11 display")};
    if (x11) {
        m_connection = x11->connection();
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_registered = grab(keysymFor(combination.key()), combination.keyboardModifiers());
        status = {m_registered ? HotkeyStatus::State::registered : HotkeyStatus::State::taken, {}};
    }
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
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
    if (!symbols)
        return false;
    if (xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysym)) {
        for (xcb_keycode_t* k = keycodes; *k != XCB_NO_SYMBOL; ++k)
            m_keycodes.push_back(*k);
        free(keycodes);
    }
    const ModifierBits bits = readModifierBits(m_connection, symbols);
    xcb_key_symbols_free(symbols);
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
            cookies.push_back(xcb_grab_key_checked(m_connection, 0, m_root, m_modifiers | variant,
                                                   keycode, XCB_GRAB_MODE_ASYNC,
                                                   XCB_GRAB_MODE_ASYNC));
    bool all = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        // BadAccess here means another client owns the combination.
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            all = false;
            free(error);
        }
    }
    if (!all)
        ungrab(); // half a shortcut (only with Num Lock on, say) would only confuse
    return all;
}

void X11Hotkey::ungrab() {
    for (const std::uint8_t keycode : m_keycodes)
        for (const std::uint16_t variant : m_lockVariants)
            xcb_ungrab_key(m_connection, keycode, m_root, m_modifiers | variant);
    xcb_flush(m_connection);
}

bool X11Hotkey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    auto* press = static_cast<xcb_key_press_event_t*>(message);
    if (press->event != m_root ||
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
