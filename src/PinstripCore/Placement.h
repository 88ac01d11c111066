#pragma once

#include <QString>
#include <optional>

// Placement of the strip in screen coordinates: points as doubles, origin at the bottom-left
// of the primary display, y upwards; a rectangle's (x, y) is its bottom-left corner.
class Placement {
public:
    struct Point {
        double x = 0;
        double y = 0;
        friend bool operator==(const Point&, const Point&) = default;
    };
    struct Size {
        double width = 0;
        double height = 0;
        friend bool operator==(const Size&, const Size&) = default;
    };
    struct Rect {
        double x = 0;
        double y = 0;
        double width = 0;
        double height = 0;
        [[nodiscard]] double maxX() const { return x + width; }
        [[nodiscard]] double maxY() const { return y + height; }
        friend bool operator==(const Rect&, const Rect&) = default;
    };

    // 16 in from the right edge and 8 below the top of the visible frame; (1200, 800) without one.
    [[nodiscard]] static Point defaultAnchor(const std::optional<Rect>& visibleFrame);
    // Moves rect just far enough to lie inside the visible frame (left/bottom win when too big).
    // A NaN coordinate, which no comparison can place, goes to the right or top edge.
    [[nodiscard]] static Rect clamped(const Rect& rect, const std::optional<Rect>& visibleFrame);
    // The frame for a fitting size with its top-right corner on the anchor, clamped. An absent
    // anchor, (0, 0) or a point that is not finite means the default anchor. nullopt unless both
    // sides are finite and strictly over 10.
    [[nodiscard]] static std::optional<Rect> frame(const std::optional<Point>& anchor, Size fitting,
                                                   const std::optional<Rect>& visibleFrame);

    // "{x, y}" with the shortest decimals that read back to the same doubles.
    [[nodiscard]] static QString pointToString(Point point);
    // Lenient reading: the first two numbers in the text, whatever surrounds them. What cannot
    // be read, and a number that is not finite, gives (0, 0).
    [[nodiscard]] static Point pointFromString(const QString& text);
};
