#pragma once

#include <QKeyCombination>
#include <QString>

// How desktops spell a combination of modifiers and a letter or digit in their own settings:
// GTK's "<Control><Alt>t", sway's "Ctrl+Alt+t", the portal's "CTRL+ALT+T".
class KeyNotation {
public:
    struct Names {
        const char* control;
        const char* alt;
        const char* shift;
        const char* meta;
        bool lowerCaseKey;
    };
    static constexpr Names gtk{"<Control>", "<Alt>", "<Shift>", "<Super>", true};
    static constexpr Names sway{"Ctrl+", "Alt+", "Shift+", "Mod4+", true};
    static constexpr Names portal{"CTRL+", "ALT+", "SHIFT+", "LOGO+", false};

    [[nodiscard]] static QString spell(QKeyCombination combination, const Names& names);
};
