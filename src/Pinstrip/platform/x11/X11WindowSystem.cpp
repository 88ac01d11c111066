#include "X11WindowSystem.h"

#include <QGuiApplication>
#include <QList>
#include <QRegion>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace {

constexpr quint32 allDesktops = 0xFFFFFFFF;
constexpr quint32 sourcePager = 2; // "a pager or other direct user action" in EWMH terms
constexpr quint32 stateRemove = 0;
constexpr quint32 stateAdd = 1;
constexpr quint32 sourceApplication = 1;

template <typename T> using Reply = X11Connection::Reply<T>;

} // namespace

X11WindowSystem::X11WindowSystem(std::shared_ptr<X11Connection> x11)
    : m_x11(std::move(x11)),
      // A compositor owns this selection while it runs.
      m_compositorSelection(atom("_NET_WM_CM_S" + QByteArray::number(m_x11->screen()))),
      // Xwayland names its outputs so; a Wayland window holding the keyboard shows there as no
      // active window at all.
      m_xwayland(QGuiApplication::primaryScreen() &&
                 QGuiApplication::primaryScreen()->name().startsWith(u"XWAYLAND")) {}

QList<quint32> X11WindowSystem::floatingStates() const {
    // Sticky as well as all desktops: xfwm4 reads the desktop number alone as its last desktop.
    return {atom("_NET_WM_STATE_STICKY"), atom("_NET_WM_STATE_SKIP_TASKBAR"),
            atom("_NET_WM_STATE_SKIP_PAGER")};
}

void X11WindowSystem::prepareFloating(QWindow& window) {
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_change_property(m_x11->get(), XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    // Qt merges the states it manages itself (above) into this list when it maps the window.
    const QList<quint32> states = floatingStates();
    xcb_change_property(m_x11->get(), XCB_PROP_MODE_REPLACE, id, atom("_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, static_cast<uint32_t>(states.size()), states.data());
    xcb_flush(m_x11->get());
}

void X11WindowSystem::keepFloating(const QWindow& window) {
    const auto id = static_cast<quint32>(window.winId());
    sendToRoot(id, "_NET_WM_DESKTOP", {allDesktops, sourcePager});
    // Above as well: a window manager that handles an unmap late wipes the states Qt wrote for
    // the next map.
    const QList<quint32> states = floatingStates() << atom("_NET_WM_STATE_ABOVE");
    for (const quint32 state : states)
        sendToRoot(id, "_NET_WM_STATE", {stateAdd, state, XCB_ATOM_NONE, sourcePager});
    // KWin flags every window mapped without the keyboard as demanding attention; the strip
    // was shown on purpose and wants nothing.
    sendToRoot(id, "_NET_WM_STATE",
               {stateRemove, atom("_NET_WM_STATE_DEMANDS_ATTENTION"), XCB_ATOM_NONE, sourcePager});
    xcb_flush(m_x11->get());
}

bool X11WindowSystem::startMove(const QWindow& window, QPoint pointer) {
    // The press gave this client the pointer; the window manager's grab needs it free.
    xcb_ungrab_pointer(m_x11->get(), XCB_CURRENT_TIME);
    constexpr quint32 moveWithPointer = 8;
    sendToRoot(static_cast<quint32>(window.winId()), "_NET_WM_MOVERESIZE",
               {static_cast<quint32>(pointer.x()), static_cast<quint32>(pointer.y()),
                moveWithPointer, XCB_BUTTON_INDEX_1, sourceApplication});
    xcb_flush(m_x11->get());
    return true;
}

void X11WindowSystem::sendToRoot(quint32 window, const char* type,
                                 std::initializer_list<quint32> data) const {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(type);
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(m_x11->get(), 0, m_x11->root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
}

X11WindowSystem::~X11WindowSystem() {
    if (m_selectionNotify >= 0 && qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

bool X11WindowSystem::compositorActive() const {
    auto cookie = xcb_get_selection_owner(m_x11->get(), m_compositorSelection);
    Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(m_x11->get(), cookie, nullptr));
    return reply && reply->owner != XCB_WINDOW_NONE;
}

void X11WindowSystem::watchCompositor(std::function<void(bool)> changed) {
    m_compositorChanged = std::move(changed);
    if (m_selectionNotify >= 0)
        return;
    // XFixes reports each change of the compositor selection's owner.
    const xcb_query_extension_reply_t* xfixes =
        xcb_get_extension_data(m_x11->get(), &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    Reply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        m_x11->get(), xcb_xfixes_query_version(m_x11->get(), 5, 0), nullptr));
    if (!version)
        return;
    xcb_xfixes_select_selection_input(m_x11->get(), m_x11->root(), m_compositorSelection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(m_x11->get());
    m_selectionNotify = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    qGuiApp->installNativeEventFilter(this);
}

bool X11WindowSystem::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (type != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != m_selectionNotify)
        return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection == m_compositorSelection && m_compositorChanged)
        m_compositorChanged(notify->owner != XCB_WINDOW_NONE);
    return false;
}

void X11WindowSystem::setBlurBehind(QWindow& window, const QRegion& region) {
    QList<quint32> rects;
    for (const QRect& rect : region)
        rects << rect.x() << rect.y() << rect.width() << rect.height();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t blur = atom("_KDE_NET_WM_BLUR_BEHIND_REGION");
    // An empty list would blur the whole window, corners included.
    if (rects.isEmpty())
        xcb_delete_property(m_x11->get(), id, blur);
    else
        xcb_change_property(m_x11->get(), XCB_PROP_MODE_REPLACE, id, blur, XCB_ATOM_CARDINAL, 32,
                            static_cast<uint32_t>(rects.size()), rects.data());
    xcb_flush(m_x11->get());
}

quint32 X11WindowSystem::activeWindow() const {
    auto cookie = xcb_get_property(m_x11->get(), 0, m_x11->root(), atom("_NET_ACTIVE_WINDOW"),
                                   XCB_ATOM_WINDOW, 0, 1);
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_x11->get(), cookie, nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < 4)
        return XCB_WINDOW_NONE;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

bool X11WindowSystem::exists(quint32 window) const {
    auto cookie = xcb_get_window_attributes(m_x11->get(), window);
    Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(m_x11->get(), cookie, nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

void X11WindowSystem::rememberActiveWindow(const QWindow& own) {
    const quint32 active = activeWindow();
    if (active != static_cast<quint32>(own.winId()))
        m_previous = active;
}

void X11WindowSystem::activate(const QWindow& window, quint32 userTime) {
    const auto id = static_cast<xcb_window_t>(window.winId());
    // Without the time of the user's action (a second launch, a tray menu another process
    // draws) the request still comes from the user: window managers take the current time.
    if (userTime == 0) {
        sendToRoot(id, "_NET_ACTIVE_WINDOW", {sourcePager, XCB_CURRENT_TIME, m_previous});
        xcb_flush(m_x11->get());
        return;
    }
    // Qt keeps the window's user time on a helper window named by _NET_WM_USER_TIME_WINDOW,
    // stamped with the last event Qt itself saw, older than the key that summons.
    auto cookie = xcb_get_property(m_x11->get(), 0, id, atom("_NET_WM_USER_TIME_WINDOW"),
                                   XCB_ATOM_WINDOW, 0, 1);
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_x11->get(), cookie, nullptr));
    const bool helper =
        reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) == 4;
    const xcb_window_t timeWindow =
        helper ? *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get())) : id;
    xcb_change_property(m_x11->get(), XCB_PROP_MODE_REPLACE, timeWindow, atom("_NET_WM_USER_TIME"),
                        XCB_ATOM_CARDINAL, 32, 1, &userTime);
    sendToRoot(id, "_NET_ACTIVE_WINDOW", {sourcePager, userTime, m_previous});
    xcb_flush(m_x11->get());
}

bool X11WindowSystem::handBackKeyboard(const QWindow& own) {
    const quint32 previous = m_previous;
    m_previous = XCB_WINDOW_NONE;
    // Whoever took the keyboard from the strip in the meantime keeps it.
    if (!own.isActive())
        return true;
    if (previous == XCB_WINDOW_NONE && m_xwayland)
        return false;
    if (previous != XCB_WINDOW_NONE && exists(previous)) {
        sendToRoot(previous, "_NET_ACTIVE_WINDOW",
                   {sourcePager, XCB_CURRENT_TIME, static_cast<quint32>(own.winId())});
    } else {
        // The desktop had the keyboard (no active window): return it there rather than keep it.
        xcb_set_input_focus(m_x11->get(), XCB_INPUT_FOCUS_POINTER_ROOT,
                            XCB_INPUT_FOCUS_POINTER_ROOT, XCB_CURRENT_TIME);
    }
    xcb_flush(m_x11->get());
    return true;
}
