#pragma once

#include "platform/WindowSystem.h"

#include <QtGlobal>

struct xcb_connection_t;

// EWMH hints and focus hand-back on Qt's own X connection.
class X11WindowSystem : public WindowSystem {
public:
    // Null when Qt's X connection is not reachable.
    [[nodiscard]] static std::unique_ptr<X11WindowSystem> create();

    void prepareFloating(QWindow& window) override;
    [[nodiscard]] bool compositorActive() const override;
    void rememberActiveWindow(const QWindow& own) override;
    void activate(const QWindow& window, quint32 userTime) override;
    void handBackKeyboard(const QWindow& own) override;

private:
    X11WindowSystem(xcb_connection_t* connection, quint32 root, int screen);

    [[nodiscard]] quint32 atom(const char* name) const;
    [[nodiscard]] quint32 activeWindow() const;
    [[nodiscard]] bool exists(quint32 window) const;

    xcb_connection_t* m_connection;
    quint32 m_root;
    int m_screen;
    quint32 m_previous = 0;
};
