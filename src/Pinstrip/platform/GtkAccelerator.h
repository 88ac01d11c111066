#pragma once

#include <QKeyCombination>
#include <QStringView>
#include <optional>

// The accelerator notation GNOME and Xfce store their shortcuts in: "<Primary><Alt>t",
// "<Control><Shift>F1", "<Super>Home".
class GtkAccelerator {
public:
    // The combination, or none for text that names no single key or an unknown modifier.
    [[nodiscard]] static std::optional<QKeyCombination> parse(QStringView text);
};
