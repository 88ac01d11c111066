#include "DaylaPanel.h"
#include "Preferences.h"
#include "platform/WindowSystem.h"

#include <QQuickItem>
#include <QSettings>
#include <QTest>

namespace {

class QuietWindowSystem : public WindowSystem {
public:
    explicit QuietWindowSystem(bool compositor) : m_compositor(compositor) {}
    void prepareFloating(QWindow&) override {}
    [[nodiscard]] bool compositorActive() const override { return m_compositor; }
    void rememberActiveWindow(const QWindow&) override {}
    void handBackKeyboard(const QWindow&) override {}

private:
    bool m_compositor;
};

// A 1440 × 900 primary screen with a 25 px panel along its top, as the worked examples assume.
const DaylaPanel::Screens laptop{QRect(0, 0, 1440, 900), QRect(0, 25, 1440, 875)};

void fitTo(QQuickItem* item, QSizeF size) {
    item->setImplicitWidth(size.width());
    item->setImplicitHeight(size.height());
}

// A panel on `screens` whose content has that fitting size and a height limit to fill in.
struct Shown {
    Shown(QSizeF size, DaylaPanel::Screens screens = laptop, bool compositor = true)
        : windowSystem(compositor), panel(windowSystem, preferences, [=] { return screens; }) {
        auto content = std::make_unique<QQuickItem>();
        content->setProperty("maxHeight", 0);
        fitTo(content.get(), size);
        panel.setContent(std::move(content));
    }
    bool present() {
        panel.relayout();
        panel.present();
        return QTest::qWaitForWindowExposed(&panel);
    }
    [[nodiscard]] QString anchor() const { return preferences.anchor().value_or(QString()); }
    Preferences preferences;
    QuietWindowSystem windowSystem;
    DaylaPanel panel;
};

} // namespace

class DaylaPanelTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QSettings("Pinstrip", "Pinstrip").clear(); }

    // The top-right corner sits on the stored anchor (bottom-left-origin coordinates), pulled
    // inside the work area; the move stores the anchor that was used.
    void placesTopRightCornerOnAnchor_data() {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QString>("storedAnchor"); // empty: none stored
        QTest::addColumn<QSizeF>("content");
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<QString>("anchorAfter");
        const QRect screen = laptop.geometry, work = laptop.available;
        // clang-format off
        QTest::newRow("default anchor") << screen << work << "" << QSizeF(300, 120)
            << QRect(1124, 33, 300, 120) << "{1424, 867}";
        QTest::newRow("pulled back inside") << screen << work << "{1500, 900}" << QSizeF(300, 120)
            << QRect(1140, 25, 300, 120) << "{1440, 875}";
        QTest::newRow("taller than the work area") << screen << work << "" << QSizeF(300, 1000)
            << QRect(1124, -100, 300, 1000) << "{1424, 1000}";
        QTest::newRow("collapsed pill") << screen << work << "" << QSizeF(120, 30)
            << QRect(1304, 33, 120, 30) << "{1424, 867}";
        QTest::newRow("fractional size") << screen << work << "{1000, 500}" << QSizeF(300.4, 119.6)
            << QRect(700, 400, 300, 120) << "{1000, 500}";
        QTest::newRow("primary right of another screen") << QRect(1920, 100, 1440, 900)
            << QRect(1920, 125, 1440, 875) << "" << QSizeF(300, 120)
            << QRect(3044, 133, 300, 120) << "{1424, 867}";
        QTest::newRow("panel at the bottom") << screen << QRect(0, 0, 1440, 860) << "{1440, 10}"
            << QSizeF(300, 120) << QRect(1140, 740, 300, 120) << "{1440, 160}";
        // clang-format on
    }
    void placesTopRightCornerOnAnchor() {
        QFETCH(QRect, screen);
        QFETCH(QRect, workArea);
        QFETCH(QString, storedAnchor);
        QFETCH(QSizeF, content);
        QFETCH(QRect, expected);
        Shown shown(content, {screen, workArea});
        if (!storedAnchor.isEmpty())
            shown.preferences.setAnchor(storedAnchor);
        QVERIFY(shown.present());
        QTRY_COMPARE(shown.panel.geometry(), expected);
        QFETCH(QString, anchorAfter);
        QTRY_COMPARE(shown.anchor(), anchorAfter);
        QCOMPARE(shown.panel.content()->size(), QSizeF(expected.size()));
        QCOMPARE(shown.panel.content()->property("maxHeight").toInt(), workArea.height());
    }

    // Content that settles its size late still lands on the default corner, and the place the
    // window was created at is no anchor; tiny content keeps the frame it has.
    void contentSizedLateOrTiny() {
        Shown shown({0, 0});
        QVERIFY(shown.present());
        QTest::qWait(20);
        QVERIFY(!shown.preferences.anchor());
        fitTo(shown.panel.content(), {300, 200});
        QTRY_COMPARE(shown.panel.geometry(), QRect(1124, 33, 300, 200));
        QTRY_COMPARE(shown.anchor(), "{1424, 867}");
        for (const QSizeF tiny : {QSizeF(10, 120), QSizeF(300, 10), QSizeF()}) {
            fitTo(shown.panel.content(), tiny);
            QTest::qWait(20);
            QCOMPARE(shown.panel.geometry(), QRect(1124, 33, 300, 200));
        }
        QCOMPARE(shown.anchor(), "{1424, 867}");
    }

    // A reset of a hidden strip moves it to the default corner without showing it.
    void resetWhileHiddenDoesNotShow() {
        Shown shown({300, 120});
        shown.preferences.setAnchor("{300, 500}");
        shown.panel.resetPosition();
        QVERIFY(!shown.panel.isVisible());
        QCOMPARE(shown.panel.geometry(), QRect(1124, 33, 300, 120));
    }

    // Without a compositor the corners are cut away instead of left transparent (black).
    void shapesOpaqueSurfaceWithoutCompositor_data() {
        QTest::addColumn<bool>("compositor");
        QTest::newRow("composited") << true;
        QTest::newRow("no compositor") << false;
    }
    void shapesOpaqueSurfaceWithoutCompositor() {
        QFETCH(bool, compositor);
        Shown shown({300, 120}, laptop, compositor);
        QVERIFY(shown.present());
        QTRY_COMPARE(shown.panel.size(), QSize(300, 120));
        QCOMPARE(shown.panel.translucent(), compositor);
        QCOMPARE(shown.panel.color().alpha() == 0, compositor);
        const QRegion mask = shown.panel.mask();
        QCOMPARE(mask.isEmpty(), compositor);
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(299, 0), QPoint(0, 119), QPoint(299, 119), QPoint(1, 1)})
            QVERIFY(!mask.contains(corner));
        for (const QPoint inside : {QPoint(150, 0), QPoint(0, 60), QPoint(299, 60), QPoint(3, 3)})
            QCOMPARE(mask.contains(inside), !compositor);
    }
};

QTEST_MAIN(DaylaPanelTest)
#include "test_dayla_panel.moc"
