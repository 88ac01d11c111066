#pragma once

#include <QList>
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

    // A monitor as the window system reports it: its name, its whole frame and its work area
    // (the part panels leave free).
    struct Monitor {
        QString name;
        Rect frame;
        Rect workArea;
    };
    // Where the user put the strip: a monitor by name, and the offset of the strip's top-right
    // corner from the top-right corner of that monitor's work area, in logical pixels (each
    // monitor's own, so the same spot at any scale).
    struct Place {
        QString monitor;
        Point offset;
        friend bool operator==(const Place&, const Place&) = default;
    };

    // Below the top of the work area by this much: a maximised window's title bar, whose
    // buttons sit at the top right on GNOME, KDE and Xfce, stays clickable. GNOME's header bars
    // are the tallest at up to 46 px; 8 more leave the gap the strip keeps from any edge.
    static constexpr double defaultTopInset = 54;
    static constexpr double defaultRightInset = 16;

    // Moves rect just far enough to lie inside the work area (left/bottom win when too big).
    // A NaN coordinate, which no comparison can place, goes to the right or top edge.
    [[nodiscard]] static Rect clamped(const Rect& rect, const Rect& workArea);
    // The index of the monitor the strip is shown on: its place's while that monitor is there,
    // else the primary. -1 without monitors.
    [[nodiscard]] static qsizetype shownOn(const QList<Monitor>& monitors,
                                           const std::optional<Place>& place);
    // The frame for a fitting size, clamped into the work area it is shown in. The first
    // monitor is the primary. Without a place the strip sits at the primary's default corner;
    // with one, at its offset on its monitor, or on the primary while that monitor is gone.
    // Without any monitor the top-right corner is (1200, 800). nullopt unless both sides are
    // finite and strictly over 10.
    [[nodiscard]] static std::optional<Rect> frame(const QList<Monitor>& monitors,
                                                   const std::optional<Place>& place, Size fitting);
    // The place a frame the user moved stands for: on the monitor that holds its centre, or
    // the nearest one. nullopt without monitors.
    [[nodiscard]] static std::optional<Place> placeOf(const QList<Monitor>& monitors,
                                                      const Rect& frame);
    // A top-right corner stored by earlier versions (a point with the origin at the primary's
    // bottom-left, always shown on the primary) as a place; nullopt when it reads as no corner.
    [[nodiscard]] static std::optional<Place> placeFromAnchor(const QList<Monitor>& monitors,
                                                              const QString& anchor);

    // "{x, y} monitor", the offset first, so that any monitor name reads back.
    [[nodiscard]] static QString placeToString(const Place& place);
    [[nodiscard]] static std::optional<Place> placeFromString(const QString& text);

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
