#include "DaylaItem.h"

#include <array>

namespace {

int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Exactly 8-4-4-4-12 hexadecimal digits, either case, no braces.
std::optional<QUuid> parseUuid(QStringView text) {
    if (text.size() != 36)
        return std::nullopt;
    std::array<char, 16> bytes{};
    int nibble = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return std::nullopt;
            continue;
        }
        const int value = hexValue(c);
        if (value < 0)
            return std::nullopt;
        bytes[static_cast<std::size_t>(nibble / 2)] |=
            static_cast<char>(nibble % 2 == 0 ? value << 4 : value);
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

std::optional<DaylaItem> DaylaItem::fromJson(const QJsonValue& value) {
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
    return DaylaItem{*id, title.toString(), *status};
}

QJsonObject DaylaItem::toJson() const {
    QJsonObject object;
    object.insert(QLatin1String("id"), idText());
    object.insert(QLatin1String("status"), itemStatusText(status));
    object.insert(QLatin1String("title"), title);
    return object;
}

QString DaylaItem::idText() const {
    return id.toString(QUuid::WithoutBraces).toUpper();
}
