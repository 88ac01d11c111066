#include "ItemStatus.h"

std::optional<ItemStatus> itemStatusFromText(QStringView text) {
    if (text == u"open")
        return ItemStatus::open;
    if (text == u"inProgress")
        return ItemStatus::inProgress;
    if (text == u"done")
        return ItemStatus::done;
    return std::nullopt;
}

QString itemStatusText(ItemStatus status) {
    switch (status) {
    case ItemStatus::open:
        return QStringLiteral("open");
    case ItemStatus::inProgress:
        return QStringLiteral("inProgress");
    case ItemStatus::done:
        return QStringLiteral("done");
    }
    return QStringLiteral("open");
}

int itemStatusRank(ItemStatus status) {
    switch (status) {
    case ItemStatus::inProgress:
        return 0;
    case ItemStatus::open:
        return 1;
    case ItemStatus::done:
        return 2;
    }
    return 1;
}

ItemStatus nextItemStatus(ItemStatus status) {
    switch (status) {
    case ItemStatus::open:
        return ItemStatus::inProgress;
    case ItemStatus::inProgress:
        return ItemStatus::done;
    case ItemStatus::done:
        return ItemStatus::open;
    }
    return ItemStatus::open;
}
