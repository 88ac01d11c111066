#pragma once

#include "ItemStatus.h"

#include <QString>
#include <QUuid>

// One entry of a list.
struct TodoItem {
    QUuid id;
    QString title;
    ItemStatus status = ItemStatus::open;

    friend bool operator==(const TodoItem&, const TodoItem&) = default;

    // The id as views and the file show it: 36 characters, upper case, no braces.
    [[nodiscard]] QString idText() const { return id.toString(QUuid::WithoutBraces).toUpper(); }
};
