#include "AppDelegate.h"
#include "DaylaStore.h"
#include "SingleInstance.h"
#include "StateFile.h"
#include "StatusItem.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
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
           QStringLiteral("/Pinstrip/Pinstrip.conf");
}

QStringList titles(const QMenu& menu) {
    QStringList list;
    for (const QAction* action : menu.actions())
        list << action->text();
    return list;
}

QAction* entry(const QMenu& menu, const QString& prefix) {
    for (QAction* action : menu.actions()) {
        if (action->text().startsWith(prefix))
            return action;
    }
    return nullptr;
}

TrayMenu& openMenu(const AppDelegate& delegate) {
    TrayMenu& menu = delegate.statusItem()->menu();
    emit menu.aboutToShow();
    return menu;
}

} // namespace

class AppDelegateTest : public QObject {
    Q_OBJECT

private:
    bool m_tray = true;
    int m_beeps = 0;
    QTemporaryDir m_autostart;

    std::unique_ptr<AppDelegate> make() {
        AppDelegate::Environment environment{
            [] { return std::optional(laptop); }, [this] { return m_tray; },
            LoginItem(m_autostart.path(), QStringLiteral("pinstrip"), [this] { ++m_beeps; })};
        return std::make_unique<AppDelegate>(std::move(environment));
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
        m_beeps = 0;
        QSettings(QStringLiteral("Pinstrip"), QStringLiteral("Pinstrip")).clear();
        QFile::remove(settingsPath());
        QDir(StateFile::defaultFolder()).removeRecursively();
    }

    void firstLaunchShowsStripAtDefaultCorner() {
        auto delegate = launched();
        QVERIFY(delegate);
        QTRY_VERIFY(delegate->panel()->isVisible());
        QVERIFY(Preferences().visible());
        QVERIFY(QSettings(settingsPath(), QSettings::IniFormat)
                    .value(Preferences::visibleKey)
                    .toBool());
        QTRY_COMPARE(Preferences().anchor().value_or(QString()), QStringLiteral("{1424, 867}"));
        const QRect frame = delegate->panel()->geometry();
        QCOMPARE(frame.x() + frame.width(), 1424);
        QCOMPARE(frame.y(), 33);
        QCOMPARE(frame.width(), 300);
        QVERIFY(!delegate->panel()->allowKey());
    }

    void secondCopyTouchesNothing() {
        SingleInstance first;
        QVERIFY(first.acquire());
        auto delegate = make();
        QVERIFY(!delegate->applicationDidFinishLaunching());
        QVERIFY(!delegate->store());
        QVERIFY(!delegate->panel());
        QVERIFY(!QFileInfo::exists(StateFile::defaultFolder()));
        QVERIFY(!QFileInfo::exists(settingsPath()));
    }

    void visibilityAtLaunch_data() {
        QTest::addColumn<QVariant>("stored"); // invalid: no value
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("shown");
        QTest::newRow("never chosen") << QVariant() << true << true;
        QTest::newRow("left shown") << QVariant(true) << true << true;
        QTest::newRow("left hidden") << QVariant(false) << true << false;
        QTest::newRow("left hidden, no tray host") << QVariant(false) << false << true;
    }

    void visibilityAtLaunch() {
        QFETCH(QVariant, stored);
        QFETCH(bool, tray);
        QFETCH(bool, shown);
        if (stored.isValid())
            Preferences().setVisible(stored.toBool());
        m_tray = tray;
        auto delegate = launched();
        QVERIFY(delegate);
        QTest::qWait(20);
        QCOMPARE(delegate->panel()->isVisible(), shown);
        QCOMPARE(Preferences().visible(), shown);
    }

    void summon_data() {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("collapsed");
        QTest::addColumn<bool>("inputActive");
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
        QFETCH(bool, inputActive);
        Preferences().setVisible(visible);
        auto delegate = launched();
        QVERIFY(delegate);
        DaylaStore* store = delegate->store();
        store->setCollapsed(collapsed);
        store->setInputActive(inputActive);
        QList<bool> hookCalls;
        const auto focusHandler = store->onInputActiveChanged;
        store->onInputActiveChanged = [&](bool active) {
            hookCalls << active;
            focusHandler(active);
        };

        delegate->hotkeyPressed();
        QVERIFY(delegate->panel()->isVisible());
        QVERIFY(Preferences().visible());
        QVERIFY(!store->collapsed());
        QVERIFY(store->inputActive());
        QCOMPARE(hookCalls, inputActive ? QList<bool>{} : QList<bool>{true});
        QCOMPARE(delegate->panel()->allowKey(), !inputActive);
    }

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
        DaylaStore* store = delegate->store();
        store->setCollapsed(true);
        store->userSetInputActive(true);
        QVERIFY(delegate->panel()->allowKey());

        delegate->togglePanel();
        QCOMPARE(delegate->panel()->isVisible(), !visible);
        QCOMPARE(Preferences().visible(), !visible);
        QVERIFY(store->collapsed());
        QVERIFY(store->inputActive());
        QVERIFY(delegate->panel()->allowKey());
    }

    void focusHandlerFollowsInputRow() {
        auto delegate = launched();
        QVERIFY(delegate);
        delegate->store()->userSetInputActive(true);
        QVERIFY(delegate->panel()->allowKey());
        QVERIFY(!delegate->panel()->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
        delegate->store()->userSetInputActive(false);
        QVERIFY(!delegate->panel()->allowKey());
        QVERIFY(delegate->panel()->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
    }

    void growsFromFixedCornerAsItemsArrive() {
        auto delegate = launched();
        QVERIFY(delegate);
        QTRY_COMPARE(Preferences().anchor().value_or(QString()), QStringLiteral("{1424, 867}"));
        const QRect before = delegate->panel()->geometry();
        delegate->store()->add(QStringLiteral("Write the report"));
        delegate->store()->add(QStringLiteral("Call the plumber"));
        QTRY_VERIFY(delegate->panel()->geometry().height() > before.height());
        QCOMPARE(delegate->panel()->geometry().topRight(), before.topRight());
        QCOMPARE(Preferences().anchor().value_or(QString()), QStringLiteral("{1424, 867}"));
    }

    void menuReflectsAndDrivesDelegate() {
        auto delegate = launched();
        QVERIFY(delegate);
        TrayMenu& menu = openMenu(*delegate);
        QCOMPARE(titles(menu).first(), QStringLiteral("Hide Strip"));
        entry(menu, QStringLiteral("Hide Strip"))->trigger();
        QVERIFY(!delegate->panel()->isVisible());
        QCOMPARE(titles(openMenu(*delegate)).first(), QStringLiteral("Show Strip"));

        entry(menu, QStringLiteral("Summon on Double-"))->trigger();
        QVERIFY(!Preferences().doubleTapEnabled());
        QAction* doubleTap = entry(openMenu(*delegate), QStringLiteral("Summon on Double-"));
        QCOMPARE(doubleTap->text(), QStringLiteral("Summon on Double-⌥"));
        QVERIFY(!doubleTap->isChecked());
        QVERIFY(!entry(menu, QStringLiteral("Open Accessibility")));

        entry(menu, QStringLiteral("Add Item"))->trigger();
        QVERIFY(delegate->panel()->isVisible());
        QVERIFY(delegate->store()->inputActive());
    }

    void failedLoginChangeOnlyBeeps() {
        auto delegate = launched();
        QVERIFY(delegate);
        QVERIFY(m_autostart.remove());
        QFile blocker(m_autostart.path());
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        QAction* login = entry(openMenu(*delegate), QStringLiteral("Launch at Login"));
        QVERIFY(!login->isChecked());
        login->trigger();
        QCOMPARE(m_beeps, 1);
        QVERIFY(!entry(openMenu(*delegate), QStringLiteral("Launch at Login"))->isChecked());
        QVERIFY(QFileInfo(m_autostart.path()).isFile());
        QFile::remove(m_autostart.path());
    }
};

QTEST_MAIN(AppDelegateTest)
#include "test_app_delegate.moc"
