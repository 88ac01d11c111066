#include "StripPanel.h"

#include "Placement.h"
#include "Preferences.h"
#include "WindowSystem.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QQuickItem>
#include <QRegion>
#include <QScreen>
#include <cmath>

namespace {

constexpr int cornerRadius = 10;
// Enough of the desktop shows through to tell the strip floats; its text stays readable.
constexpr double translucentOpacity = 0.82;
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
    if (const std::optional<QString> stored = m_preferences.place())
        m_place = Placement::placeFromString(*stored);
    else
        m_anchor = m_preferences.anchor();
    setTitle(QStringLiteral("Pinstrip"));
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
             Qt::WindowDoesNotAcceptFocus);
    // An alpha channel whether or not a compositor runs now, so that one started later blends.
    QSurfaceFormat surface = format();
    surface.setAlphaBufferSize(8);
    setFormat(surface);
    resize(initialSize);
    setTranslucent(m_windowSystem.compositorActive());
    m_windowSystem.watchCompositor([guard = QPointer(this)](bool active) {
        if (guard)
            guard->setTranslucent(active);
    });
    // Mapped with a user time of 0: the window manager neither gives the strip the keyboard nor,
    // when it would have liked to, flags it as demanding attention. Summons ask for the keyboard
    // themselves.
    setProperty("_q_showWithoutActivating", true);
    // On a monitor of another scale the same content needs another number of device pixels.
    connect(this, &QWindow::screenChanged, this, &StripPanel::scheduleRelayout);
}

StripPanel::~StripPanel() = default;

StripPanel::ScreenSource StripPanel::desktopScreens() {
    return [] {
        QList<Screen> screens;
        const QScreen* primary = QGuiApplication::primaryScreen();
        for (const QScreen* screen : QGuiApplication::screens()) {
            const Screen entry{screen->name(), screen->geometry(), screen->availableGeometry()};
            if (screen == primary)
                screens.prepend(entry);
            else
                screens.append(entry);
        }
        return screens;
    };
}

void StripPanel::setContent(std::unique_ptr<QQuickItem> root) {
    m_root = std::move(root);
    if (!m_root)
        return;
    m_root->setParentItem(contentItem());
    m_root->setSize(size());
    m_root->setProperty("surfaceOpacity", m_translucent ? translucentOpacity : 1.0);
    connect(m_root.get(), &QQuickItem::implicitWidthChanged, this, &StripPanel::scheduleRelayout);
    connect(m_root.get(), &QQuickItem::implicitHeightChanged, this, &StripPanel::scheduleRelayout);
}

void StripPanel::setAllowKey(bool allow) {
    m_allowKey = allow;
    setFlag(Qt::WindowDoesNotAcceptFocus, !allow);
}

void StripPanel::present() {
    // A fresh map already puts the window on top of the layer its hints ask for; a raise on top
    // of that is a request some window managers refuse by flagging the window for attention.
    show();
    m_windowSystem.keepFloating(*this);
}

void StripPanel::remap() {
    hide();
    present();
}

StripPanel::Layout StripPanel::layout(const QList<Screen>& screens) {
    Layout layout{ScreenCoordinates(screens.isEmpty() ? QRect() : screens.first().geometry), {}};
    for (const Screen& screen : screens)
        layout.monitors.append({screen.name, layout.coordinates.toPlacement(screen.geometry),
                                layout.coordinates.toPlacement(screen.available)});
    return layout;
}

std::optional<Placement::Place> StripPanel::place(const QList<Placement::Monitor>& monitors) {
    if (m_anchor) {
        m_place = Placement::placeFromAnchor(monitors, *m_anchor);
        if (m_place) {
            m_preferences.setPlace(Placement::placeToString(*m_place));
            m_anchor.reset();
        }
    }
    return m_place;
}

void StripPanel::scheduleRelayout() {
    if (std::exchange(m_relayoutPending, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_relayoutPending = false;
            relayout();
        },
        Qt::QueuedConnection);
}

void StripPanel::relayout() {
    if (!m_root)
        return;
    const QList<Screen> screens = m_screens();
    const Layout here = layout(screens);
    const std::optional<Placement::Place> stored = place(here.monitors);
    const qsizetype on = Placement::shownOn(here.monitors, stored);
    if (on >= 0 && m_root->property("maxHeight").isValid())
        m_root->setProperty("maxHeight", static_cast<int>(here.monitors.at(on).workArea.height));
    const Placement::Size fitting{m_root->implicitWidth(), m_root->implicitHeight()};
    const auto frame = Placement::frame(here.monitors, stored, fitting);
    if (!frame)
        return;
    // What is shown is clamped; the stored place stays, so the strip returns to it when the
    // work area grows again, the list gets shorter or its monitor comes back.
    const QRect target = here.coordinates.fromPlacement(*frame);
    // The window system reports the moves of earlier placements after this one was asked for.
    m_targets.prepend(target);
    m_targets.resize(std::min<qsizetype>(m_targets.size(), 4));
    m_targetScreens = screens;
    setGeometry(target);
    m_windowSystem.placed(*this, target);
}

void StripPanel::resetPosition() {
    m_preferences.forgetPlace();
    m_place.reset();
    m_anchor.reset();
    relayout();
}

void StripPanel::startMove() {
    if (!m_pressedAt)
        return;
    // The drag handler asks only after the pointer went a few pixels from the press. Catch up
    // with it first: some window managers (KWin) start the move from where the pointer is now.
    const QPointF from = *std::exchange(m_pressedAt, std::nullopt);
    setPosition(position() + (m_pointerAt - from).toPoint());
    // Screens keep their top-left corner in the display's pixels; within, they scale.
    const QScreen* on = screen();
    const QPointF origin = on ? QPointF(on->geometry().topLeft()) : QPointF();
    const QPointF pixels = origin + (m_pointerAt - origin) * (on ? on->devicePixelRatio() : 1.0);
    if (!m_windowSystem.startMove(*this, pixels.toPoint()))
        startSystemMove();
}

bool StripPanel::event(QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_pointerAt = mouse->globalPosition();
        if (mouse->button() == Qt::LeftButton)
            m_pressedAt = m_pointerAt;
    }
    return QQuickWindow::event(event);
}

void StripPanel::showEvent(QShowEvent* event) {
    // Before the window is mapped: the window manager reads the hints as it takes the window.
    m_windowSystem.prepareFloating(*this);
    QQuickWindow::showEvent(event);
}

void StripPanel::moveEvent(QMoveEvent* event) {
    QQuickWindow::moveEvent(event);
    // Only the user's move chooses the place. Relayouts, the window manager's own moves when
    // the screens changed since the last placement, and Wayland, which never tells a client
    // where its window is, leave it alone.
    static const bool positionsKnown = !QGuiApplication::platformName().startsWith(u"wayland");
    if (positionsKnown && !m_targets.contains(geometry()) && m_screens() == m_targetScreens)
        panelMoved(geometry());
}

void StripPanel::resizeEvent(QResizeEvent* event) {
    QQuickWindow::resizeEvent(event);
    if (m_root)
        m_root->setSize(size());
    updateMask();
}

void StripPanel::panelMoved(const QRect& geometry) {
    const Layout here = layout(m_screens());
    if (const auto moved =
            Placement::placeOf(here.monitors, here.coordinates.toPlacement(geometry))) {
        m_place = moved;
        m_anchor.reset();
        m_preferences.setPlace(Placement::placeToString(*moved));
    }
}

void StripPanel::setTranslucent(bool translucent) {
    m_translucent = translucent;
    setColor(translucent ? QColor(Qt::transparent)
                         : QGuiApplication::palette().color(QPalette::Window));
    if (m_root)
        m_root->setProperty("surfaceOpacity", translucent ? translucentOpacity : 1.0);
    updateMask();
}

void StripPanel::updateMask() {
    const QRegion shape = roundedRegion(size(), cornerRadius);
    // Without a compositor transparent corners would show black: cut them away instead.
    m_windowSystem.setBlurBehind(*this, m_translucent ? shape : QRegion());
    setMask(m_translucent ? QRegion() : shape);
}
