#include "Desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

QString utf8Property(Display* display, Window window, Atom property, Atom type) {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QString text;
    if (XGetWindowProperty(display, window, property, 0, 256, False, type, &actual, &format, &count,
                           &after, &data) == Success &&
        data) {
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(count));
        XFree(data);
    }
    return text;
}

} // namespace

Desktop::Desktop() : m_display(XOpenDisplay(nullptr)) {
    // Windows come and go while the tree is walked: a vanished one just reads as absent.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

Desktop::~Desktop() {
    if (m_display)
        XCloseDisplay(m_display);
}

void Desktop::key(const char* keysym, bool press) {
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XStringToKeysym(keysym)), press,
                      CurrentTime);
    XSync(m_display, False);
}

void Desktop::type(const QString& text) {
    for (const QChar c : text) {
        const QByteArray name = c == u' ' ? QByteArray("space") : QString(c).toLatin1();
        tap(name.constData());
    }
}

void Desktop::moveTo(QPoint at) {
    XTestFakeMotionEvent(m_display, -1, at.x(), at.y(), CurrentTime);
    XSync(m_display, False);
}

void Desktop::click(QPoint at, unsigned button) {
    moveTo(at);
    XTestFakeButtonEvent(m_display, button, True, CurrentTime);
    XTestFakeButtonEvent(m_display, button, False, CurrentTime);
    XSync(m_display, False);
}

bool Desktop::viewable(unsigned long window) const {
    XWindowAttributes attributes{};
    return window && XGetWindowAttributes(m_display, window, &attributes) &&
           attributes.map_state == IsViewable;
}

unsigned long Desktop::focus() const {
    Window focused = 0;
    int revert = 0;
    XGetInputFocus(m_display, &focused, &revert);
    return focused;
}

void Desktop::setFocus(unsigned long window) {
    XSetInputFocus(m_display, window, RevertToPointerRoot, CurrentTime);
    XSync(m_display, False);
}

QRect Desktop::frame(unsigned long window) const {
    XWindowAttributes attributes{};
    Window child = 0;
    int x = 0;
    int y = 0;
    if (!XGetWindowAttributes(m_display, window, &attributes) ||
        !XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), 0, 0, &x, &y,
                               &child))
        return {};
    return {x, y, attributes.width, attributes.height};
}

unsigned long Desktop::findTitled(const QString& title) const {
    return findTitled(DefaultRootWindow(m_display), title);
}

unsigned long Desktop::findTitled(unsigned long under, const QString& title) const {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(m_display, under, &root, &parent, &children, &count))
        return 0;
    const Atom name = XInternAtom(m_display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(m_display, "UTF8_STRING", False);
    unsigned long found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        if (viewable(children[i]) && utf8Property(m_display, children[i], name, utf8) == title)
            found = children[i];
        else
            found = findTitled(children[i], title);
    }
    if (children)
        XFree(children);
    return found;
}
