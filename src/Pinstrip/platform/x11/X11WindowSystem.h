#pragma once

#include "WindowSystem.h"
#include "X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QtGlobal>
#include <functional>
#include <initializer_list>
#include <memory>

// EWMH hints and focus hand-back on Qt's own X connection.
class X11WindowSystem : public WindowSystem, private QAbstractNativeEventFilter {
public:
    explicit X11WindowSystem(std::shared_ptr<X11Connection> x11);
    ~X11WindowSystem() override;

    void prepareFloating(QWindow& window) override;
    void keepFloating(const QWindow& window) override;
    [[nodiscard]] bool compositorActive() const override;
    void watchCompositor(std::function<void(bool)> changed) override;
    void setBlurBehind(QWindow& window, const QRegion& region) override;
    void rememberActiveWindow(const QWindow& own) override;
    void activate(const QWindow& window, quint32 userTime) override;
    bool handBackKeyboard(const QWindow& own) override;
    bool startMove(const QWindow& window, QPoint pointer) override;

private:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

    [[nodiscard]] quint32 atom(const QByteArray& name) const { return m_x11->atom(name); }
    [[nodiscard]] QList<quint32> floatingStates() const;
    [[nodiscard]] quint32 activeWindow() const;
    [[nodiscard]] bool exists(quint32 window) const;
    // An EWMH request about `window` to the window manager, through the root window.
    void sendToRoot(quint32 window, const char* type, std::initializer_list<quint32> data) const;

    std::shared_ptr<X11Connection> m_x11;
    quint32 m_previous = 0;
    quint32 m_compositorSelection;
    bool m_xwayland;
    int m_selectionNotify = -1; // the XFixes event code, once watching
    std::function<void(bool)> m_compositorChanged;
};
