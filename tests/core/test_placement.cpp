#include "Placement.h"

#include <QTest>

using Monitor = Placement::Monitor;
using Place = Placement::Place;
using Point = Placement::Point;
using Rect = Placement::Rect;

namespace {

// Monitors by letter, the primary first: L 1440 × 900 under a 25 px top panel; R a 1920 × 1080
// monitor to its right, bottoms aligned; S the primary at 800 × 600; U one named like nothing.
QList<Monitor> monitors(const QString& letters) {
    static const QHash<QChar, Monitor> known{
        {u'L', {"LEFT", {0, 0, 1440, 900}, {0, 0, 1440, 875}}},
        {u'R', {"RIGHT", {1440, 0, 1920, 1080}, {1440, 0, 1920, 1080}}},
        {u'S', {"LEFT", {0, 0, 800, 600}, {0, 0, 800, 600}}},
        {u'U', {"", {-1000, 0, 1000, 800}, {-1000, 0, 1000, 800}}}};
    QList<Monitor> out;
    for (const QChar letter : letters) {
        if (known.contains(letter))
            out << known.value(letter);
    }
    return out;
}

// Space-separated numbers, "nan" and "inf" included.
QList<double> numbers(const QString& text) {
    QList<double> out;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts))
        out << word.toDouble();
    return out;
}

Rect rect(const QString& text) {
    const QList<double> v = numbers(text);
    return {v[0], v[1], v[2], v[3]};
}

QString text(const std::optional<Rect>& r) {
    if (!r)
        return QStringLiteral("none");
    QStringList out;
    for (double v : {r->x, r->y, r->width, r->height})
        out << QString::number(v, 'g', QLocale::FloatingPointShortest);
    return out.join(u' ');
}

QString text(const std::optional<Place>& place) {
    return place ? Placement::placeToString(*place) : QStringLiteral("none");
}

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT

private slots:
    void frame_data();
    void frame();
    void placeOf_data();
    void placeOf();
    void carriedOver_data();
    void carriedOver();
    void placeText_data();
    void placeText();
    void pixelAligned_data();
    void pixelAligned();
    void pointToStringIsShortestAndReadsBack();
};

// Coordinates have their origin at the primary's bottom left, y upwards.
void TestPlacement::frame_data() {
    QTest::addColumn<QString>("row"); // monitors | stored place ("-": none) | size = frame
    // The default corner clears a maximised window's title-bar buttons.
    QTest::newRow("default corner") << "L R | - | 300 120 = 1124 701 300 120";
    QTest::newRow("default follows a new primary") << "R L | - | 300 120 = 3044 906 300 120";
    QTest::newRow("default 16 px in after a resolution change")
        << "S | - | 300 120 = 484 426 300 120";
    QTest::newRow("placed on the second monitor")
        << "L R | {-100, -200} RIGHT | 300 120 = 2960 760 300 120";
    QTest::newRow("placed stays when the primary changes")
        << "R L | {-100, -200} RIGHT | 300 120 = 2960 760 300 120";
    QTest::newRow("its monitor gone: same offset on the primary")
        << "L | {-100, -200} RIGHT | 300 120 = 1040 555 300 120";
    QTest::newRow("its monitor gone: clamped on the primary")
        << "L | {-10, -1000} RIGHT | 300 120 = 1130 0 300 120";
    QTest::newRow("monitor without a name") << "L U | {-5, -5} | 300 120 = -305 675 300 120";
    QTest::newRow("beyond the top right: clamped")
        << "L | {60, 25} LEFT | 300 120 = 1140 755 300 120";
    QTest::newRow("lowest doubles: bottom left")
        << "L | {-1.7976931348623157e308, -1e308} LEFT | 300 120 = 0 0 300 120";
    QTest::newRow("too tall: bottom edge wins") << "L | - | 300 1000 = 1124 0 300 1000";
    QTest::newRow("too wide: left edge wins")
        << "L | {-400, -300} LEFT | 2000 120 = 0 455 2000 120";
    QTest::newRow("no monitor: fixed corner") << " | {5, 5} LEFT | 300 120 = 900 680 300 120";
    QTest::newRow("width exactly 10") << "L | - | 10 120 = none";
    QTest::newRow("height exactly 10") << "L | - | 300 10 = none";
    QTest::newRow("just over 10") << "L | - | 10.5 10.5 = 1413.5 810.5 10.5 10.5";
    QTest::newRow("NaN size") << "L | - | nan 120 = none";
    QTest::newRow("infinite size") << "L | - | 300 inf = none";
}

void TestPlacement::frame() {
    QFETCH(QString, row);
    const QStringList in = row.section(QStringLiteral(" = "), 0, 0).split(QStringLiteral(" | "));
    const QList<double> size = numbers(in.at(2));
    QCOMPARE(text(Placement::frame(monitors(in.at(0)), Placement::placeFromString(in.at(1)),
                                   {size[0], size[1]})),
             row.section(QStringLiteral(" = "), 1));
}

// The place a move stands for, and where the strip is shown for it.
void TestPlacement::placeOf_data() {
    QTest::addColumn<QString>("row"); // monitors | frame = place = frame shown
    QTest::newRow("on the primary")
        << "L R | 1000 500 300 120 = {-140, -255} LEFT = 1000 500 300 120";
    QTest::newRow("on the second")
        << "L R | 2000 300 300 120 = {-1060, -660} RIGHT = 2000 300 300 120";
    QTest::newRow("second is primary")
        << "R L | 2000 300 300 120 = {-1060, -660} RIGHT = 2000 300 300 120";
    QTest::newRow("centre decides, not the corner")
        << "L R | 1200 500 300 120 = {60, -255} LEFT = 1140 500 300 120";
    QTest::newRow("centre on the seam: the first")
        << "L R | 1290 500 300 120 = {150, -255} LEFT = 1140 500 300 120";
    QTest::newRow("off every monitor: the nearest")
        << "L R | 4000 -500 300 120 = {940, -1460} RIGHT = 3060 0 300 120";
    QTest::newRow("no monitor") << " | 1000 500 300 120 = none = 900 680 300 120";
}

void TestPlacement::placeOf() {
    QFETCH(QString, row);
    const QStringList in = row.section(QStringLiteral(" = "), 0, 0).split(QStringLiteral(" | "));
    const QList<Monitor> on = monitors(in.at(0));
    const std::optional<Place> place = Placement::placeOf(on, rect(in.at(1)));
    QCOMPARE(text(place), row.section(QStringLiteral(" = "), 1, 1));
    QCOMPARE(text(Placement::frame(on, place, {300, 120})), row.section(QStringLiteral(" = "), 2));
}

// A corner kept by earlier versions still means what it meant: a spot on the primary.
void TestPlacement::carriedOver_data() {
    QTest::addColumn<QString>("row"); // monitors | stored corner => place => frame of 300 × 120
    QTest::newRow("written form") << "L R | {1424, 821} => {-16, -54} LEFT => 1124 701 300 120";
    QTest::newRow("beyond the primary") << "L R | {1500, 900} => {60, 25} LEFT => 1140 755 300 120";
    QTest::newRow("on the other monitor: clamped to the primary, as it was")
        << "L R | {2000, 500} => {560, -375} LEFT => 1140 380 300 120";
    QTest::newRow("fractions and words around") << "L | x=1000.5; y = 500 => {-439.5, -375} LEFT"
                                                   " => 700.5 380 300 120";
    QTest::newRow("(0, 0): none stored") << "L | {0, 0} => none => 1124 701 300 120";
    QTest::newRow("unreadable") << "L | {nan, 5} => none => 1124 701 300 120";
    QTest::newRow("one number") << "L | {1424} => none => 1124 701 300 120";
    QTest::newRow("out of range") << "L | {1e999, 5} => none => 1124 701 300 120";
    QTest::newRow("no monitor yet") << " | {1424, 821} => none => 900 680 300 120";
}

void TestPlacement::carriedOver() {
    QFETCH(QString, row);
    const QStringList in = row.section(QStringLiteral(" => "), 0, 0).split(QStringLiteral(" | "));
    const QList<Monitor> on = monitors(in.at(0));
    const std::optional<Place> place = Placement::placeFromAnchor(on, in.at(1));
    QCOMPARE(text(place), row.section(QStringLiteral(" => "), 1, 1));
    QCOMPARE(text(Placement::frame(on, place, {300, 120})), row.section(QStringLiteral(" => "), 2));
}

void TestPlacement::placeText_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("read"); // written back, or "none"
    QTest::newRow("usual") << "{-16, -54} HDMI-A-1"
                           << "{-16, -54} HDMI-A-1";
    QTest::newRow("any name") << "{1.5, -0.25} Dell U2720Q {2}"
                              << "{1.5, -0.25} Dell U2720Q {2}";
    QTest::newRow("no name") << "{3, 4}"
                             << "{3, 4} ";
    QTest::newRow("zero offset is a place") << "{0, 0} LEFT"
                                            << "{0, 0} LEFT";
    QTest::newRow("empty") << ""
                           << "none";
    QTest::newRow("name first") << "LEFT {1, 2}"
                                << "none";
    QTest::newRow("no space after the brace") << "{1, 2}LEFT"
                                              << "none";
    QTest::newRow("one number") << "{1} LEFT"
                                << "none";
    QTest::newRow("not finite") << "{nan, 1} LEFT"
                                << "none";
    QTest::newRow("unclosed") << "{1, 2 LEFT"
                              << "none";
}

void TestPlacement::placeText() {
    QFETCH(QString, stored);
    QTEST(text(Placement::placeFromString(stored)), "read");
}

// Whole pixels keep the placed top-right corner whatever fraction the size has, so a relayout
// never shifts the strip.
void TestPlacement::pixelAligned_data() {
    QTest::addColumn<QString>("row"); // rect => whole-pixel rect
    QTest::newRow("whole pixels stay") << "1124 701 300 120 => 1124 701 300 120";
    QTest::newRow("half-pixel pill at the corner") << "1336.5 838.5 87.5 28.5 => 1336 838 88 29";
    QTest::newRow("quarter width, clamped left") << "0 0 120.25 30.75 => 0 0 120 31";
    QTest::newRow("halves below zero round up") << "-3.5 -2.5 3 2 => -3 -2 3 2";
}

void TestPlacement::pixelAligned() {
    QFETCH(QString, row);
    QCOMPARE(text(Placement::pixelAligned(rect(row.section(QStringLiteral(" => "), 0, 0)))),
             row.section(QStringLiteral(" => "), 1));
}

void TestPlacement::pointToStringIsShortestAndReadsBack() {
    QCOMPARE(Placement::pointToString({1424, 867}), "{1424, 867}");
    QCOMPARE(Placement::pointToString({0.1 + 0.2, -2.5}), "{0.30000000000000004, -2.5}");
    for (double x : {1.0 / 3, -2.0 / 7, 1e21, -1e-7, 5e-324, 1e308}) {
        const Place place{"DP-1", {x, -x / 3}};
        QVERIFY(Placement::placeFromString(Placement::placeToString(place)) == place);
    }
}

QTEST_GUILESS_MAIN(TestPlacement)
#include "test_placement.moc"
