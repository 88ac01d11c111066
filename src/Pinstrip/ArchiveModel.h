#pragma once

#include "ArchivedDay.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

class DaylaStore;

// The archived days of a DaylaStore, newest first, one row per day. Rows are positions, not
// stamps, so two days archived within the same minute stay two rows. Archiving is reported as
// an insert at the top (and a remove at the bottom when the oldest day falls off).
class ArchiveModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    // A DaylaStore; other objects are refused (the property then reads null).
    Q_PROPERTY(QObject* store READ store WRITE setStore NOTIFY storeChanged)

public:
    // entries: a list of {title, done} maps in stored order.
    enum Role { DateRole = Qt::UserRole + 1, DoneCountRole, ItemCountRole, EntriesRole };

    explicit ArchiveModel(QObject* parent = nullptr);

    [[nodiscard]] QObject* store() const;
    void setStore(QObject* store);

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

signals:
    void storeChanged();

private:
    void sync();

    QPointer<DaylaStore> m_store;
    QList<ArchivedDay> m_days;
};
