#include "StripPanel.h"

#include "Placement.h"
#include "Preferences.h"
#include "ScreenCoordinates.h"
#include "platform/WindowSystem.h"

#include <QGuiApplication>
#include <QPalette>
#include <QQuickItem>
#include <QRegion>
#include <QScreen>
#include <cmath>

namespace {

constexpr int cornerRadius = 10;
constexpr QSize initialSize(300, 40);

// A rectangle with corners rounded to `radius`, exact to the pixel row.
QRegion roundedRegion(QSize size, int radius) {
    const int r = std::min({radius, size.width() / 2, size.height() / 2});
    QRegion region(0, r, size.width(), size.height() - 2 * r);
    for (int row = 0; row < r; ++row) {
        const double dy = r - row - 0.5;
        const int inset = r - static_cast<int>(std::lround(std::sqrt(double(r) * r - dy * dy)));
        const int width = size.width() - 2 * inset;
        region += QRect(inset, row, width, 1);
        region += QRect(inset, size.height() - 1 - row, width, 1);
    }
    return region;
}

} // namespace

StripPanel::StripPanel(WindowSystem& windowSystem, Preferences& preferences, ScreenSource screens)
    : m_windowSystem(windowSystem), m_preferences(preferences), m_screens(std::move(screens)) {
    setTitle(QStringLiteral("Pinstrip"));
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
             Qt::WindowDoesNotAcceptFocus);
    m_translucent = m_windowSystem.compositorActive();
    if (m_translucent) {
        QSurfaceFormat surface = format();
        surface.setAlphaBufferSize(8);
        setFormat(surface);
        setColor(Qt::transparent);
    } else {
        setColor(QGuiApplication::palette().color(QPalette::Window));
    }
    resize(initialSize);
    m_windowSystem.prepareFloating(*this);
}

StripPanel::~StripPanel() = default;

StripPanel::ScreenSource StripPanel::primaryScreen() {
    return []() -> std::optional<Screens> {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen)
            return std::nullopt;
        return Screens{screen->geometry(), screen->availableGeometry()};
    };
}

void StripPanel::setContent(std::unique_ptr<QQuickItem> root) {
    m_root = std::move(root);
    if (!m_root)
        return;
    m_root->setParentItem(contentItem());
    m_root->setSize(size());
    // Bindings and layouts settle their implicit size a turn after the change that caused it.
    const auto follow = [this] {
        QMetaObject::invokeMethod(this, &StripPanel::relayout, Qt::QueuedConnection);
    };
    connect(m_root.get(), &QQuickItem::implicitWidthChanged, this, follow);
    connect(m_root.get(), &QQuickItem::implicitHeightChanged, this, follow);
}

void StripPanel::setAllowKey(bool allow) {
    m_allowKey = allow;
    setFlag(Qt::WindowDoesNotAcceptFocus, !allow);
}

void StripPanel::present() {
    show();
    raise();
}

void StripPanel::relayout() {
    if (!m_root)
        return;
    const std::optional<Screens> screens = m_screens();
    const ScreenCoordinates coordinates(screens ? screens->geometry : QRect());
    std::optional<Placement::Rect> visibleFrame;
    if (screens) {
        visibleFrame = coordinates.toPlacement(screens->available);
        if (m_root->property("maxHeight").isValid())
            m_root->setProperty("maxHeight", screens->available.height());
    }
    std::optional<Placement::Point> anchor;
    if (const std::optional<QString> stored = m_preferences.anchor())
        anchor = Placement::pointFromString(*stored);
    const Placement::Size fitting{m_root->implicitWidth(), m_root->implicitHeight()};
    const auto frame = Placement::frame(anchor, fitting, visibleFrame);
    if (!frame)
        return;
    const QRect target = coordinates.fromPlacement(*frame);
    const Placement::Rect before = coordinates.toPlacement(geometry());
    const Placement::Rect after = coordinates.toPlacement(target);
    m_placed = true;
    setGeometry(target);
    // Not every platform reports a move of a hidden or not yet mapped window: a placement that
    // moves the origin is remembered here, as a move by the user is in moveEvent().
    if (before.x != after.x || before.y != after.y)
        panelMoved(target);
}

void StripPanel::resetPosition() {
    m_preferences.removeAnchor();
    relayout();
}

void StripPanel::moveEvent(QMoveEvent* event) {
    QQuickWindow::moveEvent(event);
    // Before its first placement the window sits wherever it was created; that is no anchor.
    if (m_placed)
        panelMoved(geometry());
}

void StripPanel::resizeEvent(QResizeEvent* event) {
    QQuickWindow::resizeEvent(event);
    if (m_root)
        m_root->setSize(size());
    updateMask();
}

void StripPanel::panelMoved(const QRect& geometry) {
    const std::optional<Screens> screens = m_screens();
    const ScreenCoordinates coordinates(screens ? screens->geometry : QRect());
    const Placement::Rect frame = coordinates.toPlacement(geometry);
    m_preferences.setAnchor(Placement::pointToString({frame.maxX(), frame.maxY()}));
}

void StripPanel::updateMask() {
    // Without a compositor transparent corners would show black: cut them away instead.
    if (!m_translucent)
        setMask(roundedRegion(size(), cornerRadius));
}
