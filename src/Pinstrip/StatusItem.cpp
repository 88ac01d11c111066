#include "StatusItem.h"

#include "AppIcon.h"
#include "TrayMenu.h"

#include <QSystemTrayIcon>

StatusItem::StatusItem(std::function<void(TrayMenu&)> fillMenu, QObject* parent)
    : QObject(parent), m_fillMenu(std::move(fillMenu)) {}

StatusItem::~StatusItem() = default;

TrayMenu& StatusItem::menu() {
    if (!m_menu) {
        m_menu = std::make_unique<TrayMenu>();
        connect(m_menu.get(), &QMenu::aboutToShow, this, [this] { m_fillMenu(*m_menu); });
    }
    return *m_menu;
}

void StatusItem::show() {
    if (m_tray && m_tray->isVisible())
        return;
    if (!m_tray) {
        m_tray = std::make_unique<QSystemTrayIcon>();
        m_tray->setToolTip(toolTip);
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
