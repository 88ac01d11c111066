#include "Placement.h"

#include <QTest>

using Point = Placement::Point;
using Rect = Placement::Rect;
using Size = Placement::Size;

namespace {

// Space-separated numbers, "nan" and "inf" included; "screen" is the usual work area.
QList<double> numbers(const QString& text) {
    QList<double> out;
    for (const QString& word : QString(text).replace("screen", "0 0 1440 875").split(u' '))
        out << word.toDouble();
    return out;
}

QString text(const std::optional<Rect>& r) {
    if (!r)
        return QStringLiteral("none");
    QStringList out;
    for (double v : {r->x, r->y, r->width, r->height})
        out << QString::number(v, 'g', QLocale::FloatingPointShortest);
    return out.join(u' ');
}

// Empty when the strip lands inside every work area at every size, else where it does not.
QString misplaced(Point anchor) {
    static const QList<Rect> areas{
        {0, 0, 1440, 875}, {0, 48, 1920, 1032}, {0, 0, 800, 600}, {72, 0, 3768, 2133.5}};
    for (const Rect& area : areas) {
        for (const Size& size : {Size{300, 120}, Size{11, 11}, Size{300, 600}, Size{87.5, 28.25}}) {
            const std::optional<Rect> f = Placement::frame(anchor, size, area);
            if (!f || f->width != size.width || f->height != size.height || !(f->x >= area.x) ||
                !(f->y >= area.y) || !(f->maxX() <= area.maxX()) || !(f->maxY() <= area.maxY()))
                return text(f) + QStringLiteral(" in ") + text(area);
        }
    }
    return {};
}

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT

private slots:
    void frame_data();
    void frame();
    void pixelAligned_data();
    void pixelAligned();
    void pointToStringIsShortestAndReadsBack();
    void anchorText_data();
    void anchorText();
};

void TestPlacement::frame_data() {
    QTest::addColumn<QString>("row"); // anchor | fitting size | work area = frame; "-": none
    // The default corner clears a maximised window's title-bar buttons.
    QTest::newRow("default anchor") << "- | 300 120 | screen = 1124 701 300 120";
    QTest::newRow("(0, 0) means default") << "0 0 | 300 120 | screen = 1124 701 300 120";
    QTest::newRow("default on a 1080p work area under a 32 px bar")
        << "- | 300 120 | 0 0 1920 1048 = 1604 874 300 120";
    QTest::newRow("lowest double: bottom left corner")
        << "-1.7976931348623157e308 -1e308 | 300 120 | screen = 0 0 300 120";
    QTest::newRow("anchor beyond the top right")
        << "1500 900 | 300 120 | screen = 1140 755 300 120";
    QTest::newRow("too tall: bottom edge wins") << "- | 300 1000 | screen = 1124 0 300 1000";
    QTest::newRow("too wide: left edge wins") << "1000 500 | 2000 120 | screen = 0 380 2000 120";
    QTest::newRow("work area above a bottom panel")
        << "500 100 | 300 120 | 0 40 1440 835 = 200 40 300 120";
    QTest::newRow("no screen: default corner, no clamping") << "- | 300 120 | - = 900 680 300 120";
    QTest::newRow("no screen: far anchor kept") << "-5000 3000 | 300 120 | - = -5300 2880 300 120";
    QTest::newRow("width exactly 10") << "- | 10 120 | screen = none";
    QTest::newRow("height exactly 10") << "- | 300 10 | screen = none";
    QTest::newRow("just over 10") << "- | 10.5 10.5 | screen = 1413.5 810.5 10.5 10.5";
    QTest::newRow("NaN size") << "- | nan 120 | screen = none";
    QTest::newRow("infinite size") << "- | 300 inf | screen = none";
}

void TestPlacement::frame() {
    QFETCH(QString, row);
    const QStringList in = row.section(QStringLiteral(" = "), 0, 0).split(QStringLiteral(" | "));
    const QList<double> a = numbers(in.at(0)), s = numbers(in.at(1)), v = numbers(in.at(2));
    const auto anchor = in.at(0) == u'-' ? std::nullopt : std::optional(Point{a[0], a[1]});
    const auto area = in.at(2) == u'-' ? std::nullopt : std::optional(Rect{v[0], v[1], v[2], v[3]});
    QCOMPARE(text(Placement::frame(anchor, Size{s[0], s[1]}, area)),
             row.section(QStringLiteral(" = "), 1));
}

// Whole pixels keep the placed top-right corner whatever fraction the size has, so a relayout
// never shifts the strip.
void TestPlacement::pixelAligned_data() {
    QTest::addColumn<QString>("row"); // rect => whole-pixel rect
    QTest::newRow("whole pixels stay") << "1124 701 300 120 => 1124 701 300 120";
    QTest::newRow("half-pixel pill at the corner") << "1336.5 838.5 87.5 28.5 => 1336 838 88 29";
    QTest::newRow("another half width") << "1335.5 838.5 88.5 28.5 => 1335 838 89 29";
    QTest::newRow("quarter width, clamped left") << "0 0 120.25 30.75 => 0 0 120 31";
    QTest::newRow("thirds") << "10.25 20.75 100.25 50.25 => 11 21 100 50";
    QTest::newRow("halves below zero round up") << "-3.5 -2.5 3 2 => -3 -2 3 2";
}

void TestPlacement::pixelAligned() {
    QFETCH(QString, row);
    const QList<double> r = numbers(row.section(QStringLiteral(" => "), 0, 0));
    QCOMPARE(text(Placement::pixelAligned({r[0], r[1], r[2], r[3]})),
             row.section(QStringLiteral(" => "), 1));
}

void TestPlacement::pointToStringIsShortestAndReadsBack() {
    QCOMPARE(Placement::pointToString({1424, 867}), "{1424, 867}");
    QCOMPARE(Placement::pointToString({0.1 + 0.2, -2.5}), "{0.30000000000000004, -2.5}");
    for (double x : {1.0 / 3, -2.0 / 7, 1e21, -1e-7, 5e-324, 1e308, 123456789.123456789}) {
        const Point point{x, -x / 3};
        QVERIFY(Placement::pointFromString(Placement::pointToString(point)) == point);
    }
}

void TestPlacement::anchorText_data() {
    QTest::addColumn<QString>("row"); // stored text => the point read
    QTest::newRow("written form") << "{1424, 867} => 1424 867";
    QTest::newRow("signs and leading points") << "{-.5, +7.25} => -0.5 7.25";
    QTest::newRow("exponents") << "{1e3, 2E-1} => 1000 0.2";
    QTest::newRow("words and spacing around") << "x=12;\t y = 34! => 12 34";
    QTest::newRow("no closing brace, third number") << "{1, 2, 3 => 1 2";
    QTest::newRow("huge but finite") << "{1e308, -1e308} => 1e308 -1e308";
    QTest::newRow("hexadecimal") << "{0x500, 0x300} => 0 500";
    QTest::newRow("empty") << " => 0 0";
    QTest::newRow("one number") << "{1424} => 0 0";
    QTest::newRow("lone sign and dot") << "{-, .} => 0 0";
    QTest::newRow("ends in a sign") << "{5, - => 0 0";
    QTest::newRow("ends in a signed point") << "{5, +. => 0 0";
    QTest::newRow("NaN and infinity") << "{nan, inf} => 0 0";
    QTest::newRow("out of range") << "{1e999, 5} => 0 0";
    QTest::newRow("second out of range") << "{5, -1e999} => 0 0";
    QTest::newRow("underflowing") << "{1e-400, 1e-400} => 0 0";
    QTest::newRow("other digits") << "{٣, ٤} => 0 0";
    QTest::newRow("NUL inside") << QString("{1200") + QChar(0) + ", 800} => 1200 800";
    QTest::newRow("lone surrogate") << QString("{12") + QChar(0xD800) + "00, 5} => 12 0";
    QTest::newRow("10,000 digits") << QString("{%1, 5} => 0 0").arg(QString(10000, u'9'));
    QTest::newRow("10,000 decimals")
        << QString("{0.%1, 1.%1} => 0.3333333333333333 1.3333333333333333")
               .arg(QString(10000, u'3'));
}

void TestPlacement::anchorText() {
    QFETCH(QString, row);
    const Point got = Placement::pointFromString(row.section(QStringLiteral(" => "), 0, 0));
    const QList<double> want = numbers(row.section(QStringLiteral(" => "), 1));
    QVERIFY2(got == (Point{want[0], want[1]}), qPrintable(Placement::pointToString(got)));
    const QString why = misplaced(got);
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

QTEST_GUILESS_MAIN(TestPlacement)
#include "test_placement.moc"
