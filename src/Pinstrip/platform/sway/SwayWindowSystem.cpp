#include "SwayWindowSystem.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QMoveEvent>
#include <QScreen>
#include <QWindow>

namespace {

Q_LOGGING_CATEGORY(lcSway, "pinstrip.platform", QtWarningMsg)

// The first node of sway's layout tree, floating ones included, that `matches`.
std::optional<QJsonObject> findNode(const QJsonObject& node,
                                    const std::function<bool(const QJsonObject&)>& matches) {
    if (matches(node))
        return node;
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node.value(QLatin1String(children)).toArray()) {
            if (auto found = findNode(child.toObject(), matches))
                return found;
        }
    }
    return std::nullopt;
}

quint64 windowOf(const QJsonObject& node) {
    return static_cast<quint64>(node.value(QLatin1String("window")).toDouble());
}

} // namespace

std::unique_ptr<WindowSystem> SwayWindowSystem::create(const QString& socketPath,
                                                       std::unique_ptr<WindowSystem> x11) {
    std::unique_ptr<SwayIpc> commands = SwayIpc::open(socketPath);
    std::unique_ptr<SwayIpc> events = SwayIpc::open(socketPath);
    if (!commands || !events || !commands->request(SwayIpc::Type::getTree))
        return x11;
    qCInfo(lcSway) << "window system: X11, placed and focused over sway's IPC";
    std::unique_ptr<SwayWindowSystem> sway(
        new SwayWindowSystem(std::move(commands), std::move(events), std::move(x11)));
    // sway centres the strip each time it maps it: place it again right after.
    const bool watching = sway->m_events->subscribe(
        R"(["window"])", [system = sway.get()](const QJsonDocument& event) {
            const QJsonObject container = event[QLatin1String("container")].toObject();
            if (event[QLatin1String("change")] == QLatin1String("new") &&
                windowOf(container) == system->m_strip)
                system->mapped();
        });
    if (!watching)
        qCWarning(lcSway) << "sway sends no window events: the strip may stay centred";
    return sway;
}

SwayWindowSystem::SwayWindowSystem(std::unique_ptr<SwayIpc> commands,
                                   std::unique_ptr<SwayIpc> events,
                                   std::unique_ptr<WindowSystem> x11)
    : m_commands(std::move(commands)), m_events(std::move(events)), m_x11(std::move(x11)) {}

void SwayWindowSystem::prepareFloating(QWindow& window) {
    const auto id = static_cast<quint64>(window.winId());
    window.installEventFilter(this);
    // sway gives every window it maps the keyboard, whatever the window's hints say; the strip
    // takes it only when summoned.
    if (std::exchange(m_strip, id) != id)
        m_commands->run(QStringLiteral("no_focus [id=%1]").arg(id).toUtf8());
    m_x11->prepareFloating(window);
}

void SwayWindowSystem::keepFloating(const QWindow& window) {
    m_x11->keepFloating(window);
    m_corrections = 0;
    pin();
}

void SwayWindowSystem::placed(const QWindow& window, const QRect& geometry) {
    // sway takes positions in its layout's pixels, which are the X display's.
    const QScreen* screen = window.screen();
    const QPointF origin = screen ? QPointF(screen->geometry().topLeft()) : QPointF();
    const qreal scale = screen ? screen->devicePixelRatio() : 1.0;
    const QPointF topLeft = origin + (QPointF(geometry.topLeft()) - origin) * scale;
    m_target = QRect(topLeft.toPoint(), geometry.size() * scale);
    m_placedAt = geometry.topLeft();
    m_corrections = 0;
    m_dragged = false;
    if (window.isVisible())
        pin();
}

void SwayWindowSystem::mapped() {
    pin();
    // A summon of the hidden strip asked for the keyboard before there was a container to give
    // it to.
    if (std::exchange(m_focusPending, false))
        m_commands->run(QStringLiteral("[id=%1] focus").arg(m_strip).toUtf8());
}

void SwayWindowSystem::pin() {
    if (!m_strip || m_target.isEmpty())
        return;
    // Fails harmlessly while sway has not mapped the strip yet: its "new" event comes then.
    m_commands->run(QStringLiteral("[id=%1] floating enable, sticky enable, border none, "
                                   "resize set %2 %3, move absolute position %4 %5")
                        .arg(m_strip)
                        .arg(m_target.width())
                        .arg(m_target.height())
                        .arg(m_target.x())
                        .arg(m_target.y())
                        .toUtf8());
}

bool SwayWindowSystem::eventFilter(QObject* watched, QEvent* event) {
    // sway answers each size the strip asked for with a centring of its own, and a burst of
    // relayouts may leave several of them queued behind the last placement. A move undone
    // comes back only when something keeps moving the strip; then it gives up.
    constexpr int maxCorrections = 20;
    if (event->type() != QEvent::Move || m_dragged || m_target.isEmpty() ||
        static_cast<QMoveEvent*>(event)->pos() == m_placedAt)
        return QObject::eventFilter(watched, event);
    if (m_corrections++ < maxCorrections)
        pin();
    return true;
}

bool SwayWindowSystem::compositorActive() const {
    return m_x11->compositorActive();
}

void SwayWindowSystem::watchCompositor(std::function<void(bool)> changed) {
    m_x11->watchCompositor(std::move(changed));
}

void SwayWindowSystem::setBlurBehind(QWindow& window, const QRegion& region) {
    m_x11->setBlurBehind(window, region);
}

void SwayWindowSystem::rememberActiveWindow(const QWindow& own) {
    const std::optional<QJsonDocument> tree = m_commands->request(SwayIpc::Type::getTree);
    const auto focused =
        findNode(tree ? tree->object() : QJsonObject(), [](const QJsonObject& node) {
            return node.value(QLatin1String("focused")).toBool();
        });
    if (focused && windowOf(*focused) != static_cast<quint64>(own.winId()))
        m_previous = static_cast<qint64>(focused->value(QLatin1String("id")).toDouble(-1));
}

void SwayWindowSystem::activate(const QWindow& window, quint32 userTime) {
    Q_UNUSED(userTime);
    m_focusPending = !m_commands->run(QStringLiteral("[id=%1] focus").arg(window.winId()).toUtf8());
}

bool SwayWindowSystem::handBackKeyboard(const QWindow& own) {
    const qint64 previous = std::exchange(m_previous, -1);
    m_focusPending = false;
    // Whoever took the keyboard from the strip in the meantime keeps it.
    if (!own.isActive())
        return true;
    if (previous >= 0 &&
        m_commands->run(QStringLiteral("[con_id=%1] focus").arg(previous).toUtf8()))
        return true;
    return m_x11->handBackKeyboard(own);
}

bool SwayWindowSystem::startMove(const QWindow& window, QPoint pointer) {
    m_dragged = true;
    return m_x11->startMove(window, pointer);
}
