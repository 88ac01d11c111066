#pragma once

#include "HotkeyBackend.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

class QDBusMessage;

// The key through the desktop portal's global shortcuts (Plasma 6, GNOME 48 and later,
// Hyprland): the desktop asks the user and lists the binding in its own settings. Plasma 5.27's
// portal takes the shortcuts from the session's creation and ignores those given to
// BindShortcuts; both are sent, and what the portal answers decides. Where the session bus has
// no portal with global shortcuts, `fallback` stands in.
class PortalHotkey : public QObject, public HotkeyBackend {
    Q_OBJECT

public:
    using Fallback = std::function<std::unique_ptr<HotkeyBackend>()>;

    PortalHotkey(QKeyCombination combination, Pressed pressed, Reported reported, Fallback fallback,
                 QDBusConnection bus = QDBusConnection::sessionBus());
    ~PortalHotkey() override;

    [[nodiscard]] std::optional<QKeyCombination> proposedBinding() const override;
    QString bind(QKeyCombination combination) override;

private slots:
    void answered(const QDBusMessage& response);
    void activated(const QDBusMessage& signal);

private:
    using Then = std::function<void(uint code, const QVariantMap& results)>;
    // Calls a portal method that answers through a Request object's Response signal.
    // `options` gain the request's token.
    void request(const QString& method, QVariantList arguments, QVariantMap options, Then then);
    void sessionCreated(const QVariantMap& results);
    void bound(const QVariantMap& results);

    QDBusConnection m_bus;
    QKeyCombination m_combination;
    Pressed m_pressed;
    Reported m_reported;
    Fallback m_fallback;
    std::unique_ptr<HotkeyBackend> m_standIn;
    QHash<QString, Then> m_pending; // request path → what follows its answer
    QString m_session;
    int m_requests = 0;
};
