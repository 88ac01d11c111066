#include "AppDelegate.h"
#include "Preferences.h"
#include "SingleInstance.h"
#include "StateFile.h"
#include "StatusItem.h"
#include "StripPanel.h"
#include "TodoStore.h"
#include "platform/WindowSystem.h"

#include <QAction>
#include <QDir>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

namespace {

// A 1440 × 900 primary screen with a 25 px panel along its top.
const StripPanel::Screens laptop{QRect(0, 0, 1440, 900), QRect(0, 25, 1440, 875)};

struct QuietWindowSystem : WindowSystem {
    explicit QuietWindowSystem(bool compositor) : compositor(compositor) {}
    void prepareFloating(QWindow&) override {}
    [[nodiscard]] bool compositorActive() const override { return compositor; }
    void rememberActiveWindow(const QWindow&) override {}
    void handBackKeyboard(const QWindow&) override {}
    bool compositor;
};

void fitTo(QQuickItem* item, QSizeF size) {
    item->setImplicitWidth(size.width());
    item->setImplicitHeight(size.height());
}

// A panel on `screens` whose content has that fitting size and a height limit to fill in.
struct Shown {
    Shown(QSizeF size, StripPanel::Screens screens = laptop, bool compositor = true)
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
    StripPanel panel;
};

QString settingsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Pinstrip/Pinstrip.conf";
}

// The tray menu as it opens now, and its entry whose title starts so.
QAction* entry(const AppDelegate& delegate, const QString& prefix) {
    TrayMenu& menu = delegate.statusItem()->menu();
    emit menu.aboutToShow();
    for (QAction* action : menu.actions()) {
        if (action->text().startsWith(prefix))
            return action;
    }
    return nullptr;
}

} // namespace

// The strip window's placement and the delegate that launches, summons and hides it.
class TestStrip : public QObject {
    Q_OBJECT

private:
    bool m_tray = true;
    QTemporaryDir m_autostart;

    std::unique_ptr<AppDelegate> make() {
        return std::make_unique<AppDelegate>(AppDelegate::Environment{
            [] { return std::optional(laptop); }, [this] { return m_tray; },
            LoginItem(m_autostart.path(), "pinstrip", [] {})});
    }
    std::unique_ptr<AppDelegate> launched() {
        auto delegate = make();
        if (!delegate->applicationDidFinishLaunching())
            return nullptr;
        QCoreApplication::processEvents();
        return delegate;
    }

private slots:
    void initTestCase() { QQuickWindow::setGraphicsApi(QSGRendererInterface::Software); }
    void init() {
        m_tray = true;
        QSettings("Pinstrip", "Pinstrip").clear();
        QFile::remove(settingsPath());
        QDir(StateFile::defaultFolder()).removeRecursively();
    }

    // The first launch shows the strip at the default corner without the keyboard and grows it
    // down from there; later launches follow the stored choice, but always show without a tray.
    void visibilityAtLaunch_data() {
        QTest::addColumn<QVariant>("stored"); // invalid: never chosen
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("shown");
        QTest::newRow("never chosen") << QVariant() << true << true;
        QTest::newRow("left shown") << QVariant(true) << true << true;
        QTest::newRow("left hidden") << QVariant(false) << true << false;
        QTest::newRow("left hidden, no tray host") << QVariant(false) << false << true;
    }
    void visibilityAtLaunch() {
        QFETCH(QVariant, stored);
        QFETCH(bool, shown);
        if (stored.isValid())
            Preferences().setVisible(stored.toBool());
        QFETCH(bool, tray);
        m_tray = tray;
        auto delegate = launched();
        QVERIFY(delegate);
        QTest::qWait(20);
        QCOMPARE(delegate->panel()->isVisible(), shown);
        QCOMPARE(
            QSettings(settingsPath(), QSettings::IniFormat).value(Preferences::visibleKey).toBool(),
            shown);
        if (!shown)
            return;
        QTRY_COMPARE(delegate->panel()->geometry().topRight(), QPoint(1423, 33));
        const QRect before = delegate->panel()->geometry();
        QVERIFY(!delegate->panel()->allowKey());
        delegate->store()->add("Write the report");
        delegate->store()->add("Call the plumber");
        QTRY_VERIFY(delegate->panel()->geometry().height() > before.height());
        QCOMPARE(delegate->panel()->geometry().topRight(), before.topRight());
        QCOMPARE(Preferences().anchor().value_or(QString()), "{1424, 867}");
    }

    void secondCopyTouchesNothing() {
        SingleInstance first;
        QVERIFY(first.acquire());
        auto delegate = make();
        QVERIFY(!delegate->applicationDidFinishLaunching());
        QVERIFY(!delegate->store() && !delegate->panel());
        QVERIFY(!QFileInfo::exists(StateFile::defaultFolder()));
        QVERIFY(!QFileInfo::exists(settingsPath()));
    }

    // Summoning always ends shown, expanded and typing, and asks for the keyboard only when
    // the input row was not open yet.
    void summon_data() {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("collapsed");
        QTest::addColumn<bool>("typing");
        QTest::newRow("hidden and collapsed") << false << true << false;
        QTest::newRow("shown, collapsed") << true << true << false;
        QTest::newRow("shown, expanded, idle") << true << false << false;
        QTest::newRow("already typing") << true << false << true;
        QTest::newRow("collapsed while typing") << true << true << true;
    }
    void summon() {
        QFETCH(bool, visible);
        QFETCH(bool, collapsed);
        QFETCH(bool, typing);
        Preferences().setVisible(visible);
        auto delegate = launched();
        QVERIFY(delegate);
        TodoStore* store = delegate->store();
        store->setCollapsed(collapsed);
        store->setInputActive(typing);
        QList<bool> hook;
        store->onInputActiveChanged = [&, handler = store->onInputActiveChanged](bool active) {
            hook << active;
            handler(active);
        };
        delegate->hotkeyPressed();
        QVERIFY(delegate->panel()->isVisible() && Preferences().visible());
        QVERIFY(!store->collapsed() && store->inputActive());
        QCOMPARE(hook, typing ? QList<bool>{} : QList<bool>{true});
        QCOMPARE(delegate->panel()->allowKey(), !typing);
    }

    // Toggling shows or hides and remembers which, leaving the list's state alone; the strip
    // accepts the keyboard exactly while its input row is open.
    void toggle() {
        for (const bool visible : {true, false}) {
            Preferences().setVisible(visible);
            auto delegate = launched();
            QVERIFY(delegate);
            StripPanel* panel = delegate->panel();
            delegate->store()->setCollapsed(true);
            delegate->store()->userSetInputActive(true);
            QVERIFY(panel->allowKey() && !panel->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
            delegate->togglePanel();
            QCOMPARE(panel->isVisible(), !visible);
            QCOMPARE(Preferences().visible(), !visible);
            QVERIFY(delegate->store()->collapsed() && delegate->store()->inputActive());
            QVERIFY(panel->allowKey());
            delegate->store()->userSetInputActive(false);
            QVERIFY(!panel->allowKey() && panel->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
        }
    }

    // The menu reflects the delegate's state and its entries drive it.
    void menuDrivesDelegate() {
        auto delegate = launched();
        QVERIFY(delegate);
        entry(*delegate, "Hide Strip")->trigger();
        QVERIFY(!delegate->panel()->isVisible());
        QVERIFY(entry(*delegate, "Show Strip"));
        entry(*delegate, "Summon on Double-")->trigger();
        QVERIFY(!Preferences().doubleTapEnabled());
        QVERIFY(!entry(*delegate, "Summon on Double-")->isChecked());
        entry(*delegate, "Launch at Login")->trigger();
        QVERIFY(entry(*delegate, "Launch at Login")->isChecked());
        QVERIFY(QFile::exists(m_autostart.filePath("io.github.pinstrip.pinstrip.desktop")));
        entry(*delegate, "Add Item")->trigger();
        QVERIFY(delegate->panel()->isVisible() && delegate->store()->inputActive());
    }

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
    void shapesOpaqueSurfaceWithoutCompositor() {
        for (const bool compositor : {true, false}) {
            Shown shown({300, 120}, laptop, compositor);
            QVERIFY(shown.present());
            QTRY_COMPARE(shown.panel.size(), QSize(300, 120));
            QCOMPARE(shown.panel.translucent(), compositor);
            const QRegion mask = shown.panel.mask();
            QCOMPARE(mask.isEmpty(), compositor);
            for (const QPoint corner : {QPoint(0, 0), QPoint(299, 119), QPoint(1, 1)})
                QVERIFY(!mask.contains(corner));
            for (const QPoint inside : {QPoint(150, 0), QPoint(299, 60), QPoint(3, 3)})
                QCOMPARE(mask.contains(inside), !compositor);
        }
    }
};

QTEST_MAIN(TestStrip)
#include "test_strip.moc"
