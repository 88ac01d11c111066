#include "ViewHarness.h"

#include <QFile>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlExpression>
#include <QSGRendererInterface>
#include <QTest>
#include <algorithm>

namespace {

// Delegates of lists and repeaters are visual children only, so walk the item tree.
void collect(QQuickItem* item, const QString& objectName, QList<QQuickItem*>& found) {
    for (QQuickItem* child : item->childItems()) {
        if (objectName.isEmpty() || child->objectName() == objectName)
            found.append(child);
        collect(child, objectName, found);
    }
}

} // namespace

// The application's scene graph; it must be chosen before the first window exists.
bool ViewHarness::softwareRendering() {
    static const bool chosen = [] {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return true;
    }();
    return chosen;
}

ViewHarness::ViewHarness(const QString& view, const DaylaState& state,
                         const QVariantMap& properties)
    : m_software(softwareRendering()) {
    QFile file(m_dir.filePath(QStringLiteral("todo.json")));
    if (file.open(QIODevice::WriteOnly))
        file.write(state.encode());
    file.close();
    m_store = std::make_unique<DaylaStore>(m_dir.path(), &ViewHarness::clock);

    QQmlComponent component(&m_engine,
                            QUrl(QStringLiteral("qrc:/qt/qml/Pinstrip/%1.qml").arg(view)));
    QVariantMap initial = properties;
    initial.insert(QStringLiteral("store"), QVariant::fromValue<QObject*>(m_store.get()));
    QObject* object = component.createWithInitialProperties(initial);
    if (!object)
        qFatal("%s", qPrintable(component.errorString()));
    m_root = qobject_cast<QQuickItem*>(object);
    m_root->setParentItem(m_window.contentItem());
    auto fit = [this] {
        m_window.resize(qMax(1, qCeil(m_root->implicitWidth())),
                        qMax(1, qCeil(m_root->implicitHeight())));
        m_root->setSize({m_root->implicitWidth(), m_root->implicitHeight()});
    };
    QObject::connect(m_root, &QQuickItem::implicitWidthChanged, m_root, fit);
    QObject::connect(m_root, &QQuickItem::implicitHeightChanged, m_root, fit);
    fit();
    m_window.show();
    if (!QTest::qWaitForWindowExposed(&m_window))
        qFatal("the view's window was not exposed");
    m_window.requestActivate();
    (void)QTest::qWaitForWindowActive(&m_window);
}

ViewHarness::~ViewHarness() {
    delete m_root;
}

QObject* ViewHarness::theme() const {
    QQmlExpression expression(qmlContext(m_root), m_root, QStringLiteral("Theme"));
    return expression.evaluate().value<QObject*>();
}

QList<QQuickItem*> ViewHarness::all(QQuickItem* item, const QString& objectName) {
    QList<QQuickItem*> found;
    collect(item, objectName, found);
    return found;
}

QQuickItem* ViewHarness::child(QQuickItem* item, const QString& objectName) {
    const auto found = all(item, objectName);
    return found.isEmpty() ? nullptr : found.first();
}

QQuickItem* ViewHarness::find(const QString& objectName) const {
    const auto found = all(m_root, objectName);
    const auto visible = std::find_if(found.cbegin(), found.cend(),
                                      [](QQuickItem* item) { return item->isVisible(); });
    return visible == found.cend() ? nullptr : *visible;
}

QList<QQuickItem*> ViewHarness::rows() const {
    QList<QQuickItem*> rows;
    QQuickItem* list = child(m_root, QStringLiteral("list"));
    if (!list)
        return rows;
    for (QQuickItem* item : all(list, {})) {
        if (item->property("itemId").isValid() && item->isVisible())
            rows.append(item);
    }
    std::sort(rows.begin(), rows.end(),
              [](QQuickItem* a, QQuickItem* b) { return a->y() < b->y(); });
    return rows;
}

void ViewHarness::click(QQuickItem* item, Qt::MouseButton button) {
    const QPoint at = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    QTest::mouseMove(&m_window, at);
    QTest::mouseClick(&m_window, button, Qt::NoModifier, at);
}

void ViewHarness::hover(QQuickItem* item) {
    const QPoint at = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    // A move to where the pointer already is reports nothing, so arrive from elsewhere.
    QTest::mouseMove(&m_window, at + QPoint(1, 1));
    QTest::mouseMove(&m_window, at);
    QTest::qWait(20);
}

void ViewHarness::settle() {
    QTest::qWait(400);
}

QDateTime ViewHarness::clock() {
    return QDateTime(QDate(2026, 3, 14), QTime(18, 5));
}

DaylaState ViewHarness::stateOf(const QString& statuses) {
    DaylaState state;
    int n = 0;
    for (const QChar c : statuses) {
        const ItemStatus status = c == u'p'   ? ItemStatus::inProgress
                                  : c == u'd' ? ItemStatus::done
                                              : ItemStatus::open;
        state.items.append({QUuid::createUuid(), QStringLiteral("Entry %1").arg(++n), status});
    }
    return state;
}
