#include "TrayMenu.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>

namespace {

const QKeySequence quitKey(Qt::CTRL | Qt::Key_Q);

} // namespace

void TrayMenu::fill(const State& state, const std::function<void(Command)>& run) {
    clear();
    const auto add = [&](const QString& title, Command command) {
        // A lone '&' would mark a mnemonic and vanish from the title.
        QAction* action = addAction(QString(title).replace(QLatin1Char('&'), QLatin1String("&&")));
        connect(action, &QAction::triggered, this, [run, command] { run(command); });
        return action;
    };
    const bool needsPermission =
        state.doubleTapEnabled && !(state.monitorExists && state.monitorActive);

    add(state.panelVisible ? QStringLiteral("Hide Strip") : QStringLiteral("Show Strip"),
        Command::toggle);
    add(QStringLiteral("Add Item (Ctrl+Alt+T)"), Command::pick);
    add(QStringLiteral("Archive All & Start Fresh"), Command::archive);
    add(QStringLiteral("Archive\u2026"), Command::history);
    addSeparator();
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
    addSeparator();
    add(QStringLiteral("Check for Updates\u2026"), Command::checkUpdates);
    add(QStringLiteral("About Pinstrip"), Command::about);
    m_quit = add(QStringLiteral("Quit Pinstrip"), Command::quit);
    m_quit->setShortcut(quitKey);
}

void TrayMenu::keyPressEvent(QKeyEvent* event) {
    if (m_quit && event->keyCombination() == quitKey[0]) {
        close();
        m_quit->trigger();
        return;
    }
    QMenu::keyPressEvent(event);
}
