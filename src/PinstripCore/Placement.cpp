#include "Placement.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

bool isFinite(Placement::Point point) {
    return std::isfinite(point.x) && std::isfinite(point.y);
}

// min(max(value, low), max(high, low)); a NaN coordinate, which no comparison can place,
// goes to the high end, where the default anchor would put it.
double clampCoordinate(double value, double low, double high) {
    const double top = std::max(high, low);
    if (std::isnan(value))
        return top;
    return std::min(std::max(value, low), top);
}

bool startsNumber(const char* at, const char* end) {
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (isDigit(*at))
        return true;
    const char* next = at + 1;
    if ((*at == '-' || *at == '+') && next < end && *next == '.')
        ++next;
    return (*at == '-' || *at == '+' || *at == '.') && next < end && isDigit(*next);
}

// Skips to the next number and reads it; nullopt when there is none or it cannot be read.
std::optional<double> nextNumber(const char*& at, const char* end) {
    while (at < end && !startsNumber(at, end))
        ++at;
    if (at == end)
        return std::nullopt;
    if (*at == '+')
        ++at;
    double value = 0;
    const auto [past, error] = std::from_chars(at, end, value);
    if (error != std::errc())
        return std::nullopt;
    at = past;
    return value;
}

} // namespace

Placement::Point Placement::defaultAnchor(const std::optional<Rect>& visibleFrame) {
    if (!visibleFrame)
        return {1200, 800};
    return {visibleFrame->maxX() - defaultRightInset, visibleFrame->maxY() - defaultTopInset};
}

Placement::Rect Placement::clamped(const Rect& rect, const std::optional<Rect>& visibleFrame) {
    if (!visibleFrame)
        return rect;
    const Rect& v = *visibleFrame;
    return {clampCoordinate(rect.x, v.x, v.maxX() - rect.width),
            clampCoordinate(rect.y, v.y, v.maxY() - rect.height), rect.width, rect.height};
}

std::optional<Placement::Rect> Placement::frame(const std::optional<Point>& anchor, Size fitting,
                                                const std::optional<Rect>& visibleFrame) {
    const double w = fitting.width;
    const double h = fitting.height;
    if (!(w > 10 && h > 10) || !std::isfinite(w) || !std::isfinite(h))
        return std::nullopt;
    const bool usable = anchor && *anchor != Point{0, 0};
    const Point corner = usable ? *anchor : defaultAnchor(visibleFrame);
    return clamped(Rect{corner.x - w, corner.y - h, w, h}, visibleFrame);
}

Placement::Rect Placement::pixelAligned(const Rect& rect) {
    // Halves round up on both sides of zero, so a shift by whole pixels changes nothing.
    const auto round = [](double value) { return std::floor(value + 0.5); };
    const double right = round(rect.maxX());
    const double top = round(rect.maxY());
    const double width = round(rect.width);
    const double height = round(rect.height);
    return {right - width, top - height, width, height};
}

QString Placement::pointToString(Point point) {
    // Shortest form that reads back to the same double; integers come out without a point.
    char buffer[64];
    auto format = [&buffer](double value) {
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        return QString::fromLatin1(buffer, result.ptr - buffer);
    };
    return QLatin1Char('{') + format(point.x) + QLatin1String(", ") + format(point.y) +
           QLatin1Char('}');
}

Placement::Point Placement::pointFromString(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const char* at = bytes.constData();
    const char* end = at + bytes.size();
    const std::optional<double> x = nextNumber(at, end);
    if (!x)
        return {};
    const std::optional<double> y = nextNumber(at, end);
    if (!y)
        return {};
    const Point point{*x, *y};
    return isFinite(point) ? point : Point{};
}
