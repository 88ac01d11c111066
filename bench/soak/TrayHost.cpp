#include "TrayHost.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDateTime>

namespace {

const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");

// A DBusMenu label with its mnemonic marks taken out: "_" marks the next letter, "__" is "_".
QString plainLabel(const QString& label) {
    QString plain;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] == u'_' && i + 1 < label.size())
            ++i;
        plain += label[i];
    }
    return plain;
}

// Reads one layout node (id, properties, children) and appends its entries and its children's.
void readNode(const QDBusArgument& node, QList<QPair<int, QString>>& out) {
    int id = 0;
    QVariantMap properties;
    node.beginStructure();
    node >> id >> properties;
    if (properties.contains(QStringLiteral("label")))
        out.append({id, plainLabel(properties.value(QStringLiteral("label")).toString())});
    node.beginArray();
    while (!node.atEnd()) {
        QDBusVariant child;
        node >> child;
        readNode(child.variant().value<QDBusArgument>(), out);
    }
    node.endArray();
    node.endStructure();
}

} // namespace

bool TrayHost::start() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                  QDBusConnection::ExportAllProperties) &&
           bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

void TrayHost::RegisterStatusNotifierItem(const QString& service) {
    // Qt names its item by a bus name; a path alone would belong to the caller.
    const QString item = service.startsWith(u'/') ? message().service() : service;
    m_items.append(item);
    emit StatusNotifierItemRegistered(item);
}

void TrayHost::RegisterStatusNotifierHost(const QString&) {
    emit StatusNotifierHostRegistered();
}

QList<QPair<int, QString>> TrayHost::entries() {
    QList<QPair<int, QString>> found;
    if (m_items.isEmpty())
        return found;
    QDBusInterface item(m_items.first(), QStringLiteral("/StatusNotifierItem"),
                        QStringLiteral("org.kde.StatusNotifierItem"));
    m_menuPath = item.property("Menu").value<QDBusObjectPath>().path();
    if (m_menuPath.isEmpty())
        return found;
    QDBusMessage call = QDBusMessage::createMethodCall(m_items.first(), m_menuPath, menuInterface,
                                                       QStringLiteral("AboutToShow"));
    call << 0;
    QDBusConnection::sessionBus().call(call);
    call = QDBusMessage::createMethodCall(m_items.first(), m_menuPath, menuInterface,
                                          QStringLiteral("GetLayout"));
    call << 0 << -1 << QStringList();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2)
        return found;
    readNode(reply.arguments().at(1).value<QDBusArgument>(), found);
    return found;
}

QStringList TrayHost::titles() {
    QStringList result;
    for (const auto& entry : entries())
        result.append(entry.second);
    return result;
}

bool TrayHost::pick(const QString& title) {
    for (const auto& [id, entryTitle] : entries()) {
        if (entryTitle != title)
            continue;
        QDBusMessage event = QDBusMessage::createMethodCall(m_items.first(), m_menuPath,
                                                            menuInterface, QStringLiteral("Event"));
        event << id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0))
              << static_cast<uint>(QDateTime::currentSecsSinceEpoch());
        return QDBusConnection::sessionBus().call(event).type() == QDBusMessage::ReplyMessage;
    }
    return false;
}
