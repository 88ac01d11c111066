#include "TrayMenu.h"

#include <QAction>
#include <QApplication>
#include <QTest>

namespace {

const QString separator = QStringLiteral("-");

QStringList titles(const QMenu& menu) {
    QStringList list;
    for (const QAction* action : menu.actions())
        list << (action->isSeparator()
                     ? separator
                     : QString(action->text()).replace(QLatin1String("&&"), QLatin1String("&")));
    return list;
}

const QAction* entry(const QMenu& menu, const QString& prefix) {
    for (const QAction* action : menu.actions()) {
        if (action->text().startsWith(prefix))
            return action;
    }
    return nullptr;
}

QStringList expectedTitles(bool visible, const QString& doubleTap, bool settingsEntry) {
    QStringList list{visible ? QStringLiteral("Hide Strip") : QStringLiteral("Show Strip"),
                     QStringLiteral("Add Item (⌃⌥T)"),
                     QStringLiteral("Archive All & Start Fresh"),
                     QStringLiteral("Archive…"),
                     separator,
                     QStringLiteral("Reset Position"),
                     doubleTap};
    if (settingsEntry)
        list << QStringLiteral("Open Accessibility Settings…");
    list << QStringLiteral("Launch at Login") << separator << QStringLiteral("Check for Updates…")
         << QStringLiteral("About Pinstrip") << QStringLiteral("Quit Pinstrip");
    return list;
}

} // namespace

class TrayMenuTest : public QObject {
    Q_OBJECT

private slots:
    void titlesFollowState_data() {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("doubleTap");
        QTest::addColumn<bool>("monitorExists");
        QTest::addColumn<bool>("monitorActive");
        QTest::addColumn<bool>("login");
        QTest::addColumn<QStringList>("expected");

        const QString plain = QStringLiteral("Summon on Double-⌥");
        const QString needs = QStringLiteral("Summon on Double-⌥ — needs Accessibility");
        QTest::newRow("first run, monitor waiting")
            << true << true << true << false << false << expectedTitles(true, needs, true);
        QTest::newRow("monitor active")
            << true << true << true << true << false << expectedTitles(true, plain, false);
        QTest::newRow("no monitor yet")
            << true << true << false << false << false << expectedTitles(true, needs, true);
        QTest::newRow("switched off, monitor active")
            << true << false << true << true << false << expectedTitles(true, plain, false);
        QTest::newRow("switched off, monitor waiting")
            << true << false << true << false << false << expectedTitles(true, plain, false);
        QTest::newRow("switched off, no monitor")
            << true << false << false << false << false << expectedTitles(true, plain, false);
        QTest::newRow("hidden, login on")
            << false << true << true << true << true << expectedTitles(false, plain, false);
    }

    void titlesFollowState() {
        QFETCH(bool, visible);
        QFETCH(bool, doubleTap);
        QFETCH(bool, monitorExists);
        QFETCH(bool, monitorActive);
        QFETCH(bool, login);
        QFETCH(QStringList, expected);

        TrayMenu menu;
        menu.fill({visible, doubleTap, monitorExists, monitorActive, login},
                  [](TrayMenu::Command) {});
        QCOMPARE(titles(menu), expected);

        const QAction* summon = entry(menu, QStringLiteral("Summon on Double-"));
        QVERIFY(summon->isCheckable());
        QCOMPARE(summon->isChecked(), doubleTap);
        const QAction* launch = entry(menu, QStringLiteral("Launch at Login"));
        QVERIFY(launch->isCheckable());
        QCOMPARE(launch->isChecked(), login);
        for (const QAction* action : menu.actions()) {
            QVERIFY(action->isEnabled());
            if (action != summon && action != launch)
                QVERIFY2(!action->isCheckable(), qPrintable(action->text()));
        }
    }

    void refillReplacesEntries() {
        TrayMenu menu;
        menu.fill({true, true, true, false, false}, [](TrayMenu::Command) {});
        menu.fill({false, true, true, true, false}, [](TrayMenu::Command) {});
        QCOMPARE(titles(menu), expectedTitles(false, QStringLiteral("Summon on Double-⌥"), false));
    }

    void entriesRunTheirCommands() {
        using Command = TrayMenu::Command;
        TrayMenu menu;
        QList<Command> ran;
        menu.fill({true, true, true, false, true}, [&ran](Command command) { ran << command; });
        for (QAction* action : menu.actions()) {
            if (!action->isSeparator())
                action->trigger();
        }
        const QList<Command> expected{Command::toggle,
                                      Command::pick,
                                      Command::archive,
                                      Command::history,
                                      Command::resetPosition,
                                      Command::toggleDoubleTap,
                                      Command::openAccessibility,
                                      Command::toggleLogin,
                                      Command::checkUpdates,
                                      Command::about,
                                      Command::quit};
        QCOMPARE(ran, expected);
    }

    void quitAnswersControlQWhileOpen() {
        TrayMenu menu;
        QList<TrayMenu::Command> ran;
        menu.fill({true, false, true, true, false},
                  [&ran](TrayMenu::Command command) { ran << command; });
        menu.popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        QTest::keyClick(&menu, Qt::Key_Q, Qt::ControlModifier);
        QTRY_COMPARE(ran, QList<TrayMenu::Command>{TrayMenu::Command::quit});
    }
};

QTEST_MAIN(TrayMenuTest)
#include "test_tray_menu.moc"
