#include "Placement.h"

#include <QTest>

using Monitor = Placement::Monitor;
using Place = Placement::Place;
using Rect = Placement::Rect;

namespace {

// The primary first: L 1440 × 900 under a 25 px top panel; R a 1920 × 1080 monitor to its right,
// bottoms aligned.
const Monitor left{"LEFT", {0, 0, 1440, 900}, {0, 0, 1440, 875}};
const Monitor right{"RIGHT", {1440, 0, 1920, 1080}, {1440, 0, 1920, 1080}};

QString text(const std::optional<Rect>& r) {
    return r ? QString::asprintf("%.17g %.17g %.17g %.17g", r->x, r->y, r->width, r->height)
             : "none";
}

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT

private slots:
    // Coordinates have their origin at the primary's bottom left, y upwards; the default corner
    // clears a maximised window's title-bar buttons. A place comes stored, from a frame the user
    // moved (x y width height) or from a corner kept by earlier versions, in braces: still a
    // spot on the primary.
    void frame_data() {
        QTest::addColumn<QString>("row"); // monitors | source ("-": none) [= place] = frame
        QTest::addColumn<QSizeF>("size");
        const auto row = [](const char* name, const char* text, QSizeF size = {300, 120}) {
            QTest::newRow(name) << QString(text) << size;
        };
        row("default corner", "L R | - = 1124 701 300 120");
        row("default follows a new primary", "R L | - = 3044 906 300 120");
        row("on the second", "L R | {-100, -200} RIGHT = 2960 760 300 120");
        row("R primary now", "R L | {-100, -200} RIGHT = 2960 760 300 120");
        row("its monitor gone: same offset on the primary",
            "L | {-100, -200} RIGHT = 1040 555 300 120");
        row("beyond the top right: clamped", "L | {60, 25} LEFT = 1140 755 300 120");
        row("too tall: bottom edge wins", "L | - = 1124 0 300 1000", {300, 1000});
        row("too wide: left wins", "L | {-400, -300} LEFT = 0 455 2000 120", {2000, 120});
        row("unreadable place: default", "L | LEFT {1, 2} = 1124 701 300 120");
        row("place out of range", "L | {1e999, 1} LEFT = 1124 701 300 120");
        row("no monitor: fixed corner", " | {5, 5} LEFT = 900 680 300 120");
        row("10 high", "L | - = none", {300, 10});
        row("just over 10", "L | - = 1413.5 810.5 10.5 10.5", {10.5, 10.5});
        row("not finite", "L | - = none", {qQNaN(), qInf()});
        row("moved on the primary",
            "L R | 1000 500 300 120 = {-140, -255} LEFT = 1000 500 300 120");
        row("moved on the second",
            "L R | 2000 300 300 120 = {-1060, -660} RIGHT = 2000 300 300 120");
        row("centre decides, not the corner",
            "L R | 1200 500 300 120 = {60, -255} LEFT = 1140 500 300 120");
        row("moved off every monitor: the nearest",
            "L R | 4000 -500 300 120 = {940, -1460} RIGHT = 3060 0 300 120");
        row("moved, no monitor", " | 1000 500 300 120 = none = 900 680 300 120");
        row("corner", "L R | {1424, 821} = {-16, -54} LEFT = 1124 701 300 120");
        row("corner beyond the primary", "L R | {1500, 900} = {60, 25} LEFT = 1140 755 300 120");
        row("corner on the other monitor: clamped to the primary, as it was",
            "L R | {2000, 500} = {560, -375} LEFT = 1140 380 300 120");
        row("corner (0, 0): none stored", "L | {0, 0} = none = 1124 701 300 120");
        row("corner unreadable", "L | {nan, 5} = none = 1124 701 300 120");
    }
    void frame() {
        QFETCH(QString, row);
        QFETCH(QSizeF, size);
        const QStringList in = row.section(" = ", 0, 0).split(" | ");
        QList<Monitor> on;
        for (const QString& letter : in.at(0).split(u' ', Qt::SkipEmptyParts))
            on << (letter == "L" ? left : right);
        const QString& source = in.at(1);
        std::optional<Place> place = Placement::placeFromString(source);
        if (const QStringList v = source.split(u' '); source.front().isDigit())
            place = Placement::placeOf(
                on, {v[0].toDouble(), v[1].toDouble(), v[2].toDouble(), v[3].toDouble()});
        else if (source.startsWith(u'{') && source.endsWith(u'}'))
            place = Placement::placeFromAnchor(on, source);
        const QStringList out = row.split(" = ");
        if (out.size() == 3)
            QCOMPARE(place ? Placement::placeToString(*place) : "none", out.at(1));
        QCOMPARE(text(Placement::frame(on, place, {size.width(), size.height()})), out.last());
    }

    // Places are written with the shortest decimals that read back the same, and any name.
    void placeTextReadsBack() {
        QCOMPARE(Placement::placeToString({"LEFT", {0.1 + 0.2, -2.5}}),
                 "{0.30000000000000004, -2.5} LEFT");
        for (double x : {1424.0, 1.0 / 3, 1e21, -1e-7, 5e-324, 1e308})
            for (const char* name : {"DP-1", "", "Dell U2720Q {2}"}) {
                const Place place{name, {x, -x / 3}};
                QVERIFY(Placement::placeFromString(Placement::placeToString(place)) == place);
            }
    }
};

QTEST_GUILESS_MAIN(TestPlacement)
#include "test_placement.moc"
