#pragma once

#include "TodoItem.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <optional>

// One archived list, stamped "yyyy-MM-dd HH:mm" (local time at archiving).
struct ArchivedDay {
    QString date;
    QList<TodoItem> items;

    friend bool operator==(const ArchivedDay&, const ArchivedDay&) = default;

    [[nodiscard]] static std::optional<ArchivedDay> fromJson(const QJsonValue& value);
};
