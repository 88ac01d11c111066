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

void setFitting(QQuickItem* item, QSizeF size) {
    item->setImplicitWidth(size.width());
    item->setImplicitHeight(size.height());
}

std::unique_ptr<QQuickItem> contentOf(QSizeF size) {
    auto item = std::make_unique<QQuickItem>();
    setFitting(item.get(), size);
    return item;
}

// Gives the panel content of that fitting size and shows it.
bool presentWith(DaylaPanel& panel, QSizeF size) {
    panel.setContent(contentOf(size));
    panel.relayout();
    panel.present();
    return QTest::qWaitForWindowExposed(&panel);
}

} // namespace

class DaylaPanelTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QSettings(QStringLiteral("Pinstrip"), QStringLiteral("Pinstrip")).clear(); }

    void placesTopRightCornerOnAnchor_data() {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QString>("storedAnchor"); // empty: none stored
        QTest::addColumn<QSizeF>("content");
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<QString>("anchorAfter");

        QTest::newRow("default anchor")
            << laptop.geometry << laptop.available << QString() << QSizeF(300, 120)
            << QRect(1124, 33, 300, 120) << QStringLiteral("{1424, 867}");
        QTest::newRow("pulled back inside")
            << laptop.geometry << laptop.available << QStringLiteral("{1500, 900}")
            << QSizeF(300, 120) << QRect(1140, 25, 300, 120) << QStringLiteral("{1440, 875}");
        QTest::newRow("taller than the work area")
            << laptop.geometry << laptop.available << QString() << QSizeF(300, 1000)
            << QRect(1124, -100, 300, 1000) << QStringLiteral("{1424, 1000}");
        QTest::newRow("left edge")
            << laptop.geometry << laptop.available << QStringLiteral("{100, 500}")
            << QSizeF(300, 120) << QRect(0, 400, 300, 120) << QStringLiteral("{300, 500}");
        QTest::newRow("unreadable anchor")
            << laptop.geometry << laptop.available << QStringLiteral("somewhere")
            << QSizeF(300, 120) << QRect(1124, 33, 300, 120) << QStringLiteral("{1424, 867}");
        QTest::newRow("anchor at the origin")
            << laptop.geometry << laptop.available << QStringLiteral("{0, 0}") << QSizeF(300, 120)
            << QRect(1124, 33, 300, 120) << QStringLiteral("{1424, 867}");
        QTest::newRow("collapsed pill")
            << laptop.geometry << laptop.available << QString() << QSizeF(120, 30)
            << QRect(1304, 33, 120, 30) << QStringLiteral("{1424, 867}");
        QTest::newRow("fractional size")
            << laptop.geometry << laptop.available << QStringLiteral("{1000, 500}")
            << QSizeF(300.4, 119.6) << QRect(700, 400, 300, 120) << QStringLiteral("{1000, 500}");
        QTest::newRow("primary right of another screen")
            << QRect(1920, 100, 1440, 900) << QRect(1920, 125, 1440, 875) << QString()
            << QSizeF(300, 120) << QRect(3044, 133, 300, 120) << QStringLiteral("{1424, 867}");
        QTest::newRow("panel at the bottom")
            << laptop.geometry << QRect(0, 0, 1440, 860) << QStringLiteral("{1440, 10}")
            << QSizeF(300, 120) << QRect(1140, 740, 300, 120) << QStringLiteral("{1440, 160}");
    }

    void placesTopRightCornerOnAnchor() {
        QFETCH(QRect, screen);
        QFETCH(QRect, workArea);
        QFETCH(QString, storedAnchor);
        QFETCH(QSizeF, content);
        QFETCH(QRect, expected);
        QFETCH(QString, anchorAfter);

        Preferences preferences;
        if (!storedAnchor.isEmpty())
            preferences.setAnchor(storedAnchor);
        QuietWindowSystem windowSystem(true);
        DaylaPanel panel(windowSystem, preferences, [&] {
            return DaylaPanel::Screens{screen, workArea};
        });
        QVERIFY(presentWith(panel, content));

        QTRY_COMPARE(panel.geometry(), expected);
        QTRY_COMPARE(preferences.anchor().value_or(QString()), anchorAfter);
        QCOMPARE(panel.content()->size(), QSizeF(expected.size()));
    }

    void keepsFrameForTinyContent_data() {
        QTest::addColumn<QSizeF>("content");
        QTest::newRow("10 wide") << QSizeF(10, 120);
        QTest::newRow("10 high") << QSizeF(300, 10);
        QTest::newRow("empty") << QSizeF(0, 0);
    }

    void keepsFrameForTinyContent() {
        QFETCH(QSizeF, content);
        Preferences preferences;
        preferences.setAnchor(QStringLiteral("{700, 500}"));
        QuietWindowSystem windowSystem(true);
        DaylaPanel panel(windowSystem, preferences, [] { return laptop; });
        QVERIFY(presentWith(panel, QSizeF(300, 120)));
        QTRY_COMPARE(panel.geometry(), QRect(400, 400, 300, 120));

        setFitting(panel.content(), QSizeF(content.width(), content.height()));
        panel.relayout();
        QTest::qWait(20);
        QCOMPARE(panel.geometry(), QRect(400, 400, 300, 120));
        QCOMPARE(preferences.anchor().value_or(QString()), QStringLiteral("{700, 500}"));
    }

    // The view settles its size after it is shown; the strip must still land on the default
    // corner and not remember the place it was created at.
    void followsContentThatSizesLate() {
        Preferences preferences;
        QuietWindowSystem windowSystem(true);
        DaylaPanel panel(windowSystem, preferences, [] { return laptop; });
        QVERIFY(presentWith(panel, QSizeF(0, 0)));
        QTest::qWait(20);
        QVERIFY(!preferences.anchor());

        setFitting(panel.content(), QSizeF(300, 200));
        QTRY_COMPARE(panel.geometry(), QRect(1124, 33, 300, 200));
        QTRY_COMPARE(preferences.anchor().value_or(QString()), QStringLiteral("{1424, 867}"));
    }

    void remembersDragAndResets() {
        Preferences preferences;
        QuietWindowSystem windowSystem(true);
        DaylaPanel panel(windowSystem, preferences, [] { return laptop; });
        QVERIFY(presentWith(panel, QSizeF(300, 120)));

        panel.setPosition(500, 300); // what a drag by the background ends in
        QTRY_COMPARE(preferences.anchor().value_or(QString()), QStringLiteral("{800, 600}"));
        setFitting(panel.content(), QSizeF(300, 240));
        QTRY_COMPARE(panel.geometry(), QRect(500, 300, 300, 240));

        panel.resetPosition();
        QTRY_COMPARE(panel.geometry(), QRect(1124, 33, 300, 240));
        QTRY_COMPARE(preferences.anchor().value_or(QString()), QStringLiteral("{1424, 867}"));
    }

    void resetWhileHiddenDoesNotShow() {
        Preferences preferences;
        preferences.setAnchor(QStringLiteral("{300, 500}"));
        QuietWindowSystem windowSystem(true);
        DaylaPanel panel(windowSystem, preferences, [] { return laptop; });
        panel.setContent(contentOf({300, 120}));
        panel.resetPosition();
        QVERIFY(!panel.isVisible());
        QCOMPARE(panel.geometry(), QRect(1124, 33, 300, 120));
    }

    void givesMaxHeightOfWorkArea() {
        Preferences preferences;
        QuietWindowSystem windowSystem(true);
        DaylaPanel panel(windowSystem, preferences, [] { return laptop; });
        auto content = contentOf({300, 120});
        content->setProperty("maxHeight", 0);
        QQuickItem* root = content.get();
        panel.setContent(std::move(content));
        panel.relayout();
        QCOMPARE(root->property("maxHeight").toInt(), 875);
    }

    void shapesOpaqueSurfaceWithoutCompositor_data() {
        QTest::addColumn<bool>("compositor");
        QTest::newRow("composited") << true;
        QTest::newRow("no compositor") << false;
    }

    void shapesOpaqueSurfaceWithoutCompositor() {
        QFETCH(bool, compositor);
        Preferences preferences;
        QuietWindowSystem windowSystem(compositor);
        DaylaPanel panel(windowSystem, preferences, [] { return laptop; });
        QVERIFY(presentWith(panel, QSizeF(300, 120)));
        QTRY_COMPARE(panel.size(), QSize(300, 120));

        QCOMPARE(panel.translucent(), compositor);
        QCOMPARE(panel.color().alpha() == 0, compositor);
        const QRegion mask = panel.mask();
        if (compositor) {
            QVERIFY(mask.isEmpty());
            return;
        }
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(299, 0), QPoint(0, 119), QPoint(299, 119), QPoint(1, 1)})
            QVERIFY2(!mask.contains(corner),
                     qPrintable(QStringLiteral("%1,%2").arg(corner.x()).arg(corner.y())));
        for (const QPoint inside :
             {QPoint(150, 0), QPoint(0, 60), QPoint(299, 60), QPoint(150, 119), QPoint(3, 3)})
            QVERIFY2(mask.contains(inside),
                     qPrintable(QStringLiteral("%1,%2").arg(inside.x()).arg(inside.y())));
    }
};

QTEST_MAIN(DaylaPanelTest)
#include "test_dayla_panel.moc"
