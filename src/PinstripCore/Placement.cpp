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

// The first two numbers in the text; nullopt unless both are there and finite.
std::optional<Placement::Point> readPoint(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const char* at = bytes.constData();
    const char* end = at + bytes.size();
    const std::optional<double> x = nextNumber(at, end);
    if (!x)
        return std::nullopt;
    const std::optional<double> y = nextNumber(at, end);
    if (!y)
        return std::nullopt;
    const Placement::Point point{*x, *y};
    if (!isFinite(point))
        return std::nullopt;
    return point;
}

} // namespace

Placement::Rect Placement::clamped(const Rect& rect, const Rect& workArea) {
    const Rect& v = workArea;
    return {clampCoordinate(rect.x, v.x, v.maxX() - rect.width),
            clampCoordinate(rect.y, v.y, v.maxY() - rect.height), rect.width, rect.height};
}

qsizetype Placement::shownOn(const QList<Monitor>& monitors, const std::optional<Place>& place) {
    if (monitors.isEmpty())
        return -1;
    const auto named = std::find_if(monitors.begin(), monitors.end(), [&place](const Monitor& m) {
        return place && m.name == place->monitor;
    });
    return named == monitors.end() ? 0 : named - monitors.begin();
}

std::optional<Placement::Rect> Placement::frame(const QList<Monitor>& monitors,
                                                const std::optional<Place>& place, Size fitting) {
    const double w = fitting.width;
    const double h = fitting.height;
    if (!(w > 10 && h > 10) || !std::isfinite(w) || !std::isfinite(h))
        return std::nullopt;
    const qsizetype on = shownOn(monitors, place);
    if (on < 0)
        return Rect{1200 - w, 800 - h, w, h};
    const Point offset = place ? place->offset : Point{-defaultRightInset, -defaultTopInset};
    const Rect& area = monitors.at(on).workArea;
    const Point corner{area.maxX() + offset.x, area.maxY() + offset.y};
    return clamped(Rect{corner.x - w, corner.y - h, w, h}, area);
}

std::optional<Placement::Place> Placement::placeOf(const QList<Monitor>& monitors,
                                                   const Rect& frame) {
    const Point centre{frame.x + frame.width / 2, frame.y + frame.height / 2};
    // How far the centre lies outside a monitor; 0 inside it.
    const auto distance = [&centre](const Monitor& monitor) {
        const Rect& m = monitor.frame;
        const double dx = std::max({m.x - centre.x, centre.x - m.maxX(), 0.0});
        const double dy = std::max({m.y - centre.y, centre.y - m.maxY(), 0.0});
        return std::hypot(dx, dy);
    };
    const auto nearest = std::min_element(
        monitors.begin(), monitors.end(),
        [&distance](const Monitor& a, const Monitor& b) { return distance(a) < distance(b); });
    if (nearest == monitors.end())
        return std::nullopt;
    const Rect& area = nearest->workArea;
    return Place{nearest->name, {frame.maxX() - area.maxX(), frame.maxY() - area.maxY()}};
}

std::optional<Placement::Place> Placement::placeFromAnchor(const QList<Monitor>& monitors,
                                                           const QString& anchor) {
    const Point corner = pointFromString(anchor);
    if (monitors.isEmpty() || corner == Point{0, 0})
        return std::nullopt;
    const Rect& area = monitors.first().workArea;
    return Place{monitors.first().name, {corner.x - area.maxX(), corner.y - area.maxY()}};
}

QString Placement::placeToString(const Place& place) {
    return pointToString(place.offset) + QLatin1Char(' ') + place.monitor;
}

std::optional<Placement::Place> Placement::placeFromString(const QString& text) {
    const qsizetype close = text.indexOf(QLatin1Char('}'));
    if (!text.startsWith(QLatin1Char('{')) || close < 0 ||
        (close + 1 < text.size() && text.at(close + 1) != QLatin1Char(' ')))
        return std::nullopt;
    const std::optional<Point> offset = readPoint(text.left(close));
    if (!offset)
        return std::nullopt;
    return Place{text.mid(close + 2), *offset};
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
    return readPoint(text).value_or(Point{});
}
