#include "NamedIconEngine.h"

NamedIconEngine::NamedIconEngine(QString name, QIcon pixmaps)
    : m_name(std::move(name)), m_pixmaps(std::move(pixmaps)) {}

void NamedIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                            QIcon::State state) {
    m_pixmaps.paint(painter, rect, Qt::AlignCenter, mode, state);
}

QSize NamedIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    return pixmap(size, mode, state).size();
}

// An engine works in device pixels: QIcon has already applied the screen's scale to `size`.
QPixmap NamedIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    return m_pixmaps.pixmap(size, 1.0, mode, state);
}

QList<QSize> NamedIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state) {
    return m_pixmaps.availableSizes(mode, state);
}

QString NamedIconEngine::iconName() {
    return m_name;
}

QIconEngine* NamedIconEngine::clone() const {
    return new NamedIconEngine(m_name, m_pixmaps);
}
