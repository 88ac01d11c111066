#pragma once

#include <QIcon>

// The program's icon: the "⛴" glyph of the tray, and for its windows the icon installed with the
// package when this system can draw it.
class AppIcon {
public:
    // The ferry glyph from the colour emoji font, at the sizes tray hosts ask for.
    [[nodiscard]] static QIcon glyph();
    // The installed "pinstrip" theme icon; the glyph where there is none or it cannot be drawn
    // (a scalable icon needs Qt's SVG plugin).
    [[nodiscard]] static QIcon icon();
};
