#include "AboutBox.h"
#include "AppDelegate.h"
#include "FallbackWindowSystem.h"
#include "Preferences.h"
#include "StateFile.h"
#include "StatusItem.h"
#include "StripPanel.h"
#include "TodoStore.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QQuickItem>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

namespace {

// A 1440 × 900 primary screen with a 25 px panel along its top, and a 1920 × 1080 one on its left.
const StripPanel::Screen laptop{"LEFT", QRect(0, 0, 1440, 900), QRect(0, 25, 1440, 875)};
const StripPanel::Screen tv{"TV", QRect(-1920, -180, 1920, 1080), QRect(-1920, -180, 1920, 1080)};

// Keeps what the strip asks of the window system about compositing.
struct QuietWindowSystem : FallbackWindowSystem {
    [[nodiscard]] bool compositorActive() const override { return compositor; }
    void watchCompositor(std::function<void(bool)> changed) override {
        compositorChanged = std::move(changed);
    }
    void setBlurBehind(QWindow&, const QRegion& region) override { blur = region; }
    bool compositor = true;
    std::function<void(bool)> compositorChanged;
    QRegion blur;
};

void fitTo(QQuickItem* item, QSizeF size) {
    item->setImplicitWidth(size.width());
    item->setImplicitHeight(size.height());
}

// A panel on screens a test may change; its content has that fitting size and a height limit.
struct Shown {
    explicit Shown(QSizeF size, QList<StripPanel::Screen> screens = {laptop})
        : screens(std::move(screens)),
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

} // namespace

class TestStrip : public QObject {
    Q_OBJECT

private:
    bool m_tray = true;
    QTemporaryDir m_autostart;

    // A launch that fails ends the run; `settle` handles the events it queued.
    std::unique_ptr<AppDelegate> launched(bool settle = true) {
        auto delegate = std::make_unique<AppDelegate>(
            AppDelegate::Environment{[] { return QList{laptop}; }, [this] { return m_tray; },
                                     LoginItem(m_autostart.path(), "pinstrip", [] {})});
        if (!delegate->applicationDidFinishLaunching())
            qFatal("the launch failed");
        if (settle)
            QCoreApplication::processEvents();
        return delegate;
    }

private slots:
    void init() {
        m_tray = true;
        QSettings("Pinstrip", "Pinstrip").clear();
        QDir(StateFile::defaultFolder()).removeRecursively();
    }

    // The first launch shows the strip; later ones follow the stored choice, but always show
    // without a tray. A window manager may map the strip elsewhere or not at all: the tray icon
    // comes anyway. Summoning ends shown, expanded and typing, and asks for the keyboard every
    // time: an open input row may have lost it to a click into another window. Toggling hides or
    // shows and remembers which, leaving the list alone; the strip accepts the keyboard exactly
    // while its input row is open.
    void launchSummonToggle_data() {
        QTest::addColumn<QString>("row"); // stored choice, tray host, shown; the list when summoned
        QTest::newRow("never chosen") << "- tray shown; expanded";
        QTest::newRow("left shown") << "shown tray shown; collapsed";
        QTest::newRow("left shown, typing") << "shown tray shown; collapsed typing";
        QTest::newRow("left hidden") << "hidden tray hidden; collapsed";
        QTest::newRow("left hidden, no tray host") << "hidden none shown; typing";
    }
    void launchSummonToggle() {
        QFETCH(QString, row);
        const bool shown = row.section(';', 0, 0).endsWith("shown");
        if (!row.startsWith('-'))
            Preferences().setVisible(row.startsWith("shown"));
        m_tray = row.contains("tray");
        auto delegate = launched(false);
        StripPanel* panel = delegate->panel();
        TodoStore* store = delegate->store();
        QVERIFY(panel->isVisible() == shown && Preferences().visible() == shown);
        panel->hide();
        QTRY_VERIFY(delegate->statusItem()->shown());
        store->setCollapsed(row.contains("collapsed"));
        store->setInputActive(row.contains("typing"));
        delegate->hotkeyPressed();
        QVERIFY(panel->isVisible() && Preferences().visible());
        QVERIFY(!store->collapsed() && store->inputActive() && panel->allowKey());
        store->setCollapsed(true);
        for (const bool visible : {false, true, false}) {
            delegate->togglePanel();
            QVERIFY(panel->isVisible() == visible && Preferences().visible() == visible);
            QVERIFY(store->collapsed() && store->inputActive() != visible);
            store->userSetInputActive(visible);
            QVERIFY(panel->allowKey() == visible &&
                    panel->flags().testFlag(Qt::WindowDoesNotAcceptFocus) != visible);
        }
    }

    // A reset of the hidden strip moves it to the default corner without showing it or giving
    // it the keyboard; the login entry is reached through the menu.
    void menuDrivesDelegate() {
        Preferences().setPlace("{-300, -500} LEFT");
        Preferences().setVisible(false);
        auto delegate = launched();
        for (const QString title : {"Reset Position", "Launch at Login"})
            for (QAction* action : delegate->statusItem()->menu().actions())
                if (action->text() == title)
                    action->trigger();
        QVERIFY(!delegate->panel()->isVisible() && !delegate->panel()->allowKey());
        QCOMPARE(delegate->panel()->geometry().topRight(), QPoint(1423, 79));
        QVERIFY(!Preferences().place());
        QVERIFY(QFile::exists(m_autostart.filePath("io.github.pinstrip.pinstrip.desktop")));
    }

    // Message boxes are modeless and one of each kind (asked again, raised); keys have Linux names.
    void dialogsAreModeless() {
        auto delegate = launched();
        // Should a box run its own event loop, this ends it, and the checks below fail.
        QTimer::singleShot(5000, qApp, &QApplication::closeAllWindows);
        for (int round = 0; round < 2; ++round) {
            delegate->menuAbout();
            delegate->menuOpenAccessibility();
            delegate->menuCheckUpdates();
        }
        QString texts;
        int open = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            open += box && box->isVisible();
            if (box && box->isVisible() && !qobject_cast<AboutBox*>(box))
                texts += box->text() + box->informativeText();
        }
        QCOMPARE(open, 3);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY2(texts.contains("Ctrl+Alt+T") && !texts.contains(QChar(0x2325)), qPrintable(texts));
        delegate->togglePanel();
        QVERIFY(!delegate->panel()->isVisible());
        QApplication::closeAllWindows();
    }

    // Only the user's move stores a place, on its screen, kept while the screens change; an old
    // corner becomes a place on the primary. Shown: whole pixels, the content's late size.
    void placeFollowsTheUser() {
        QSettings("Pinstrip", "Pinstrip").setValue(Preferences::anchorKey, "{1300, 700}");
        Shown shown({0, 0}, {laptop, tv});
        QVERIFY(shown.present());
        fitTo(shown.panel.content(), {87.5, 28.5});
        QTRY_COMPARE(shown.panel.geometry(), QRect(1212, 200, 88, 29));
        fitTo(shown.panel.content(), {300, 120});
        QTRY_COMPARE(shown.panel.geometry(), QRect(1000, 200, 300, 120));
        QCOMPARE(shown.place(), "{-140, -175} LEFT");

        shown.panel.setPosition(-700, 100);
        QTRY_COMPARE(shown.place(), "{-400, -280} TV");
        for (const auto& screens : {QList{tv, laptop}, QList{laptop}, QList{laptop, tv}}) {
            shown.screens = screens;
            if (!screens.contains(tv)) // the window manager's move off an unplugged screen
                shown.panel.setPosition(0, 0);
            QCoreApplication::processEvents();
            shown.panel.relayout();
            QTRY_COMPARE(shown.panel.geometry().topLeft(),
                         screens.contains(tv) ? QPoint(-700, 100) : QPoint(740, 305));
            QCOMPARE(shown.panel.content()->property("maxHeight").toInt(),
                     screens.contains(tv) ? 1080 : 875);
            QCOMPARE(shown.place(), "{-400, -280} TV");
        }
    }

    // With a compositor the surface is translucent and the blur behind it follows its rounded
    // shape; without one the corners, which would show black, are cut away instead. The strip
    // follows a compositor that starts or stops while it runs.
    void surfaceFollowsCompositor() {
        Shown shown({300, 120});
        QVERIFY(shown.present());
        QTRY_COMPARE(shown.panel.size(), QSize(300, 120));
        for (const bool compositor : {true, false, true}) {
            shown.windowSystem.compositorChanged(compositor);
            const double opacity = shown.panel.content()->property("surfaceOpacity").toDouble();
            QVERIFY(compositor ? opacity > 0.5 && opacity < 0.95 : opacity == 1);
            QCOMPARE(shown.panel.color().alpha(), compositor ? 0 : 255);
            const QRegion mask = shown.panel.mask(), blur = shown.windowSystem.blur;
            QVERIFY(mask.isEmpty() == compositor && blur.isEmpty() == !compositor);
            const QRegion shape = compositor ? blur : mask;
            QVERIFY(!shape.contains(QPoint(0, 0)) && !shape.contains(QPoint(299, 119)) &&
                    !shape.contains(QPoint(1, 1)));
            QVERIFY(shape.contains(QPoint(150, 0)) && shape.contains(QPoint(299, 60)) &&
                    shape.contains(QPoint(3, 3)));
        }
    }
};

QTEST_MAIN(TestStrip)
#include "test_strip.moc"
