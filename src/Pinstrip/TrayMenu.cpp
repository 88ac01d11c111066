#include "TrayMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

void TrayMenu::fill(QMenu& menu, const State& state, const std::function<void(Command)>& run) {
    menu.clear();
    const auto add = [&](const QString& title, Command command) {
        // A lone '&' would mark a mnemonic and vanish from the title.
        QAction* action =
            menu.addAction(QString(title).replace(QLatin1Char('&'), QLatin1String("&&")));
        QObject::connect(action, &QAction::triggered, &menu, [run, command] { run(command); });
        return action;
    };
    const bool needsPermission =
        state.doubleTapEnabled && !(state.monitorExists && state.monitorActive);

    add(state.panelVisible ? QStringLiteral("Hide Strip") : QStringLiteral("Show Strip"),
        Command::toggle);
    add(QStringLiteral("Add Item (\u2303\u2325T)"), Command::pick);
    add(QStringLiteral("Archive All & Start Fresh"), Command::archive);
    add(QStringLiteral("Archive\u2026"), Command::history);
    menu.addSeparator();
    add(QStringLiteral("Reset Position"), Command::resetPosition);
    QAction* doubleTap =
        add(needsPermission ? doubleTapNeedsTitle : doubleTapTitle, Command::toggleDoubleTap);
    doubleTap->setCheckable(true);
    doubleTap->setChecked(state.doubleTapEnabled);
    if (needsPermission)
        add(QStringLiteral("Open Accessibility Settings\u2026"), Command::openAccessibility);
    QAction* login = add(QStringLiteral("Launch at Login"), Command::toggleLogin);
    login->setCheckable(true);
    login->setChecked(state.loginEnabled);
    menu.addSeparator();
    add(QStringLiteral("Check for Updates\u2026"), Command::checkUpdates);
    add(QStringLiteral("About Pinstrip"), Command::about);
    add(QStringLiteral("Quit Pinstrip"), Command::quit)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}
