#include "X11Connection.h"

#include <QGuiApplication>
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

std::shared_ptr<X11Connection> X11Connection::ofQt() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return nullptr;
    // Qt opens the display through Xlib, whose default screen is the one Qt puts its windows
    // on (":0.1" opens the second). A Qt without Xlib opens the first.
    const int screen = x11->display() ? XDefaultScreen(x11->display()) : 0;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(x11->connection()));
    for (int i = 0; i < screen && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return nullptr;
    return std::shared_ptr<X11Connection>(
        new X11Connection(x11->connection(), it.data->root, screen));
}

X11Connection::X11Connection(xcb_connection_t* connection, std::uint32_t root, int screen)
    : m_connection(connection), m_root(root), m_screen(screen) {}

std::uint32_t X11Connection::atom(const QByteArray& name) const {
    if (const auto known = m_atoms.constFind(name); known != m_atoms.constEnd())
        return *known;
    const auto cookie =
        xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(name.size()), name.constData());
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(m_connection, cookie, nullptr));
    if (!reply)
        return XCB_ATOM_NONE; // asked again next time
    m_atoms.insert(name, reply->atom);
    return reply->atom;
}

X11Connection::KeyboardMapping X11Connection::keyboardMapping() const {
    KeyboardMapping mapping{};
    const std::unique_ptr<xcb_key_symbols_t, void (*)(xcb_key_symbols_t*)> symbols(
        xcb_key_symbols_alloc(m_connection), &xcb_key_symbols_free);
    if (!symbols)
        return mapping;
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    for (unsigned keycode = setup->min_keycode; keycode <= setup->max_keycode; ++keycode)
        for (std::size_t column = 0; column < mapping[keycode].size(); ++column)
            mapping[keycode][column] = xcb_key_symbols_get_keysym(
                symbols.get(), static_cast<xcb_keycode_t>(keycode), static_cast<int>(column));
    return mapping;
}
