#pragma once

#include "ArchivedDay.h"
#include "TodoItem.h"

#include <QList>

// The persisted root: today's list (display order) and the archive (newest first).
struct TodoState {
    QList<TodoItem> items;
    QList<ArchivedDay> archive;

    friend bool operator==(const TodoState&, const TodoState&) = default;
};
