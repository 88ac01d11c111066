#include "TrayMenu.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>

namespace {

const QKeySequence quitKey(Qt::CTRL | Qt::Key_Q);

} // namespace

TrayMenu::TrayMenu(const std::function<void(Command)>& run, QWidget* parent) : QMenu(parent) {
    const auto add = [&](const QString& title, Command command) {
        // A lone '&' would mark a mnemonic and vanish from the title.
        QAction* action = addAction(QString(title).replace(QLatin1Char('&'), QLatin1String("&&")));
        connect(action, &QAction::triggered, this, [run, command] { run(command); });
        m_actions.at(static_cast<std::size_t>(command)) = action;
    };
    add(QStringLiteral("Hide Strip"), Command::toggle);
    add(pickTitle({}), Command::pick);
    add(QStringLiteral("Archive All & Start Fresh"), Command::archive);
    add(QStringLiteral("Archive\u2026"), Command::history);
    addSeparator();
    add(QStringLiteral("Reset Position"), Command::resetPosition);
    add(doubleTapTitle, Command::toggleDoubleTap);
    add(QStringLiteral("Open Accessibility Settings\u2026"), Command::openAccessibility);
    add(QStringLiteral("Launch at Login"), Command::toggleLogin);
    addSeparator();
    add(QStringLiteral("Check for Updates\u2026"), Command::checkUpdates);
    add(QStringLiteral("About Pinstrip"), Command::about);
    add(QStringLiteral("Quit Pinstrip"), Command::quit);
    action(Command::toggleDoubleTap)->setCheckable(true);
    action(Command::toggleLogin)->setCheckable(true);
    action(Command::quit)->setShortcut(quitKey);
    update(State{});
}

QAction* TrayMenu::action(Command command) const {
    return m_actions.at(static_cast<std::size_t>(command));
}

void TrayMenu::update(const State& state) {
    const bool needsPermission = state.doubleTapEnabled && !state.monitorActive;
    // Setting an unchanged value sends nothing to a tray host.
    action(Command::toggle)
        ->setText(state.panelVisible ? QStringLiteral("Hide Strip") : QStringLiteral("Show Strip"));
    action(Command::pick)->setText(pickTitle(state.hotkey));
    QAction* doubleTap = action(Command::toggleDoubleTap);
    doubleTap->setText(needsPermission ? doubleTapNeedsTitle : doubleTapTitle);
    doubleTap->setChecked(state.doubleTapEnabled);
    action(Command::openAccessibility)->setVisible(needsPermission);
    action(Command::toggleLogin)->setChecked(state.loginEnabled);
}

QString TrayMenu::pickTitle(const HotkeyStatus& hotkey) {
    using State = HotkeyStatus::State;
    const QString holder =
        hotkey.owner.isEmpty() ? QStringLiteral("another program") : hotkey.owner;
    switch (hotkey.state) {
    case State::unbound:
        if (hotkey.owner.isEmpty())
            return QStringLiteral("Add Item");
        [[fallthrough]];
    case State::desktopBinds:
    case State::taken:
        return QStringLiteral("Add Item (Ctrl+Alt+T belongs to %1)").arg(holder);
    case State::unavailable:
        return QStringLiteral("Add Item");
    case State::pending:
    case State::registered:
        break;
    }
    return QStringLiteral("Add Item (%1)")
        .arg(hotkey.key.isEmpty() ? QStringLiteral("Ctrl+Alt+T") : hotkey.key);
}

void TrayMenu::keyPressEvent(QKeyEvent* event) {
    if (event->keyCombination() == quitKey[0]) {
        close();
        action(Command::quit)->trigger();
        return;
    }
    QMenu::keyPressEvent(event);
}
