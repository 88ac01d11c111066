#include "TrayMenu.h"

#include <QAction>
#include <QTest>

using Command = TrayMenu::Command;

namespace {

// Separators as "-"; "&&" (a literal '&' in a title) as it shows.
QString titles(const QMenu& menu) {
    QStringList list;
    for (const QAction* action : menu.actions())
        list << (action->isSeparator() ? "-" : QString(action->text()).replace("&&", "&"));
    return list.join('|');
}

} // namespace

Q_DECLARE_METATYPE(TrayMenu::State)

class TrayMenuTest : public QObject {
    Q_OBJECT

private slots:
    // The double-tap entry asks for raw input, and the settings entry appears, while double
    // tap is on but its monitor is missing or not active yet.
    void titlesFollowState_data() {
        QTest::addColumn<TrayMenu::State>("state");
        QTest::addColumn<QString>("summon");
        const QString plain = "Summon on Double-⌥|";
        const QString needs =
            "Summon on Double-⌥ — needs Accessibility|Open Accessibility Settings…|";
        using S = TrayMenu::State; // shown, double tap, monitor exists, monitor active, login
        // clang-format off
        QTest::newRow("first run, monitor waiting") << S{true, true, true, false, false} << needs;
        QTest::newRow("monitor active") << S{true, true, true, true, false} << plain;
        QTest::newRow("no monitor yet") << S{true, true, false, false, false} << needs;
        QTest::newRow("switched off, active") << S{true, false, true, true, false} << plain;
        QTest::newRow("switched off, waiting") << S{true, false, true, false, false} << plain;
        QTest::newRow("switched off, no monitor") << S{true, false, false, false, false} << plain;
        QTest::newRow("hidden, login on") << S{false, true, true, true, true} << plain;
        // clang-format on
    }
    void titlesFollowState() {
        QFETCH(TrayMenu::State, state);
        QFETCH(QString, summon);
        TrayMenu menu;
        // Each opening fills the menu afresh.
        menu.fill({!state.panelVisible, !state.doubleTapEnabled, false, false, true},
                  [](Command) {});
        menu.fill(state, [](Command) {});
        QCOMPARE(titles(menu),
                 (state.panelVisible ? "Hide" : "Show") +
                     QString(" Strip|Add Item (⌃⌥T)|Archive All & Start Fresh|Archive…|-|") +
                     "Reset Position|" + summon +
                     "Launch at Login|-|Check for Updates…|About Pinstrip|Quit Pinstrip");
        for (const QAction* action : menu.actions()) {
            QVERIFY(action->isEnabled());
            if (action->text().startsWith("Summon"))
                QVERIFY(action->isCheckable() && action->isChecked() == state.doubleTapEnabled);
            else if (action->text() == "Launch at Login")
                QVERIFY(action->isCheckable() && action->isChecked() == state.loginEnabled);
            else
                QVERIFY2(!action->isCheckable(), qPrintable(action->text()));
        }
    }

    void entriesRunTheirCommands() {
        TrayMenu menu;
        QList<Command> ran;
        menu.fill({true, true, true, false, true}, [&ran](Command command) { ran << command; });
        for (QAction* action : menu.actions())
            action->trigger();
        QCOMPARE(ran,
                 (QList<Command>{Command::toggle, Command::pick, Command::archive, Command::history,
                                 Command::resetPosition, Command::toggleDoubleTap,
                                 Command::openAccessibility, Command::toggleLogin,
                                 Command::checkUpdates, Command::about, Command::quit}));
    }

    void quitAnswersControlQWhileOpen() {
        TrayMenu menu;
        QList<Command> ran;
        menu.fill({true, false, true, true, false}, [&ran](Command command) { ran << command; });
        menu.popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        QTest::keyClick(&menu, Qt::Key_Q, Qt::ControlModifier);
        QTRY_COMPARE(ran, QList<Command>{Command::quit});
    }
};

QTEST_MAIN(TrayMenuTest)
#include "test_tray_menu.moc"
