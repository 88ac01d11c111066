#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QString>

// An icon that carries the name icon themes know it by and draws its own pixmaps. A
// StatusNotifierItem host reads the name (Qt exports QIcon::name() as the item's IconName) and
// takes the theme's icon where one is installed; the pixmaps serve every other host.
class NamedIconEngine : public QIconEngine {
public:
    NamedIconEngine(QString name, QIcon pixmaps);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QString iconName() override;
    [[nodiscard]] QIconEngine* clone() const override;

private:
    QString m_name;
    QIcon m_pixmaps;
};
