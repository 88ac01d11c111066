#include "StatusItem.h"

#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace {

// The ferry glyph from the colour emoji font, at the sizes tray hosts ask for.
QIcon glyphIcon() {
    QIcon icon;
    QFont font(QStringLiteral("Noto Color Emoji"));
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        font.setPixelSize(side * 7 / 8);
        painter.setFont(font);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("\u26F4"));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

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
    if (m_menu)
        m_menu->update(m_state());
}

bool StatusItem::shown() const {
    return m_tray && m_tray->isVisible();
}

void StatusItem::show() {
    if (shown())
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
    m_tray->setIcon(glyphIcon());
    m_tray->show();
}
