#include "ViewHarness.h"

#include <QQmlComponent>
#include <QQmlExpression>
#include <QSGRendererInterface>
#include <algorithm>

namespace {

// Delegates of lists and repeaters are visual children only, so walk the item tree.
void collect(QQuickItem* item, const QString& objectName, QList<QQuickItem*>& found) {
    for (QQuickItem* child : item->childItems()) {
        if (child->objectName() == objectName)
            found.append(child);
        collect(child, objectName, found);
    }
}

QPoint centre(const QQuickItem* item) {
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

} // namespace

ViewHarness::ViewHarness(const QString& view, const DaylaState& state) {
    // The application's scene graph; it must be chosen before the first window exists.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    if (!m_folder.setState(state))
        qFatal("cannot write the state file");
    m_store = std::make_unique<DaylaStore>(m_folder.path(), StoreFolder::clock());
    QQmlComponent component(&m_engine, QUrl("qrc:/qt/qml/Pinstrip/" + view + ".qml"));
    QObject* object = component.createWithInitialProperties(
        {{"store", QVariant::fromValue<QObject*>(m_store.get())}});
    if (!object)
        qFatal("%s", qPrintable(component.errorString()));
    m_root = qobject_cast<QQuickItem*>(object);
    m_root->setParentItem(m_window.contentItem());
    const auto fit = [this] {
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

QList<QQuickItem*> ViewHarness::all(QQuickItem* item, const QString& objectName) {
    QList<QQuickItem*> found;
    collect(item, objectName, found);
    return found;
}

QQuickItem* ViewHarness::find(const QString& objectName) const {
    const auto found = all(m_root, objectName);
    const auto visible = std::find_if(found.cbegin(), found.cend(),
                                      [](QQuickItem* item) { return item->isVisible(); });
    return visible == found.cend() ? nullptr : *visible;
}

QList<QQuickItem*> ViewHarness::rows(const QString& objectName) const {
    QList<QQuickItem*> rows = all(m_root, objectName);
    rows.removeIf([](QQuickItem* row) { return !row->isVisible(); });
    std::sort(rows.begin(), rows.end(),
              [](QQuickItem* a, QQuickItem* b) { return a->y() < b->y(); });
    return rows;
}

bool ViewHarness::themed(const QQuickItem* item, const QString& colourName) const {
    QQmlExpression theme(qmlContext(m_root), m_root, "Theme." + colourName);
    return item->property("color").value<QColor>().rgba() ==
           theme.evaluate().value<QColor>().rgba();
}

void ViewHarness::click(QQuickItem* item, Qt::MouseButton button) {
    QTest::mouseMove(&m_window, centre(item));
    QTest::mouseClick(&m_window, button, Qt::NoModifier, centre(item));
}

void ViewHarness::hover(QQuickItem* item) {
    // A move to where the pointer already is reports nothing, so arrive from elsewhere.
    QTest::mouseMove(&m_window, centre(item) + QPoint(1, 1));
    QTest::mouseMove(&m_window, centre(item));
    QTest::qWait(20);
}

void ViewHarness::type(const QString& text) {
    for (const QChar c : text)
        QTest::keyClick(&m_window, c.toLatin1());
}

DaylaState ViewHarness::stateOf(const QString& statuses) {
    DaylaState state;
    for (const QChar c : statuses)
        state.items.append({QUuid::createUuid(), QString("Entry %1").arg(state.items.size() + 1),
                            c == u'p'   ? ItemStatus::inProgress
                            : c == u'd' ? ItemStatus::done
                                        : ItemStatus::open});
    return state;
}
