#pragma once

#include "ArchivedDay.h"

#include "StoreListModel.h"

#include <QtQml/qqmlregistration.h>

// The archived days of a TodoStore, newest first, one row per day. Rows are positions, not
// stamps, so two days archived within the same minute stay two rows. Archiving is reported as
// an insert at the top (and a remove at the bottom when the oldest day falls off).
class ArchiveModel : public StoreListModel {
    Q_OBJECT
    QML_ELEMENT

public:
    // entries: a list of {title, done} maps in stored order.
    enum Role { DateRole = Qt::UserRole + 1, DoneCountRole, ItemCountRole, EntriesRole };

    explicit ArchiveModel(QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

private:
    void reload() override;
    void sync() override;

    QList<ArchivedDay> m_days;
};
