#include "ScreenCoordinates.h"

#include <algorithm>

namespace {

// Window systems take 32-bit coordinates; an anchor read from the settings may be any double.
int pixel(double value) {
    return static_cast<int>(std::clamp(value, -1e9, 1e9));
}

} // namespace

ScreenCoordinates::ScreenCoordinates(const QRect& primaryGeometry) : m_primary(primaryGeometry) {}

Placement::Rect ScreenCoordinates::toPlacement(const QRect& rect) const {
    const double bottom = m_primary.y() + m_primary.height();
    return {double(rect.x() - m_primary.x()), bottom - (rect.y() + rect.height()),
            double(rect.width()), double(rect.height())};
}

QRect ScreenCoordinates::fromPlacement(const Placement::Rect& rect) const {
    const Placement::Rect pixels = Placement::pixelAligned(rect);
    const double bottom = m_primary.y() + m_primary.height();
    return {pixel(pixels.x + m_primary.x()), pixel(bottom - pixels.maxY()), pixel(pixels.width),
            pixel(pixels.height)};
}
