#pragma once

#include "ItemStatus.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUuid>
#include <optional>

// One entry of a list.
struct TodoItem {
    QUuid id;
    QString title;
    ItemStatus status = ItemStatus::open;

    friend bool operator==(const TodoItem&, const TodoItem&) = default;

    // Strict decoding of one item object; nullopt rejects the whole file.
    [[nodiscard]] static std::optional<TodoItem> fromJson(const QJsonValue& value);
    // The id as written: 36 characters, upper case, no braces.
    [[nodiscard]] QString idText() const;
};
