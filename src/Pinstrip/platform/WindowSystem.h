#pragma once

#include <QPoint>
#include <QtGlobal>
#include <functional>

class QRect;
class QRegion;
class QWindow;

// What the strip needs from the window system beyond Qt: floating-window hints, whether
// translucency is composited, and lending the keyboard to the strip and handing it back.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // On every desktop and hidden from taskbar and pager. Window managers drop these hints when
    // a window is unmapped, so call this before every show and keepFloating() after it.
    virtual void prepareFloating(QWindow& window) = 0;
    // Asks the window manager of the shown window for the same hints again, in case it dropped
    // them after the hints set before the show were read.
    virtual void keepFloating(const QWindow& window) = 0;
    // The strip was just given `geometry` (Qt's coordinates). Where the window manager ignores
    // a client's own moves (sway), it is told on a channel of its own.
    virtual void placed(const QWindow& window, const QRect& geometry) {
        Q_UNUSED(window);
        Q_UNUSED(geometry);
    }
    // Whether transparent pixels blend with what lies below (otherwise they show black).
    [[nodiscard]] virtual bool compositorActive() const = 0;
    // From now on, tells `changed` the new answer of compositorActive() when a compositor starts
    // or stops.
    virtual void watchCompositor(std::function<void(bool)> changed) = 0;
    // Asks a compositor that can (KWin) to blur what lies behind this part of the window.
    virtual void setBlurBehind(QWindow& window, const QRegion& region) = 0;
    // Notes the window that holds the keyboard now, unless it is `own`.
    virtual void rememberActiveWindow(const QWindow& own) = 0;
    // Asks the window manager to give `window` the keyboard as the user's own action of
    // `userTime` (the key event's server time; 0 when not known), which focus-stealing
    // prevention lets through.
    // Does nothing where the window manager needs no such proof.
    virtual void activate(const QWindow& window, quint32 userTime) {
        Q_UNUSED(window);
        Q_UNUSED(userTime);
    }
    // Has the window manager move `window` with the pointer, which is at `pointer` (in the
    // display's own pixels) with the left button held. False where there is no such request;
    // Qt's own system move serves then.
    virtual bool startMove(const QWindow& window, QPoint pointer) {
        Q_UNUSED(window);
        Q_UNUSED(pointer);
        return false;
    }
    // Gives the keyboard back to the remembered window, or drops it when there is none. False
    // when the window system cannot name that window (a Wayland window beside a strip shown
    // through Xwayland): the caller maps the strip anew, and the compositor hands the keyboard
    // back itself.
    [[nodiscard]] virtual bool handBackKeyboard(const QWindow& own) = 0;
};
