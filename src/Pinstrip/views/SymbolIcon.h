#pragma once

#include <QColor>
#include <QFont>
#include <QQuickItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QPainter;

// A small vector symbol drawn in `color` inside a square of `size`; `weight` thickens the
// strokes like a font weight. Names: "circle", "circle.lefthalf.filled",
// "checkmark.circle.fill", "plus", "archivebox", "chevron.up", "xmark". `cutout` is the colour
// of the check cut out of the filled circle: what lies behind the symbol.
// Drawn with a painter straight into the software scene graph's frame, as a path item would be,
// without loading the shapes module and its plugin for a few strokes.
class SymbolIcon : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY appearanceChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY appearanceChanged)
    Q_PROPERTY(QColor cutout READ cutout WRITE setCutout NOTIFY appearanceChanged)
    Q_PROPERTY(qreal size READ size WRITE setSize NOTIFY appearanceChanged)
    Q_PROPERTY(int weight READ weight WRITE setWeight NOTIFY appearanceChanged)

public:
    explicit SymbolIcon(QQuickItem* parent = nullptr);

    [[nodiscard]] QString name() const { return m_name; }
    void setName(const QString& name);
    [[nodiscard]] QColor color() const { return m_color; }
    void setColor(const QColor& color);
    [[nodiscard]] QColor cutout() const { return m_cutout; }
    void setCutout(const QColor& cutout);
    [[nodiscard]] qreal size() const { return m_size; }
    void setSize(qreal size);
    [[nodiscard]] int weight() const { return m_weight; }
    void setWeight(int weight);

    // Draws the symbol with its top-left corner at the painter's origin.
    void paint(QPainter& painter) const;

signals:
    void appearanceChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* node, UpdatePaintNodeData* data) override;

private:
    template <typename T> void assign(T& member, const T& value);

    QString m_name;
    QColor m_color = Qt::black;
    QColor m_cutout = Qt::white;
    qreal m_size = 12;
    int m_weight = QFont::Normal;
};
