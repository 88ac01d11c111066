#pragma once

#include "TodoItem.h"

#include <QList>
#include <QString>

// One archived list, stamped "yyyy-MM-dd HH:mm" (local time at archiving).
struct ArchivedDay {
    QString date;
    QList<TodoItem> items;

    friend bool operator==(const ArchivedDay&, const ArchivedDay&) = default;
};
