#pragma once

#include "Placement.h"

#include <QRect>

// The one conversion between Qt's global coordinates (top-left origin, y down) and placement
// coordinates (origin at the bottom-left of the primary screen, y up).
class ScreenCoordinates {
public:
    explicit ScreenCoordinates(const QRect& primaryGeometry);

    [[nodiscard]] Placement::Rect toPlacement(const QRect& rect) const;
    [[nodiscard]] QRect fromPlacement(const Placement::Rect& rect) const;

private:
    QRect m_primary;
};
