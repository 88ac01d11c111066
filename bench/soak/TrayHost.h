#pragma once

#include <QDBusContext>
#include <QObject>
#include <QStringList>

// A tray host of our own on the session bus: it owns org.kde.StatusNotifierWatcher and reports
// a host, so a Qt program started afterwards exports its tray icon as a StatusNotifierItem, and
// it picks entries of that item's menu by their titles through DBusMenu.
class TrayHost : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    // False when the watcher's name or object cannot be had.
    bool start();
    [[nodiscard]] QStringList items() const { return m_items; }
    [[nodiscard]] static bool hostRegistered() { return true; }
    [[nodiscard]] static int protocolVersion() { return 0; }
    // Sends the first item's menu AboutToShow, then "clicked" to the entry titled `title`
    // (mnemonic marks ignored). False when there is no item or no such entry.
    bool pick(const QString& title);
    // The entry titles of the first item's menu, as read now.
    [[nodiscard]] QStringList titles();

public slots:
    void RegisterStatusNotifierItem(const QString& service);
    void RegisterStatusNotifierHost(const QString& service);

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    // The menu entries of the first item, id → title; notes the menu's object path.
    [[nodiscard]] QList<QPair<int, QString>> entries();

    QStringList m_items;
    QString m_menuPath;
};
