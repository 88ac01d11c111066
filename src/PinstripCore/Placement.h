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

    // Below the top of the visible frame by this much: a maximised window's title bar, whose
    // buttons sit at the top right on GNOME, KDE and Xfce, stays clickable. GNOME's header bars
    // are the tallest at up to 46 px; 8 more leave the gap the strip keeps from any edge.
    static constexpr double defaultTopInset = 54;
    static constexpr double defaultRightInset = 16;

    // defaultRightInset in from the right edge and defaultTopInset below the top of the visible
    // frame; (1200, 800) without one.
    [[nodiscard]] static Point defaultAnchor(const std::optional<Rect>& visibleFrame);
    // Moves rect just far enough to lie inside the visible frame (left/bottom win when too big).
    // A NaN coordinate, which no comparison can place, goes to the right or top edge.
    [[nodiscard]] static Rect clamped(const Rect& rect, const std::optional<Rect>& visibleFrame);
    // The frame for a fitting size with its top-right corner on the anchor, clamped. An absent
    // anchor or (0, 0) means the default anchor. nullopt unless both sides are finite and
    // strictly over 10.
    [[nodiscard]] static std::optional<Rect> frame(const std::optional<Point>& anchor, Size fitting,
                                                   const std::optional<Rect>& visibleFrame);

    // The whole-pixel frame for a placed one: its top-right corner and its size are rounded, and
    // the left and bottom edges follow from them, so the corner that was placed stays put
    // whatever fractions the size has.
    [[nodiscard]] static Rect pixelAligned(const Rect& rect);

    // "{x, y}" with the shortest decimals that read back to the same doubles.
    [[nodiscard]] static QString pointToString(Point point);
    // Lenient reading: the first two numbers in the text, whatever surrounds them. What cannot
    // be read, and a number that is not finite, gives (0, 0).
    [[nodiscard]] static Point pointFromString(const QString& text);
};
