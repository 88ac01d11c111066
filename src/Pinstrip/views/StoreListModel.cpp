#include "StoreListModel.h"

#include "TodoStore.h"

QObject* StoreListModel::store() const {
    return m_store.data();
}

void StoreListModel::setStore(QObject* store) {
    auto* typed = qobject_cast<TodoStore*>(store);
    if (typed == m_store)
        return;
    beginResetModel();
    if (m_store)
        disconnect(m_store, nullptr, this, nullptr);
    m_store = typed;
    reload();
    if (typed) {
        connect(typed, &TodoStore::stateChanged, this, &StoreListModel::sync);
        // A store destroyed under the model leaves no rows, never dangling ones.
        connect(typed, &QObject::destroyed, this, [this] {
            beginResetModel();
            m_store.clear();
            reload();
            endResetModel();
            emit storeChanged();
        });
    }
    endResetModel();
    emit storeChanged();
}
