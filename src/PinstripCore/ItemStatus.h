#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// Progress of one entry; the raw texts are also the JSON form.
enum class ItemStatus { open, inProgress, done };

// Exactly one of "open", "inProgress", "done" (case-sensitive); anything else is no status.
[[nodiscard]] std::optional<ItemStatus> itemStatusFromText(QStringView text);
[[nodiscard]] QString itemStatusText(ItemStatus status);
// Display order rank: in progress 0, open 1, done 2.
[[nodiscard]] int itemStatusRank(ItemStatus status);
// The click cycle: open -> inProgress -> done -> open.
[[nodiscard]] ItemStatus nextItemStatus(ItemStatus status);
