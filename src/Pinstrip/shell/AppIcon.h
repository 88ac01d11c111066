#pragma once

#include <QIcon>

// The program's icon: the "⛴" glyph of the tray, and for its windows the icon installed with the
// package when this system can draw it.
class AppIcon {
public:
    // The ferry glyph from the colour emoji font, at the sizes tray hosts ask for, named by the
    // application id so that hosts and icon themes that know an icon by that name show theirs.
    [[nodiscard]] static QIcon glyph();
    // The theme icon installed under the application id; the glyph where there is none or it
    // cannot be drawn (a scalable icon needs Qt's SVG plugin).
    [[nodiscard]] static QIcon icon();
};
