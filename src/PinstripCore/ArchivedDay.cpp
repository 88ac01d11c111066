#include "ArchivedDay.h"

#include <QJsonArray>

std::optional<ArchivedDay> ArchivedDay::fromJson(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue date = object.value(QLatin1String("date"));
    const QJsonValue items = object.value(QLatin1String("items"));
    if (!date.isString() || !items.isArray())
        return std::nullopt;

    ArchivedDay day{date.toString(), {}};
    const QJsonArray array = items.toArray();
    day.items.reserve(array.size());
    for (const QJsonValue& element : array) {
        std::optional<TodoItem> item = TodoItem::fromJson(element);
        if (!item)
            return std::nullopt;
        day.items.append(std::move(*item));
    }
    return day;
}
