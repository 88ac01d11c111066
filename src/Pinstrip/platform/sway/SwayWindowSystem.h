#pragma once

#include "SwayIpc.h"
#include "WindowSystem.h"

#include <QRect>
#include <memory>

// sway runs the strip through Xwayland, floats it, and centres it each time it maps it or the
// strip asks for a new size or place. Over sway's IPC socket this makes the strip floating,
// sticky and borderless and puts it back where it was placed, and moves the keyboard between
// the strip and the container that had it. Everything else goes to the X11 window system.
class SwayWindowSystem : public QObject, public WindowSystem {
public:
    // The sway window system over `x11`, or `x11` itself when no sway answers at `socketPath`.
    [[nodiscard]] static std::unique_ptr<WindowSystem> create(const QString& socketPath,
                                                              std::unique_ptr<WindowSystem> x11);

    void prepareFloating(QWindow& window) override;
    void keepFloating(const QWindow& window) override;
    void placed(const QWindow& window, const QRect& geometry) override;
    [[nodiscard]] bool compositorActive() const override;
    void watchCompositor(std::function<void(bool)> changed) override;
    void setBlurBehind(QWindow& window, const QRegion& region) override;
    void rememberActiveWindow(const QWindow& own) override;
    void activate(const QWindow& window, quint32 userTime) override;
    bool handBackKeyboard(const QWindow& own) override;
    bool startMove(const QWindow& window, QPoint pointer) override;

private:
    SwayWindowSystem(std::unique_ptr<SwayIpc> commands, std::unique_ptr<SwayIpc> events,
                     std::unique_ptr<WindowSystem> x11);
    // Has sway float, pin and place the strip's container, once it has one.
    void pin();
    // sway has just mapped the strip (and centred it).
    void mapped();
    // Drops the moves sway makes on its own (they are no choice of the user's) and undoes them.
    bool eventFilter(QObject* watched, QEvent* event) override;

    std::unique_ptr<SwayIpc> m_commands;
    std::unique_ptr<SwayIpc> m_events;
    std::unique_ptr<WindowSystem> m_x11;
    quint64 m_strip = 0;         // the strip's X11 window
    QRect m_target;              // where it goes, in the display's pixels
    QPoint m_placedAt;           // the same in Qt's coordinates
    int m_corrections = 0;       // moves undone since the last placement: sway may insist
    bool m_dragged = false;      // the user moves it, since the last placement
    bool m_focusPending = false; // a summon wants the keyboard for a strip not mapped yet
    qint64 m_previous = -1;      // the container that had the keyboard before a summon
};
