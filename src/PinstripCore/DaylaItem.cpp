#include "DaylaItem.h"

namespace {

// Exactly 8-4-4-4-12 hexadecimal digits, either case, no braces.
bool isUuidText(const QString& text) {
    if (text.size() != 36)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return false;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') ||
                     (c >= u'A' && c <= u'F'))) {
            return false;
        }
    }
    return true;
}

std::optional<QUuid> decodeId(const QJsonValue& value) {
    if (value.isUndefined() || value.isNull())
        return QUuid::createUuid();
    if (!value.isString() || !isUuidText(value.toString()))
        return std::nullopt;
    return QUuid::fromString(value.toString());
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
    return QJsonObject{
        {QLatin1String("id"), idText()},
        {QLatin1String("status"), itemStatusText(status)},
        {QLatin1String("title"), title},
    };
}

QString DaylaItem::idText() const {
    return id.toString(QUuid::WithoutBraces).toUpper();
}
