#include "StoreFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QStringList StoreFolder::list(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray StoreFolder::read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool StoreFolder::write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) &&
           file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

std::function<QDateTime()> StoreFolder::clock() {
    return [] { return QDateTime(QDate(2025, 6, 2), QTime(18, 40, 5)); };
}

TodoState StoreFolder::stateOf(QStringView statuses) {
    TodoState state;
    for (const QChar c : statuses)
        state.items.append({QUuid::createUuid(), QChar(char16_t(u'A' + state.items.size())),
                            ItemStatus(QStringView(u"opd").indexOf(c))});
    return state;
}

QString StoreFolder::summary(const QList<TodoItem>& items) {
    QStringList out;
    for (const TodoItem& item : items)
        out << item.title + "opd"[static_cast<int>(item.status)];
    return out.join(u' ');
}
