#include "ItemListModel.h"

#include "TodoStore.h"

#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <QStyleHints>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

// An entry's identity in the mirror: its id and which occurrence of that id it is, so that a
// hand-edited file with a repeated id still maps every row to exactly one entry.
using Key = std::pair<QUuid, int>;

QList<Key> keysOf(const QList<TodoItem>& items) {
    QList<Key> keys;
    keys.reserve(items.size());
    QHash<QUuid, int> seen;
    for (const TodoItem& item : items)
        keys.append({item.id, seen[item.id]++});
    return keys;
}

// Marks the members of one longest strictly increasing subsequence of distinct values: the
// rows that can stay where they are while every other row moves.
std::vector<bool> longestIncreasingRun(const std::vector<qsizetype>& values) {
    std::vector<qsizetype> tails; // index into values of the smallest tail per length
    std::vector<qsizetype> previous(values.size(), -1);
    for (qsizetype i = 0; i < static_cast<qsizetype>(values.size()); ++i) {
        const auto at =
            std::lower_bound(tails.begin(), tails.end(), values[i],
                             [&values](qsizetype t, qsizetype v) { return values[t] < v; });
        if (at != tails.begin())
            previous[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> kept(values.size(), false);
    for (qsizetype i = tails.empty() ? -1 : tails.back(); i >= 0; i = previous[i])
        kept[i] = true;
    return kept;
}

} // namespace

ItemListModel::ItemListModel(QObject* parent) : StoreListModel(parent) {}

void ItemListModel::reload() {
    m_items = boundStore() ? boundStore()->state().items : decltype(m_items)();
}

int ItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const TodoItem& item = m_items.at(index.row());
    switch (role) {
    case ItemIdRole:
        return item.idText();
    case TitleRole:
    case Qt::DisplayRole:
        return item.title;
    case StatusRole:
        return static_cast<int>(item.status);
    default:
        return {};
    }
}

QHash<int, QByteArray> ItemListModel::roleNames() const {
    return {{ItemIdRole, "itemId"}, {TitleRole, "title"}, {StatusRole, "status"}};
}

void ItemListModel::cycle(const QString& itemId) {
    if (boundStore())
        boundStore()->cycle(QUuid::fromString(itemId));
}

void ItemListModel::cycleClicked(const QString& itemId, QPointF scenePosition) {
    const QStyleHints* hints = QGuiApplication::styleHints();
    const bool again = m_sinceClick.isValid() &&
                       m_sinceClick.elapsed() < hints->mouseDoubleClickInterval() &&
                       (scenePosition - m_clickedAt).manhattanLength() < hints->startDragDistance();
    if (!again)
        m_clicked = itemId;
    m_clickedAt = scenePosition;
    m_sinceClick.start();
    cycle(m_clicked);
}

void ItemListModel::setStatus(const QString& itemId, int status) {
    if (boundStore() && status >= Open && status <= Done)
        boundStore()->setStatus(QUuid::fromString(itemId), static_cast<ItemStatus>(status));
}

void ItemListModel::remove(const QString& itemId) {
    if (boundStore())
        boundStore()->remove(QUuid::fromString(itemId));
}

void ItemListModel::sync() {
    const QList<TodoItem> target = boundStore() ? boundStore()->state().items : QList<TodoItem>();
    if (target == m_items)
        return;

    const QList<Key> targetKeys = keysOf(target);
    QHash<Key, qsizetype> targetRow;
    targetRow.reserve(targetKeys.size());
    for (qsizetype i = 0; i < targetKeys.size(); ++i)
        targetRow.insert(targetKeys.at(i), i);
    QList<Key> keys = keysOf(m_items);

    // 1. Rows whose entry is gone, in runs from the back so earlier indexes stay valid.
    for (qsizetype last = keys.size() - 1; last >= 0;) {
        if (targetRow.contains(keys.at(last))) {
            --last;
            continue;
        }
        qsizetype first = last;
        while (first > 0 && !targetRow.contains(keys.at(first - 1)))
            --first;
        beginRemoveRows({}, static_cast<int>(first), static_cast<int>(last));
        m_items.remove(first, last - first + 1);
        keys.remove(first, last - first + 1);
        endRemoveRows();
        last = first - 1;
    }

    // 2. Reorder the survivors with as few moves as possible: the longest run already in
    // target order stays, every other row is placed right after its target predecessor.
    std::vector<qsizetype> order;
    order.reserve(keys.size());
    for (const Key& key : std::as_const(keys))
        order.push_back(targetRow.value(key));
    const std::vector<bool> kept = longestIncreasingRun(order);
    QSet<Key> staying;
    for (qsizetype i = 0; i < keys.size(); ++i)
        if (kept[i])
            staying.insert(keys.at(i));
    const QSet<Key> surviving(keys.cbegin(), keys.cend());
    std::optional<Key> predecessor;
    for (const Key& key : targetKeys) {
        if (!surviving.contains(key))
            continue;
        if (!staying.contains(key)) {
            const qsizetype from = keys.indexOf(key);
            const qsizetype before = predecessor ? keys.indexOf(*predecessor) + 1 : 0;
            if (before != from && before != from + 1) {
                beginMoveRows({}, static_cast<int>(from), static_cast<int>(from), {},
                              static_cast<int>(before));
                const qsizetype to = before > from ? before - 1 : before;
                m_items.move(from, to);
                keys.move(from, to);
                endMoveRows();
            }
        }
        predecessor = key;
    }

    // 3. New entries, in runs, now that every survivor stands in target order.
    for (qsizetype first = 0; first < targetKeys.size();) {
        if (surviving.contains(targetKeys.at(first))) {
            ++first;
            continue;
        }
        qsizetype end = first;
        while (end < targetKeys.size() && !surviving.contains(targetKeys.at(end)))
            ++end;
        beginInsertRows({}, static_cast<int>(first), static_cast<int>(end - 1));
        for (qsizetype i = first; i < end; ++i) {
            m_items.insert(i, target.at(i));
            keys.insert(i, targetKeys.at(i));
        }
        endInsertRows();
        first = end;
    }

    // 4. Changed titles or statuses of rows that stayed.
    for (qsizetype i = 0; i < target.size(); ++i) {
        if (m_items.at(i) == target.at(i))
            continue;
        m_items[i] = target.at(i);
        const QModelIndex changed = index(static_cast<int>(i));
        emit dataChanged(changed, changed, {TitleRole, StatusRole, Qt::DisplayRole});
    }
    m_items = target;
}
