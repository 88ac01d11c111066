// Whatever text sits under the remembered anchor, the strip must land wholly inside the work
// area: garbage, huge and tiny numbers, NaN, infinities, negatives, and thousands of
// generated strings, for several work areas and content sizes.
#include "Placement.h"

#include <QTest>

#include <cmath>
#include <random>

namespace {

using Rect = Placement::Rect;
using Size = Placement::Size;

const QList<Rect> workAreas{
    {0, 0, 1440, 875},     // laptop, top bar only
    {0, 48, 1920, 1032},   // bottom panel
    {0, 0, 800, 600},      // small screen
    {72, 0, 3768, 2133.5}, // left dock, fractional height
};
const QList<Size> contentSizes{{300, 120}, {300, 40}, {11, 11}, {300, 600}, {87.5, 28.25}};

// Empty when every placement of the anchor text lies inside its work area, else the first
// that does not.
QString misplaced(const QString& text) {
    const Placement::Point anchor = Placement::pointFromString(text);
    for (const Rect& area : workAreas) {
        for (const Size& size : contentSizes) {
            const std::optional<Rect> frame = Placement::frame(anchor, size, area);
            const bool inside = frame && std::isfinite(frame->x) && std::isfinite(frame->y) &&
                                frame->width == size.width && frame->height == size.height &&
                                frame->x >= area.x && frame->maxX() <= area.maxX() + 1e-9 &&
                                frame->y >= area.y && frame->maxY() <= area.maxY() + 1e-9;
            if (!inside)
                return QStringLiteral("anchor (%1, %2), work area (%3, %4, %5, %6), size %7 x %8: "
                                      "frame (%9, %10)")
                    .arg(anchor.x)
                    .arg(anchor.y)
                    .arg(area.x)
                    .arg(area.y)
                    .arg(area.width)
                    .arg(area.height)
                    .arg(size.width)
                    .arg(size.height)
                    .arg(frame ? frame->x : qQNaN())
                    .arg(frame ? frame->y : qQNaN());
        }
    }
    return {};
}

QString randomAnchorText(std::mt19937& random) {
    static const QStringList numbers =
        QStringLiteral("nan NaN -nan inf -inf Infinity 1e308 -1e308 1e309 -1e309 "
                       "1.7976931348623157e308 4.9e-324 -0 0 0x1p10 1e-400 -99999999 1424 "
                       "867.5 -16 .5 -.5 +7 1e --3 1.2.3 \u0661\u0662 \uff11\uff12 9e99999999999")
            .split(u' ');
    static const QStringList glue = QStringList{QString(), QString(QChar(0)), QStringLiteral(" ")} +
                                    QStringLiteral("{|}|, |,|x|\n|e|-|.").split(u'|');
    auto pick = [&random](const QStringList& from) {
        return from.at(std::uniform_int_distribution<qsizetype>(0, from.size() - 1)(random));
    };
    QString text;
    const int parts = std::uniform_int_distribution<int>(0, 8)(random);
    for (int i = 0; i < parts; ++i) {
        switch (std::uniform_int_distribution<int>(0, 4)(random)) {
        case 0:
        case 1:
            text += pick(numbers);
            break;
        case 2:
            text += pick(glue);
            break;
        case 3: {
            // A long run of digits, possibly with a point and an exponent.
            const int length = std::uniform_int_distribution<int>(1, 400)(random);
            QString digits;
            for (int d = 0; d < length; ++d)
                digits += QChar(u'0' + std::uniform_int_distribution<int>(0, 9)(random));
            if (random() % 2)
                digits.insert(std::uniform_int_distribution<int>(0, length)(random), u'.');
            if (random() % 3 == 0)
                digits += QStringLiteral("e%1").arg(
                    std::uniform_int_distribution<int>(-400, 400)(random));
            text += (random() % 2 ? QStringLiteral("-") : QString()) + digits;
            break;
        }
        default:
            // Any code point, surrogate halves included.
            text +=
                QChar(static_cast<char16_t>(std::uniform_int_distribution<int>(0, 0xFFFF)(random)));
            break;
        }
    }
    return text;
}

} // namespace

class TestAnchorStrings : public QObject {
    Q_OBJECT

private slots:
    void hostileAnchorLandsInside_data();
    void hostileAnchorLandsInside();
    void generatedAnchorsLandInside();
};

void TestAnchorStrings::hostileAnchorLandsInside_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QString();
    QTest::newRow("braces only") << QStringLiteral("{}");
    QTest::newRow("words") << QStringLiteral("top right, please");
    QTest::newRow("NaN both") << QStringLiteral("{nan, nan}");
    QTest::newRow("NaN x") << QStringLiteral("{NaN, 500}");
    QTest::newRow("infinities") << QStringLiteral("{inf, -inf}");
    QTest::newRow("huge") << QStringLiteral("{1e308, 1e308}");
    QTest::newRow("overflowing") << QStringLiteral("{1e309, -1e309}");
    QTest::newRow("largest negative")
        << QStringLiteral("{-1.7976931348623157e308, -1.7976931348623157e308}");
    QTest::newRow("negative") << QStringLiteral("{-500, -20}");
    QTest::newRow("negative zero") << QStringLiteral("{-0, -0}");
    QTest::newRow("denormal") << QStringLiteral("{4.9e-324, 4.9e-324}");
    QTest::newRow("underflowing") << QStringLiteral("{1e-400, 1e-400}");
    QTest::newRow("far right") << QStringLiteral("{99999, 400}");
    QTest::newRow("above the top") << QStringLiteral("{1000, 99999}");
    QTest::newRow("one number") << QStringLiteral("{1200}");
    QTest::newRow("three numbers") << QStringLiteral("{1, 2, 3}");
    QTest::newRow("hexadecimal") << QStringLiteral("{0x500, 0x300}");
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("{\u0661\u0662\u0663, \u0664\u0665}");
    QTest::newRow("NUL inside") << QStringLiteral("{1200\u0000, 800}");
    QTest::newRow("10,000 digits") << QStringLiteral("{%1, %1}").arg(QString(10000, u'9'));
    QTest::newRow("10,000 decimals") << QStringLiteral("{0.%1, 1.%1}").arg(QString(10000, u'3'));
    QTest::newRow("lone surrogate") << QStringLiteral("{12\xd800"
                                                      "00, 5}");
}

void TestAnchorStrings::hostileAnchorLandsInside() {
    QFETCH(QString, text);
    const QString why = misplaced(text);
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

void TestAnchorStrings::generatedAnchorsLandInside() {
    const std::mt19937::result_type seed = std::random_device{}();
    std::mt19937 random(seed);
    for (int i = 0; i < 20000; ++i) {
        const QString text = randomAnchorText(random);
        const QString why = misplaced(text);
        QVERIFY2(
            why.isEmpty(),
            qPrintable(
                QStringLiteral("seed %1, text \"%2\": %3").arg(seed).arg(text.left(200), why)));
    }
}

QTEST_GUILESS_MAIN(TestAnchorStrings)
#include "test_anchor_strings.moc"
