#include "TodoItem.h"

#include <array>

namespace {

// Value of each ASCII hexadecimal digit, -1 for every other character.
constexpr std::array<signed char, 128> hexDigits = [] {
    std::array<signed char, 128> table{};
    table.fill(-1);
    for (int i = 0; i < 10; ++i)
        table['0' + i] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i) {
        table['a' + i] = static_cast<signed char>(10 + i);
        table['A' + i] = static_cast<signed char>(10 + i);
    }
    return table;
}();

// Exactly 8-4-4-4-12 hexadecimal digits, either case, no braces.
std::optional<QUuid> parseUuid(QStringView text) {
    if (text.size() != 36 || text[8] != u'-' || text[13] != u'-' || text[18] != u'-' ||
        text[23] != u'-')
        return std::nullopt;
    std::array<char, 16> bytes{};
    std::size_t nibble = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23)
            continue;
        const char16_t c = text[i].unicode();
        const int value = c < hexDigits.size() ? hexDigits[c] : -1;
        if (value < 0)
            return std::nullopt;
        bytes[nibble / 2] = static_cast<char>(bytes[nibble / 2] << 4 | value);
        ++nibble;
    }
    return QUuid::fromRfc4122(QByteArrayView(bytes.data(), bytes.size()));
}

std::optional<QUuid> decodeId(const QJsonValue& value) {
    if (value.isUndefined() || value.isNull())
        return QUuid::createUuid();
    if (!value.isString())
        return std::nullopt;
    return parseUuid(value.toString());
}

std::optional<ItemStatus> decodeStatus(const QJsonObject& object) {
    const QJsonValue status = object.value(QLatin1String("status"));
    if (!status.isUndefined() && !status.isNull()) {
        if (!status.isString())
            return std::nullopt;
        return itemStatusFromText(status.toString());
    }
    // Files from older versions carry only a "done" flag.
    const QJsonValue done = object.value(QLatin1String("done"));
    if (done.isUndefined() || done.isNull())
        return ItemStatus::open;
    if (!done.isBool())
        return std::nullopt;
    return done.toBool() ? ItemStatus::done : ItemStatus::open;
}

} // namespace

std::optional<TodoItem> TodoItem::fromJson(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();

    const QJsonValue title = object.value(QLatin1String("title"));
    if (!title.isString())
        return std::nullopt;
    const std::optional<QUuid> id = decodeId(object.value(QLatin1String("id")));
    if (!id)
        return std::nullopt;
    const std::optional<ItemStatus> status = decodeStatus(object);
    if (!status)
        return std::nullopt;
    return TodoItem{*id, title.toString(), *status};
}

QString TodoItem::idText() const {
    return id.toString(QUuid::WithoutBraces).toUpper();
}
