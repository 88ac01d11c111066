#include "AppDelegate.h"
#include "DaylaStore.h"
#include "SingleInstance.h"
#include "StateFile.h"
#include "StatusItem.h"

#include <QAction>
#include <QDir>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

namespace {

const DaylaPanel::Screens laptop{QRect(0, 0, 1440, 900), QRect(0, 25, 1440, 875)};

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

class AppDelegateTest : public QObject {
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

    // The first launch shows the strip at the default corner without taking the keyboard and
    // grows it down from there; later launches follow the stored choice, except that without
    // a tray host the strip is always shown.
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
        QTRY_COMPARE(Preferences().anchor().value_or(QString()), "{1424, 867}");
        const QRect before = delegate->panel()->geometry();
        QCOMPARE(before.topRight(), QPoint(1423, 33));
        QCOMPARE(before.width(), 300);
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
        QTest::newRow("hidden") << false << false << false;
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
        DaylaStore* store = delegate->store();
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
    void toggle_data() {
        QTest::addColumn<bool>("visible");
        QTest::newRow("hide") << true;
        QTest::newRow("show") << false;
    }
    void toggle() {
        QFETCH(bool, visible);
        Preferences().setVisible(visible);
        auto delegate = launched();
        QVERIFY(delegate);
        DaylaPanel* panel = delegate->panel();
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

    // The menu reflects the delegate's state and its entries drive it.
    void menuDrivesDelegate() {
        auto delegate = launched();
        QVERIFY(delegate);
        entry(*delegate, "Hide Strip")->trigger();
        QVERIFY(!delegate->panel()->isVisible());
        QVERIFY(entry(*delegate, "Show Strip"));
        entry(*delegate, "Summon on Double-")->trigger();
        QVERIFY(!Preferences().doubleTapEnabled());
        QCOMPARE(entry(*delegate, "Summon on Double-")->text(), "Summon on Double-⌥");
        QVERIFY(!entry(*delegate, "Summon on Double-")->isChecked());
        QVERIFY(!entry(*delegate, "Open Accessibility"));
        entry(*delegate, "Launch at Login")->trigger();
        QVERIFY(entry(*delegate, "Launch at Login")->isChecked());
        QVERIFY(QFile::exists(m_autostart.filePath("pinstrip.desktop")));
        entry(*delegate, "Add Item")->trigger();
        QVERIFY(delegate->panel()->isVisible() && delegate->store()->inputActive());
    }
};

QTEST_MAIN(AppDelegateTest)
#include "test_app_delegate.moc"
