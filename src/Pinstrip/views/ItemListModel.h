#pragma once

#include "TodoItem.h"

#include "StoreListModel.h"

#include <QElapsedTimer>
#include <QPointF>
#include <QtQml/qqmlregistration.h>

// Today's entries for the views, mirrored from a TodoStore by id. A re-sort is reported as
// row moves, a new entry as an insert and a removed one as a remove, so delegates keep their
// state and can slide to their new place; only replacing the store resets the model.
class ItemListModel : public StoreListModel {
    Q_OBJECT
    QML_ELEMENT

public:
    enum Role { ItemIdRole = Qt::UserRole + 1, TitleRole, StatusRole };
    // The status role's values.
    enum Status {
        Open = static_cast<int>(ItemStatus::open),
        InProgress = static_cast<int>(ItemStatus::inProgress),
        Done = static_cast<int>(ItemStatus::done),
    };
    Q_ENUM(Status)

    explicit ItemListModel(QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    // Each makes exactly one store call; ids are the upper-case texts of the itemId role.
    Q_INVOKABLE void cycle(const QString& itemId);
    // A pointer click that cycles an entry. Cycling re-sorts the rows, so by a second click
    // within the double-click interval and drag distance of the first another entry may have
    // slid under the pointer: that click is meant for the entry the first one hit.
    Q_INVOKABLE void cycleClicked(const QString& itemId, QPointF scenePosition);
    // A value outside Status calls nothing.
    Q_INVOKABLE void setStatus(const QString& itemId, int status);
    Q_INVOKABLE void remove(const QString& itemId);

private:
    void reload() override;
    void sync() override;

    QList<TodoItem> m_items;
    QString m_clicked;
    QPointF m_clickedAt;
    QElapsedTimer m_sinceClick;
};
