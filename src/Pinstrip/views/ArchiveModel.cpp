#include "ArchiveModel.h"

#include "TodoStore.h"

#include <QVariantMap>

#include <algorithm>

ArchiveModel::ArchiveModel(QObject* parent) : StoreListModel(parent) {}

void ArchiveModel::reload() {
    m_days = boundStore() ? boundStore()->state().archive : decltype(m_days)();
}

int ArchiveModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_days.size());
}

QVariant ArchiveModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ArchivedDay& day = m_days.at(index.row());
    switch (role) {
    case DateRole:
    case Qt::DisplayRole:
        return day.date;
    case DoneCountRole:
        return static_cast<int>(
            std::count_if(day.items.cbegin(), day.items.cend(),
                          [](const TodoItem& item) { return item.status == ItemStatus::done; }));
    case ItemCountRole:
        return static_cast<int>(day.items.size());
    case EntriesRole: {
        QVariantList entries;
        entries.reserve(day.items.size());
        for (const TodoItem& item : day.items)
            entries.append(QVariantMap{{QStringLiteral("title"), item.title},
                                       {QStringLiteral("done"), item.status == ItemStatus::done}});
        return entries;
    }
    default:
        return {};
    }
}

QHash<int, QByteArray> ArchiveModel::roleNames() const {
    return {{DateRole, "date"},
            {DoneCountRole, "doneCount"},
            {ItemCountRole, "itemCount"},
            {EntriesRole, "entries"}};
}

void ArchiveModel::sync() {
    const QList<ArchivedDay> target =
        boundStore() ? boundStore()->state().archive : QList<ArchivedDay>();
    if (target == m_days)
        return;
    const qsizetype oldSize = m_days.size();
    const qsizetype newSize = target.size();

    // The usual change: k new days on top, the old days after them, maybe cut at the end.
    for (qsizetype added = 1; added <= newSize; ++added) {
        const qsizetype keptOld = newSize - added;
        if (keptOld > oldSize)
            continue;
        if (keptOld == 0 && oldSize > 0)
            break;
        if (!std::equal(m_days.cbegin(), m_days.cbegin() + keptOld, target.cbegin() + added))
            continue;
        if (keptOld < oldSize) {
            beginRemoveRows({}, static_cast<int>(keptOld), static_cast<int>(oldSize - 1));
            m_days.resize(keptOld);
            endRemoveRows();
        }
        beginInsertRows({}, 0, static_cast<int>(added - 1));
        m_days = target;
        endInsertRows();
        return;
    }

    // Anything else: keep the common head and tail, replace what lies between.
    qsizetype head = 0;
    while (head < oldSize && head < newSize && m_days.at(head) == target.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < oldSize - head && tail < newSize - head &&
           m_days.at(oldSize - 1 - tail) == target.at(newSize - 1 - tail))
        ++tail;
    if (oldSize - tail > head) {
        beginRemoveRows({}, static_cast<int>(head), static_cast<int>(oldSize - tail - 1));
        m_days.remove(head, oldSize - tail - head);
        endRemoveRows();
    }
    if (newSize - tail > head) {
        beginInsertRows({}, static_cast<int>(head), static_cast<int>(newSize - tail - 1));
        m_days = target;
        endInsertRows();
    }
    m_days = target;
}
