#include "StatusItem.h"

#include "AppIcon.h"

#include <QSystemTrayIcon>

StatusItem::StatusItem(std::function<TrayMenu::State()> state,
                       std::function<void(TrayMenu::Command)> run, QObject* parent)
    : QObject(parent), m_state(std::move(state)), m_run(std::move(run)) {}

StatusItem::~StatusItem() = default;

TrayMenu& StatusItem::menu() {
    if (!m_menu) {
        m_menu = std::make_unique<TrayMenu>(m_run);
        m_menu->update(m_state());
        connect(m_menu.get(), &QMenu::aboutToShow, this, &StatusItem::refresh);
    }
    return *m_menu;
}

void StatusItem::refresh() {
    const TrayMenu::State state = m_state();
    if (m_menu)
        m_menu->update(state);
    if (m_tray)
        m_tray->setToolTip(toolTipFor(state.hotkey));
}

QString StatusItem::toolTipFor(const HotkeyStatus& hotkey) {
    using State = HotkeyStatus::State;
    if (hotkey.state == State::pending || hotkey.state == State::registered)
        return toolTip;
    return toolTip + QLatin1Char('\n') + hotkey.text(QStringLiteral("Ctrl+Alt+T"));
}

bool StatusItem::shown() const {
    return m_tray && m_tray->isVisible();
}

void StatusItem::show() {
    if (shown())
        return;
    if (!m_tray) {
        m_tray = std::make_unique<QSystemTrayIcon>();
        m_tray->setToolTip(toolTipFor(m_state().hotkey));
        m_tray->setContextMenu(&menu());
        connect(m_tray.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger)
                        emit clicked();
                });
    }
    m_tray->setIcon(AppIcon::glyph());
    m_tray->show();
}
