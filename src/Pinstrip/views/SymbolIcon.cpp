#include "SymbolIcon.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGRenderNode>
#include <QSGRendererInterface>
#include <QSGTexture>
#include <cmath>
#include <memory>

namespace {

struct Stroke {
    QPainterPath path;
    QColor colour;
    qreal width = 0;
};

// Pen and brush as a path item sets them: round caps and joins, a miter limit of 2, and nothing
// drawn in a fully transparent colour.
void draw(QPainter& painter, const QPainterPath& path, const QColor& fill, const Stroke& stroke) {
    if (stroke.colour.alpha() != 0) {
        QPen pen(stroke.colour, stroke.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        pen.setMiterLimit(2);
        painter.setPen(pen);
    } else {
        painter.setPen(Qt::NoPen);
    }
    painter.setBrush(fill.alpha() != 0 ? QBrush(fill) : QBrush(Qt::NoBrush));
    painter.drawPath(path);
}

QPainterPath polyline(std::initializer_list<std::initializer_list<QPointF>> runs) {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const auto& run : runs) {
        auto point = run.begin();
        path.moveTo(*point);
        for (++point; point != run.end(); ++point)
            path.lineTo(*point);
    }
    return path;
}

// A whole circle from three o'clock, clockwise on screen, as an angle arc of 0 to 360 degrees.
QPainterPath fullCircle(qreal centre, qreal radius) {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const QRectF box(centre - radius, centre - radius, 2 * radius, 2 * radius);
    path.arcMoveTo(box, -0.0);
    path.arcTo(box, -0.0, -360);
    return path;
}

// Paints through the software renderer's own painter, at the item's place in the frame.
class PainterNode : public QSGRenderNode {
public:
    explicit PainterNode(const SymbolIcon* icon) : m_icon(icon) {}

    void render(const RenderState* state) override {
        QQuickWindow* window = m_icon->window();
        auto* painter = static_cast<QPainter*>(window->rendererInterface()->getResource(
            window, QSGRendererInterface::PainterResource));
        if (!painter)
            return;
        const QRegion* clip = state->clipRegion();
        if (clip && !clip->isEmpty())
            painter->setClipRegion(*clip, Qt::ReplaceClip);
        painter->setTransform(matrix()->toTransform());
        painter->setOpacity(inheritedOpacity());
        m_icon->paint(*painter);
    }
    [[nodiscard]] StateFlags changedStates() const override { return {}; }
    [[nodiscard]] RenderingFlags flags() const override { return BoundedRectRendering; }
    [[nodiscard]] QRectF rect() const override {
        const qreal margin = std::max<qreal>(1, m_icon->size());
        return QRectF(0, 0, m_icon->size(), m_icon->size())
            .adjusted(-margin, -margin, margin, margin);
    }

private:
    const SymbolIcon* m_icon;
};

} // namespace

SymbolIcon::SymbolIcon(QQuickItem* parent) : QQuickItem(parent) {
    setFlag(ItemHasContents);
    setImplicitSize(m_size, m_size);
    connect(this, &SymbolIcon::appearanceChanged, this, &QQuickItem::update);
}

template <typename T> void SymbolIcon::assign(T& member, const T& value) {
    if (member == value)
        return;
    member = value;
    emit appearanceChanged();
}

void SymbolIcon::setName(const QString& name) {
    assign(m_name, name);
}

void SymbolIcon::setColor(const QColor& color) {
    assign(m_color, color);
}

void SymbolIcon::setCutout(const QColor& cutout) {
    assign(m_cutout, cutout);
}

void SymbolIcon::setSize(qreal size) {
    assign(m_size, size);
    setImplicitSize(m_size, m_size);
}

void SymbolIcon::setWeight(int weight) {
    assign(m_weight, weight);
}

void SymbolIcon::paint(QPainter& painter) const {
    const qreal s = m_size;
    const qreal stroke = s * (m_weight >= QFont::Bold       ? 0.15
                              : m_weight >= QFont::DemiBold ? 0.125
                                                            : 0.095);
    const qreal radius = (s - stroke) / 2;
    const qreal c = s / 2;
    const Stroke line{{}, m_color, stroke};
    const Stroke none{{}, Qt::transparent, 0};
    painter.setRenderHint(QPainter::Antialiasing);

    if (m_name == QLatin1String("circle")) {
        draw(painter, fullCircle(c, radius), Qt::transparent, line);
    } else if (m_name == QLatin1String("circle.lefthalf.filled")) {
        QPainterPath half;
        half.setFillRule(Qt::OddEvenFill);
        half.moveTo(c, c - radius);
        half.arcTo(QRectF(c - radius, c - radius, 2 * radius, 2 * radius), 90, 180);
        half.lineTo(c, c - radius);
        draw(painter, half, m_color, none);
        draw(painter, fullCircle(c, radius), Qt::transparent, line);
    } else if (m_name == QLatin1String("checkmark.circle.fill")) {
        draw(painter, fullCircle(c, s / 2), m_color, none);
        draw(painter,
             polyline({{{s * 0.29, s * 0.52}, {s * 0.44, s * 0.67}, {s * 0.72, s * 0.36}}}),
             Qt::transparent, Stroke{{}, m_cutout, s * 0.12});
    } else if (m_name == QLatin1String("plus")) {
        draw(painter,
             polyline(
                 {{{c, stroke / 2}, {c, s - stroke / 2}}, {{stroke / 2, c}, {s - stroke / 2, c}}}),
             Qt::transparent, line);
    } else if (m_name == QLatin1String("archivebox")) {
        draw(painter,
             polyline({{{s * 0.06, s * 0.14},
                        {s * 0.94, s * 0.14},
                        {s * 0.94, s * 0.36},
                        {s * 0.06, s * 0.36},
                        {s * 0.06, s * 0.14}},
                       {{s * 0.14, s * 0.36},
                        {s * 0.14, s * 0.9},
                        {s * 0.86, s * 0.9},
                        {s * 0.86, s * 0.36}},
                       {{s * 0.38, s * 0.55}, {s * 0.62, s * 0.55}}}),
             Qt::transparent, line);
    } else if (m_name == QLatin1String("chevron.up")) {
        draw(painter, polyline({{{s * 0.12, s * 0.72}, {c, s * 0.3}, {s * 0.88, s * 0.72}}}),
             Qt::transparent, line);
    } else if (m_name == QLatin1String("xmark")) {
        draw(painter,
             polyline({{{s * 0.18, s * 0.18}, {s * 0.82, s * 0.82}},
                       {{s * 0.82, s * 0.18}, {s * 0.18, s * 0.82}}}),
             Qt::transparent, line);
    }
}

QSGNode* SymbolIcon::updatePaintNode(QSGNode* node, UpdatePaintNodeData*) {
    QQuickWindow* target = window();
    if (target->rendererInterface()->graphicsApi() == QSGRendererInterface::Software) {
        if (!node)
            node = new PainterNode(this);
        node->markDirty(QSGNode::DirtyMaterial);
        return node;
    }
    // Other scene graphs have no painter: the symbol goes up as a texture drawn once per change.
    delete node;
    const qreal ratio = target->effectiveDevicePixelRatio();
    const int side = std::max(1, static_cast<int>(std::ceil(m_size * ratio)));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter);
    painter.end();
    QSGImageNode* imageNode = target->createImageNode();
    imageNode->setTexture(target->createTextureFromImage(image));
    imageNode->setOwnsTexture(true);
    imageNode->setRect(QRectF(0, 0, m_size, m_size));
    imageNode->setFiltering(QSGTexture::Linear);
    return imageNode;
}
