#include "ScreenCoordinates.h"

#include <cmath>

ScreenCoordinates::ScreenCoordinates(const QRect& primaryGeometry) : m_primary(primaryGeometry) {}

Placement::Rect ScreenCoordinates::toPlacement(const QRect& rect) const {
    const double bottom = m_primary.y() + m_primary.height();
    return {double(rect.x() - m_primary.x()), bottom - (rect.y() + rect.height()),
            double(rect.width()), double(rect.height())};
}

QRect ScreenCoordinates::fromPlacement(const Placement::Rect& rect) const {
    const double bottom = m_primary.y() + m_primary.height();
    const auto x = static_cast<int>(std::lround(rect.x + m_primary.x()));
    const auto w = static_cast<int>(std::lround(rect.width));
    const auto h = static_cast<int>(std::lround(rect.height));
    const auto y = static_cast<int>(std::lround(bottom - rect.y - rect.height));
    return {x, y, w, h};
}
