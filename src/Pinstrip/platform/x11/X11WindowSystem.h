#pragma once

#include "WindowSystem.h"

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QtGlobal>
#include <functional>
#include <initializer_list>

struct xcb_connection_t;

// EWMH hints and focus hand-back on Qt's own X connection.
class X11WindowSystem : public WindowSystem, private QAbstractNativeEventFilter {
public:
    ~X11WindowSystem() override;

    // Null when Qt's X connection is not reachable.
    [[nodiscard]] static std::unique_ptr<X11WindowSystem> create();

    void prepareFloating(QWindow& window) override;
    void keepFloating(const QWindow& window) override;
    [[nodiscard]] bool compositorActive() const override;
    void watchCompositor(std::function<void(bool)> changed) override;
    void setBlurBehind(QWindow& window, const QRegion& region) override;
    void rememberActiveWindow(const QWindow& own) override;
    void activate(const QWindow& window, quint32 userTime) override;
    void handBackKeyboard(const QWindow& own) override;
    bool startMove(const QWindow& window, QPoint pointer) override;

private:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

    X11WindowSystem(xcb_connection_t* connection, quint32 root, int screen);

    [[nodiscard]] quint32 atom(const char* name) const;
    [[nodiscard]] QList<quint32> floatingStates() const;
    [[nodiscard]] quint32 activeWindow() const;
    [[nodiscard]] bool exists(quint32 window) const;
    // An EWMH request about `window` to the window manager, through the root window.
    void sendToRoot(quint32 window, const char* type, std::initializer_list<quint32> data) const;

    xcb_connection_t* m_connection;
    quint32 m_root;
    int m_screen;
    quint32 m_previous = 0;
    quint32 m_compositorSelection = 0;
    int m_selectionNotify = -1; // the XFixes event code, once watching
    std::function<void(bool)> m_compositorChanged;
};
