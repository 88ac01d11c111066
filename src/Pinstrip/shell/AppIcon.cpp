#include "AppIcon.h"

#include "NamedIconEngine.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

QIcon AppIcon::glyph() {
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
    return QIcon(new NamedIconEngine(QStringLiteral(PINSTRIP_APP_ID), icon));
}

QIcon AppIcon::icon() {
    const QIcon installed = QIcon::fromTheme(QStringLiteral(PINSTRIP_APP_ID));
    return installed.pixmap(32).isNull() ? glyph() : installed;
}
