#include "Placement.h"

#include <QTest>

#include <limits>

using Point = Placement::Point;
using Rect = Placement::Rect;
using Size = Placement::Size;
using OptionalPoint = std::optional<Point>;
using OptionalRect = std::optional<Rect>;

Q_DECLARE_METATYPE(OptionalPoint)
Q_DECLARE_METATYPE(OptionalRect)
Q_DECLARE_METATYPE(Size)
Q_DECLARE_METATYPE(Point)
Q_DECLARE_METATYPE(Rect)

namespace {

const Rect screen{0, 0, 1440, 875};
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double huge = std::numeric_limits<double>::max();

bool inside(const Rect& r, const Rect& v) {
    return r.x >= v.x && r.y >= v.y && r.maxX() <= v.maxX() && r.maxY() <= v.maxY();
}

} // namespace

namespace QTest {
template <> char* toString(const Rect& r) {
    return qstrdup(QByteArray("(" + QByteArray::number(r.x) + ", " + QByteArray::number(r.y) +
                              ", " + QByteArray::number(r.width) + ", " +
                              QByteArray::number(r.height) + ")"));
}
template <> char* toString(const Point& p) {
    return qstrdup(Placement::pointToString(p).toUtf8());
}
} // namespace QTest

class TestPlacement : public QObject {
    Q_OBJECT

private slots:
    void defaultAnchor();
    void frame_data();
    void frame();
    void clampedNeverLeavesTheScreen_data();
    void clampedNeverLeavesTheScreen();
    void pointToString_data();
    void pointToString();
    void pointStringRoundTrip();
    void pointFromString_data();
    void pointFromString();
};

void TestPlacement::defaultAnchor() {
    QCOMPARE(Placement::defaultAnchor(screen), (Point{1424, 867}));
    QCOMPARE(Placement::defaultAnchor(Rect{100, 40, 800, 600}), (Point{884, 632}));
    QCOMPARE(Placement::defaultAnchor(std::nullopt), (Point{1200, 800}));
}

void TestPlacement::frame_data() {
    QTest::addColumn<OptionalPoint>("anchor");
    QTest::addColumn<Size>("fitting");
    QTest::addColumn<OptionalRect>("visible");
    QTest::addColumn<OptionalRect>("expected");

    const OptionalPoint none;
    const Size strip{300, 120};
    QTest::newRow("default anchor")
        << none << strip << OptionalRect(screen) << OptionalRect(Rect{1124, 747, 300, 120});
    QTest::newRow("(0, 0) means default")
        << OptionalPoint(Point{0, 0}) << strip << OptionalRect(screen)
        << OptionalRect(Rect{1124, 747, 300, 120});
    QTest::newRow("NaN x means default")
        << OptionalPoint(Point{notANumber, 500}) << strip << OptionalRect(screen)
        << OptionalRect(Rect{1124, 747, 300, 120});
    QTest::newRow("minus infinity y means default")
        << OptionalPoint(Point{700, -infinity}) << strip << OptionalRect(screen)
        << OptionalRect(Rect{1124, 747, 300, 120});
    QTest::newRow("lowest double: bottom left corner")
        << OptionalPoint(Point{-huge, -huge}) << strip << OptionalRect(screen)
        << OptionalRect(Rect{0, 0, 300, 120});
    QTest::newRow("anchor beyond the top right")
        << OptionalPoint(Point{1500, 900}) << strip << OptionalRect(screen)
        << OptionalRect(Rect{1140, 755, 300, 120});
    QTest::newRow("too tall: pushed up to the bottom edge")
        << none << Size{300, 1000} << OptionalRect(screen)
        << OptionalRect(Rect{1124, 0, 300, 1000});
    QTest::newRow("anchor near the left edge")
        << OptionalPoint(Point{100, 500}) << strip << OptionalRect(screen)
        << OptionalRect(Rect{0, 380, 300, 120});
    QTest::newRow("too wide: aligned to the left edge")
        << OptionalPoint(Point{1000, 500}) << Size{2000, 120} << OptionalRect(screen)
        << OptionalRect(Rect{0, 380, 2000, 120});
    QTest::newRow("visible frame above a bottom panel")
        << OptionalPoint(Point{500, 100}) << strip << OptionalRect(Rect{0, 40, 1440, 835})
        << OptionalRect(Rect{200, 40, 300, 120});
    QTest::newRow("no screen: default corner, no clamping")
        << none << strip << OptionalRect() << OptionalRect(Rect{900, 680, 300, 120});
    QTest::newRow("no screen: far anchor kept")
        << OptionalPoint(Point{-5000, 3000}) << strip << OptionalRect()
        << OptionalRect(Rect{-5300, 2880, 300, 120});
    QTest::newRow("width exactly 10")
        << none << Size{10, 120} << OptionalRect(screen) << OptionalRect();
    QTest::newRow("height exactly 10")
        << none << Size{300, 10} << OptionalRect(screen) << OptionalRect();
    QTest::newRow("just over 10") << none << Size{10.5, 10.5} << OptionalRect(screen)
                                  << OptionalRect(Rect{1413.5, 856.5, 10.5, 10.5});
    QTest::newRow("empty size") << none << Size{} << OptionalRect(screen) << OptionalRect();
    QTest::newRow("NaN size") << none << Size{notANumber, 120} << OptionalRect(screen)
                              << OptionalRect();
    QTest::newRow("infinite size")
        << none << Size{300, infinity} << OptionalRect(screen) << OptionalRect();
}

void TestPlacement::frame() {
    QFETCH(OptionalPoint, anchor);
    QFETCH(Size, fitting);
    QFETCH(OptionalRect, visible);
    QFETCH(OptionalRect, expected);

    const OptionalRect got = Placement::frame(anchor, fitting, visible);
    QCOMPARE(got.has_value(), expected.has_value());
    if (expected)
        QCOMPARE(*got, *expected);
}

void TestPlacement::clampedNeverLeavesTheScreen_data() {
    QTest::addColumn<Rect>("rect");
    QTest::addColumn<Rect>("expected");

    QTest::newRow("fits: unchanged") << Rect{10, 20, 300, 120} << Rect{10, 20, 300, 120};
    QTest::newRow("off the right and top")
        << Rect{1300, 800, 300, 120} << Rect{1140, 755, 300, 120};
    QTest::newRow("off the left and bottom") << Rect{-50, -10, 300, 120} << Rect{0, 0, 300, 120};
    QTest::newRow("NaN origin goes to the top right")
        << Rect{notANumber, notANumber, 300, 120} << Rect{1140, 755, 300, 120};
    QTest::newRow("infinite origin")
        << Rect{infinity, -infinity, 300, 120} << Rect{1140, 0, 300, 120};
    QTest::newRow("on another display to the left")
        << Rect{-1920, 300, 300, 120} << Rect{0, 300, 300, 120};
}

void TestPlacement::clampedNeverLeavesTheScreen() {
    QFETCH(Rect, rect);
    QFETCH(Rect, expected);
    QCOMPARE(Placement::clamped(rect, screen), expected);
    QVERIFY(inside(Placement::clamped(rect, screen), screen));
}

void TestPlacement::pointToString_data() {
    QTest::addColumn<Point>("point");
    QTest::addColumn<QString>("text");

    QTest::newRow("integers") << Point{1424, 867} << "{1424, 867}";
    QTest::newRow("zero") << Point{0, 0} << "{0, 0}";
    QTest::newRow("fractions") << Point{0.1, -2.5} << "{0.1, -2.5}";
    QTest::newRow("shortest for a sum")
        << Point{0.1 + 0.2, 1140.75} << "{0.30000000000000004, 1140.75}";
}

void TestPlacement::pointToString() {
    QFETCH(Point, point);
    QFETCH(QString, text);
    QCOMPARE(Placement::pointToString(point), text);
}

void TestPlacement::pointStringRoundTrip() {
    const double values[] = {0.0,
                             1.0 / 3,
                             -2.0 / 7,
                             1e21,
                             -1e-7,
                             5e-324,
                             1e308,
                             1424.5,
                             -0.30000000000000004,
                             123456789.123456789};
    for (double x : values) {
        for (double y : values) {
            const Point point{x, y};
            QCOMPARE(Placement::pointFromString(Placement::pointToString(point)), point);
        }
    }
}

void TestPlacement::pointFromString_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Point>("point");

    QTest::newRow("written form") << "{1424, 867}" << Point{1424, 867};
    QTest::newRow("fractions and signs") << "{-0.5, +7.25}" << Point{-0.5, 7.25};
    QTest::newRow("leading points") << "{.5, -.25}" << Point{0.5, -0.25};
    QTest::newRow("exponents") << "{1e3, 2E-1}" << Point{1000, 0.2};
    QTest::newRow("loose spacing") << "  {  3 ,\t4 }  " << Point{3, 4};
    QTest::newRow("no braces") << "12 34" << Point{12, 34};
    QTest::newRow("words around") << "x=12; y=34!" << Point{12, 34};
    QTest::newRow("missing closing brace") << "{1424, 867" << Point{1424, 867};
    QTest::newRow("third number ignored") << "{1, 2, 3}" << Point{1, 2};
    QTest::newRow("huge but finite") << "{1e308, -1e308}" << Point{1e308, -1e308};
    QTest::newRow("empty") << "" << Point{};
    QTest::newRow("garbage") << "garbage" << Point{};
    QTest::newRow("one number") << "{1424}" << Point{};
    QTest::newRow("lone sign and dot") << "{-, .}" << Point{};
    QTest::newRow("nan and inf words") << "{nan, inf}" << Point{};
    QTest::newRow("out of range") << "{1e999, 5}" << Point{};
    QTest::newRow("second out of range") << "{5, -1e999}" << Point{};
    QTest::newRow("other digits") << QString::fromUtf8("{٣, ٤}") << Point{};
}

void TestPlacement::pointFromString() {
    QFETCH(QString, text);
    QFETCH(Point, point);
    QCOMPARE(Placement::pointFromString(text), point);
}

QTEST_GUILESS_MAIN(TestPlacement)
#include "test_placement.moc"
