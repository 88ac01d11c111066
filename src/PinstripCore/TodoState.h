#pragma once

#include "ArchivedDay.h"
#include "TodoItem.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <optional>

// The persisted root: today's list (display order) and the archive (newest first).
struct TodoState {
    QList<TodoItem> items;
    QList<ArchivedDay> archive;

    friend bool operator==(const TodoState&, const TodoState&) = default;

    [[nodiscard]] static std::optional<TodoState> fromJson(const QJsonValue& value);

    // Whole-file decoding: any fault anywhere rejects the file (nullopt).
    [[nodiscard]] static std::optional<TodoState> decode(const QByteArray& bytes);
    // UTF-8, keys sorted, one member or element per line, nested indentation, no final newline.
    [[nodiscard]] QByteArray encode() const;
};
