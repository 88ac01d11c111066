#include "platform/x11/X11WindowSystem.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

constexpr quint32 allDesktops = 0xFFFFFFFF;
constexpr quint32 sourcePager = 2; // "a pager or other direct user action" in EWMH terms

template <typename Reply> struct FreeReply {
    void operator()(Reply* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply<Reply>>;

} // namespace

std::unique_ptr<X11WindowSystem> X11WindowSystem::create() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return nullptr;
    xcb_connection_t* connection = x11->connection();
    const xcb_setup_t* setup = xcb_get_setup(connection);
    // Qt opens the display's default screen; the first root serves an Xvfb or single-head desktop.
    int screen = 0;
    if (const char* display = std::getenv("DISPLAY")) {
        if (const char* dot = std::strrchr(display, '.'); dot && dot > std::strrchr(display, ':'))
            screen = std::atoi(dot + 1);
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screen && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return nullptr;
    return std::unique_ptr<X11WindowSystem>(new X11WindowSystem(connection, it.data->root, screen));
}

X11WindowSystem::X11WindowSystem(xcb_connection_t* connection, quint32 root, int screen)
    : m_connection(connection), m_root(root), m_screen(screen) {}

quint32 X11WindowSystem::atom(const char* name) const {
    auto cookie = xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

void X11WindowSystem::prepareFloating(QWindow& window) {
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    // Qt merges the states it manages itself (above) into this list when it maps the window.
    const xcb_atom_t states[] = {atom("_NET_WM_STATE_SKIP_TASKBAR"),
                                 atom("_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, 2, states);
    xcb_flush(m_connection);
}

bool X11WindowSystem::compositorActive() const {
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(m_screen);
    auto cookie = xcb_get_selection_owner(m_connection, atom(name.constData()));
    ReplyPtr<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(m_connection, cookie, nullptr));
    return reply && reply->owner != XCB_WINDOW_NONE;
}

quint32 X11WindowSystem::activeWindow() const {
    auto cookie = xcb_get_property(m_connection, 0, m_root, atom("_NET_ACTIVE_WINDOW"),
                                   XCB_ATOM_WINDOW, 0, 1);
    ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < 4)
        return XCB_WINDOW_NONE;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

bool X11WindowSystem::exists(quint32 window) const {
    auto cookie = xcb_get_window_attributes(m_connection, window);
    ReplyPtr<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(m_connection, cookie, nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

void X11WindowSystem::rememberActiveWindow(const QWindow& own) {
    const quint32 active = activeWindow();
    if (active != static_cast<quint32>(own.winId()))
        m_previous = active;
}

void X11WindowSystem::activate(const QWindow& window, quint32 userTime) {
    if (userTime == 0)
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    // Qt keeps the window's user time on a helper window named by _NET_WM_USER_TIME_WINDOW,
    // stamped with the last event Qt itself saw, older than the key that summons.
    auto cookie = xcb_get_property(m_connection, 0, id, atom("_NET_WM_USER_TIME_WINDOW"),
                                   XCB_ATOM_WINDOW, 0, 1);
    ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr));
    const bool helper =
        reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) == 4;
    const xcb_window_t timeWindow =
        helper ? *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get())) : id;
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, timeWindow, atom("_NET_WM_USER_TIME"),
                        XCB_ATOM_CARDINAL, 32, 1, &userTime);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = sourcePager;
    event.data.data32[1] = userTime;
    event.data.data32[2] = m_previous;
    xcb_send_event(m_connection, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(m_connection);
}

void X11WindowSystem::handBackKeyboard(const QWindow& own) {
    const quint32 previous = m_previous;
    m_previous = XCB_WINDOW_NONE;
    // Whoever took the keyboard from the strip in the meantime keeps it.
    if (!own.isActive())
        return;
    if (previous != XCB_WINDOW_NONE && exists(previous)) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = previous;
        event.type = atom("_NET_ACTIVE_WINDOW");
        event.data.data32[0] = sourcePager;
        event.data.data32[1] = XCB_CURRENT_TIME;
        event.data.data32[2] = static_cast<quint32>(own.winId());
        xcb_send_event(m_connection, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char*>(&event));
    } else {
        // The desktop had the keyboard (no active window): return it there rather than keep it.
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT,
                            XCB_INPUT_FOCUS_POINTER_ROOT, XCB_CURRENT_TIME);
    }
    xcb_flush(m_connection);
}
