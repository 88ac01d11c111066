#include "AboutBox.h"
#include "AppDelegate.h"
#include "Preferences.h"
#include "SingleInstance.h"
#include "StateFile.h"
#include "StatusItem.h"
#include "StripPanel.h"
#include "TodoStore.h"
#include "platform/WindowSystem.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

namespace {

// A 1440 × 900 primary screen with a 25 px panel along its top, and a 1920 × 1080 one on its left.
const StripPanel::Screen laptop{"LEFT", QRect(0, 0, 1440, 900), QRect(0, 25, 1440, 875)};
const StripPanel::Screen tv{"TV", QRect(-1920, -180, 1920, 1080), QRect(-1920, -180, 1920, 1080)};

// Counts what the strip asks of the window system.
struct QuietWindowSystem : WindowSystem {
    explicit QuietWindowSystem(bool compositor) : compositor(compositor) {}
    void prepareFloating(QWindow&) override { floating << "prepare"; }
    void keepFloating(const QWindow&) override { floating << "keep"; }
    [[nodiscard]] bool compositorActive() const override { return compositor; }
    void watchCompositor(std::function<void(bool)> changed) override {
        compositorChanged = std::move(changed);
    }
    void setBlurBehind(QWindow&, const QRegion& region) override { blur = region; }
    void rememberActiveWindow(const QWindow&) override {}
    void handBackKeyboard(const QWindow&) override {}
    bool compositor;
    std::function<void(bool)> compositorChanged;
    QStringList floating;
    QRegion blur;
};

void fitTo(QQuickItem* item, QSizeF size) {
    item->setImplicitWidth(size.width());
    item->setImplicitHeight(size.height());
}

// A panel on screens a test may change, whose content has that fitting size and a height
// limit to fill in.
struct Shown {
    explicit Shown(QSizeF size, QList<StripPanel::Screen> screens = {laptop},
                   bool compositor = true)
        : screens(std::move(screens)), windowSystem(compositor),
          panel(windowSystem, preferences, [this] { return this->screens; }) {
        auto content = std::make_unique<QQuickItem>();
        content->setProperty("maxHeight", 0);
        content->setProperty("surfaceOpacity", 1.0);
        fitTo(content.get(), size);
        panel.setContent(std::move(content));
    }
    bool present() {
        panel.relayout();
        panel.present();
        return QTest::qWaitForWindowExposed(&panel);
    }
    [[nodiscard]] QString place() const { return preferences.place().value_or(QString()); }
    QList<StripPanel::Screen> screens;
    Preferences preferences;
    QuietWindowSystem windowSystem;
    StripPanel panel;
};

QString settingsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Pinstrip/Pinstrip.conf";
}

// The tray menu's shown entry whose title starts so, as a host that never announces its
// opening reads it.
QAction* entry(const AppDelegate& delegate, const QString& prefix) {
    for (QAction* action : delegate.statusItem()->menu().actions()) {
        if (action->isVisible() && action->text().startsWith(prefix))
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
        return std::make_unique<AppDelegate>(
            AppDelegate::Environment{[] { return QList{laptop}; }, [this] { return m_tray; },
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
        QCOMPARE(delegate->panel()->isVisible(), shown);
        QCOMPARE(
            QSettings(settingsPath(), QSettings::IniFormat).value(Preferences::visibleKey).toBool(),
            shown);
        if (!shown)
            return;
        QTRY_COMPARE(delegate->panel()->geometry().topRight(), QPoint(1423, 79));
        const QRect before = delegate->panel()->geometry();
        QVERIFY(!delegate->panel()->allowKey());
        delegate->store()->add("Write the report");
        delegate->store()->add("Call the plumber");
        QTRY_VERIFY(delegate->panel()->geometry().height() > before.height());
        QCOMPARE(delegate->panel()->geometry().topRight(), before.topRight());
        QVERIFY(!Preferences().place());
    }

    // A window manager may map the strip elsewhere or not at all: the tray icon comes anyway.
    void trayIconWithoutAFrame() {
        auto delegate = make();
        QVERIFY(delegate->applicationDidFinishLaunching());
        delegate->panel()->hide();
        QTRY_VERIFY(delegate->statusItem()->shown());
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

    // Summoning always ends shown, expanded and typing, and asks for the keyboard every time:
    // an open input row may have lost it to a click into another window.
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
        QCOMPARE(hook, QList<bool>{true});
        QVERIFY(delegate->panel()->allowKey());
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

    // The menu is current whenever it is read, also for changes made elsewhere, and its
    // entries drive the delegate.
    void menuDrivesDelegate() {
        auto delegate = launched();
        QVERIFY(delegate);
        QVERIFY(entry(*delegate, "Open Accessibility Settings"));
        entry(*delegate, "Hide Strip")->trigger();
        QVERIFY(!delegate->panel()->isVisible());
        delegate->hotkeyPressed();
        QVERIFY(entry(*delegate, "Hide Strip"));
        delegate->togglePanel();
        QVERIFY(entry(*delegate, "Show Strip"));
        entry(*delegate, "Summon on Double-")->trigger();
        QVERIFY(!Preferences().doubleTapEnabled());
        QVERIFY(!entry(*delegate, "Summon on Double-")->isChecked());
        QVERIFY(!entry(*delegate, "Open Accessibility Settings"));
        entry(*delegate, "Launch at Login")->trigger();
        QVERIFY(entry(*delegate, "Launch at Login")->isChecked());
        QVERIFY(QFile::exists(m_autostart.filePath("io.github.pinstrip.pinstrip.desktop")));
        entry(*delegate, "Add Item")->trigger();
        QVERIFY(delegate->panel()->isVisible() && delegate->store()->inputActive());
    }

    // Message boxes leave the strip and the tray working: none is modal, and asking again for
    // an open one brings that one forward instead of stacking another. Keys have Linux names.
    void dialogsAreModeless() {
        auto delegate = launched();
        QVERIFY(delegate);
        // Should a box run its own event loop, this ends it, and the checks below fail.
        QTimer::singleShot(5000, qApp, &QApplication::closeAllWindows);
        const auto boxes = [] {
            QList<QMessageBox*> open;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
                    open << box;
            }
            return open;
        };
        for (int round = 0; round < 2; ++round) {
            delegate->menuAbout();
            delegate->menuOpenAccessibility();
            delegate->menuCheckUpdates();
        }
        QCOMPARE(boxes().size(), 3);
        QVERIFY(!QApplication::activeModalWidget());
        QString texts;
        for (const QMessageBox* box : boxes()) {
            if (!qobject_cast<const AboutBox*>(box))
                texts += box->text() + box->informativeText();
        }
        QVERIFY2(texts.contains("Ctrl+Alt+T") && !texts.contains(QChar(0x2325)), qPrintable(texts));
        delegate->togglePanel();
        QVERIFY(!delegate->panel()->isVisible());
        QApplication::closeAllWindows();
    }

    // The top-right corner sits at the stored place on its screen (Qt's coordinates here),
    // pulled inside the work area and whole pixels; placing it stores nothing.
    void placesTopRightCorner_data() {
        QTest::addColumn<QString>("place"); // empty: none stored
        QTest::addColumn<QSizeF>("content");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("default corner") << "" << QSizeF(300, 120) << QRect(1124, 79, 300, 120);
        QTest::newRow("pulled back inside")
            << "{60, 25} LEFT" << QSizeF(300, 120) << QRect(1140, 25, 300, 120);
        QTest::newRow("taller than the work area")
            << "" << QSizeF(300, 1000) << QRect(1124, -100, 300, 1000);
        QTest::newRow("half-pixel size keeps the corner")
            << "{-440, -375} LEFT" << QSizeF(87.5, 28.5) << QRect(912, 400, 88, 29);
        QTest::newRow("on the other screen, above the primary's top")
            << "{-100, -50} TV" << QSizeF(300, 120) << QRect(-400, -130, 300, 120);
    }
    void placesTopRightCorner() {
        QFETCH(QString, place);
        QFETCH(QSizeF, content);
        QFETCH(QRect, expected);
        Shown shown(content, {laptop, tv});
        if (!place.isEmpty())
            shown.preferences.setPlace(place);
        QVERIFY(shown.present());
        QTRY_COMPARE(shown.panel.geometry(), expected);
        for (int again = 0; again < 3; ++again)
            shown.panel.relayout();
        QCOMPARE(shown.panel.geometry(), expected);
        QCOMPARE(shown.place(), place);
        QCOMPARE(shown.panel.content()->size(), QSizeF(expected.size()));
        QCOMPARE(shown.panel.content()->property("maxHeight").toInt(),
                 place.endsWith("TV") ? 1080 : 875);
    }

    // Only the user's move stores a place: on the screen it was put on, which keeps it through
    // a changed primary and while it is unplugged. A corner kept by earlier versions becomes a
    // place on the primary. What a relayout shows is clamped, the place stays.
    void placeFollowsTheUser() {
        QSettings("Pinstrip", "Pinstrip").setValue(Preferences::anchorKey, "{1300, 700}");
        Shown shown({300, 120}, {laptop, tv});
        QVERIFY(shown.present());
        const QRect home(1000, 200, 300, 120);
        QTRY_COMPARE(shown.panel.geometry(), home);
        QCOMPARE(shown.place(), "{-140, -175} LEFT");
        fitTo(shown.panel.content(), {300, 1000});
        QTRY_COMPARE(shown.panel.geometry(), QRect(1000, -100, 300, 1000));
        fitTo(shown.panel.content(), {300, 120});
        QTRY_COMPARE(shown.panel.geometry(), home);

        shown.panel.setPosition(-700, 100);
        QTRY_COMPARE(shown.place(), "{-400, -280} TV");
        const QRect onTv(-700, 100, 300, 120);
        for (const auto& screens : {QList{tv, laptop}, QList{laptop}, QList{laptop, tv}}) {
            shown.screens = screens;
            if (!screens.contains(tv)) // the window manager's move off an unplugged screen
                shown.panel.setPosition(0, 0);
            QCoreApplication::processEvents();
            shown.panel.relayout();
            QTRY_COMPARE(shown.panel.geometry(),
                         screens.contains(tv) ? onTv : QRect(740, 305, 300, 120));
            QCOMPARE(shown.place(), "{-400, -280} TV");
        }

        shown.panel.resetPosition();
        QVERIFY(!shown.preferences.place() && !shown.preferences.anchor());
        QTRY_COMPARE(shown.panel.geometry(), QRect(1124, 79, 300, 120));
        shown.screens = {tv, laptop};
        shown.panel.relayout();
        QTRY_COMPARE(shown.panel.geometry(), QRect(-316, -126, 300, 120));
        QVERIFY(!shown.preferences.place());
    }

    // Content that settles its size late still lands on the default corner; tiny content keeps
    // the frame it has.
    void contentSizedLateOrTiny() {
        Shown shown({0, 0});
        QVERIFY(shown.present());
        fitTo(shown.panel.content(), {300, 200});
        QTRY_COMPARE(shown.panel.geometry(), QRect(1124, 79, 300, 200));
        for (const QSizeF tiny : {QSizeF(10, 120), QSizeF(300, 10), QSizeF()}) {
            fitTo(shown.panel.content(), tiny);
            shown.panel.relayout();
            QCOMPARE(shown.panel.geometry(), QRect(1124, 79, 300, 200));
        }
    }

    // A reset of a hidden strip moves it to the default corner without showing it or giving it
    // the keyboard.
    void resetWhileHiddenDoesNotShow() {
        Preferences().setVisible(false);
        Preferences().setPlace("{-300, -500} LEFT");
        auto delegate = launched();
        QVERIFY(delegate);
        entry(*delegate, "Reset Position")->trigger();
        QVERIFY(!delegate->panel()->isVisible() && !delegate->panel()->allowKey());
        QCOMPARE(delegate->panel()->geometry().topRight(), QPoint(1423, 79));
        QVERIFY(!Preferences().place());
    }

    // The window manager gets the floating hints before every map and is asked for them again
    // after it, since window managers drop them on unmap.
    void floatingHintsOnEveryShow() {
        Shown shown({300, 120});
        for (int round = 0; round < 3; ++round) {
            QVERIFY(shown.present());
            shown.panel.hide();
        }
        QCOMPARE(shown.windowSystem.floating.join(' '), "prepare keep prepare keep prepare keep");
    }

    // With a compositor the surface is translucent and the blur behind it follows its rounded
    // shape; without one the corners, which would show black, are cut away instead. The strip
    // follows a compositor that starts or stops while it runs.
    void surfaceFollowsCompositor() {
        Shown shown({300, 120}, {laptop}, true);
        QVERIFY(shown.present());
        QTRY_COMPARE(shown.panel.size(), QSize(300, 120));
        for (const bool compositor : {true, false, true}) {
            shown.windowSystem.compositorChanged(compositor);
            const double opacity = shown.panel.content()->property("surfaceOpacity").toDouble();
            QVERIFY(compositor ? opacity > 0.5 && opacity < 0.95 : opacity == 1);
            QCOMPARE(shown.panel.color().alpha(), compositor ? 0 : 255);
            const QRegion mask = shown.panel.mask(), blur = shown.windowSystem.blur;
            QCOMPARE(mask.isEmpty(), compositor);
            QCOMPARE(blur.isEmpty(), !compositor);
            const QRegion shape = compositor ? blur : mask;
            for (const QPoint corner : {QPoint(0, 0), QPoint(299, 119), QPoint(1, 1)})
                QVERIFY(!shape.contains(corner));
            for (const QPoint inside : {QPoint(150, 0), QPoint(299, 60), QPoint(3, 3)})
                QVERIFY(shape.contains(inside));
        }
    }
};

QTEST_MAIN(TestStrip)
#include "test_strip.moc"
