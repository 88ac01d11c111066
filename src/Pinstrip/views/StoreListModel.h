#pragma once

#include "TodoStore.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

// A list model bound to a TodoStore: binding, unbinding and a store destroyed under the model
// reset it; every change of the store's state calls sync(), which reports the finer changes.
class StoreListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ANONYMOUS
    // A TodoStore; other objects are refused (the property then reads null).
    Q_PROPERTY(QObject* store READ store WRITE setStore NOTIFY storeChanged)

public:
    using QAbstractListModel::QAbstractListModel;

    [[nodiscard]] QObject* store() const;
    void setStore(QObject* store);

signals:
    void storeChanged();

protected:
    [[nodiscard]] TodoStore* boundStore() const { return m_store.data(); }
    // Takes the rows from the bound store, or none without one; the caller reports the reset.
    virtual void reload() = 0;
    // Brings the rows to the bound store's state, reporting each change.
    virtual void sync() = 0;

private:
    QPointer<TodoStore> m_store;
};
