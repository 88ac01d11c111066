#include "ViewHarness.h"

#include <QQmlComponent>
#include <QQmlExpression>
#include <QSGRendererInterface>
#include <algorithm>

ViewHarness::ViewHarness(const QString& view, const TodoState& state) {
    // The application's scene graph; it must be chosen before the first window exists.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    if (!m_folder.setState(state))
        qFatal("cannot write the state file");
    m_store = std::make_unique<TodoStore>(m_folder.path(), StoreFolder::clock());
    QQmlComponent component(&m_engine, QUrl("qrc:/qt/qml/Pinstrip/" + view + ".qml"));
    m_root.reset(qobject_cast<QQuickItem*>(component.createWithInitialProperties(
        {{"store", QVariant::fromValue<QObject*>(m_store.get())}})));
    if (!m_root)
        qFatal("%s", qPrintable(component.errorString()));
    m_root->setParentItem(m_window.contentItem());
    const auto fit = [this] {
        m_window.resize(qMax(1, qCeil(m_root->implicitWidth())),
                        qMax(1, qCeil(m_root->implicitHeight())));
        m_root->setSize({m_root->implicitWidth(), m_root->implicitHeight()});
    };
    QObject::connect(m_root.get(), &QQuickItem::implicitWidthChanged, m_root.get(), fit);
    QObject::connect(m_root.get(), &QQuickItem::implicitHeightChanged, m_root.get(), fit);
    fit();
    m_window.show();
    if (!QTest::qWaitForWindowExposed(&m_window))
        qFatal("the view's window was not exposed");
    m_window.requestActivate();
    (void)QTest::qWaitForWindowActive(&m_window);
}

// Delegates of lists and repeaters are visual children only, so walk the item tree.
QList<QQuickItem*> ViewHarness::all(QQuickItem* item, const QString& objectName) {
    QList<QQuickItem*> found;
    for (QQuickItem* child : item->childItems()) {
        if (child->objectName() == objectName)
            found.append(child);
        found += all(child, objectName);
    }
    return found;
}

QList<QQuickItem*> ViewHarness::rows(const QString& objectName) const {
    QList<QQuickItem*> rows = all(m_root.get(), objectName);
    rows.removeIf([](QQuickItem* row) { return !row->isVisible(); });
    std::sort(rows.begin(), rows.end(),
              [](QQuickItem* a, QQuickItem* b) { return a->y() < b->y(); });
    return rows;
}

bool ViewHarness::themed(const QQuickItem* item, const QString& colourName) const {
    QQmlExpression theme(qmlContext(m_root.get()), m_root.get(), "Theme." + colourName);
    return item->property("color").value<QColor>().rgba() ==
           theme.evaluate().value<QColor>().rgba();
}

void ViewHarness::hover(QQuickItem* item) {
    // A move to where the pointer already is reports nothing, so arrive from elsewhere.
    const QPoint centre = item->mapToScene(item->boundingRect().center()).toPoint();
    QTest::mouseMove(&m_window, centre + QPoint(1, 1));
    QTest::mouseMove(&m_window, centre);
    QTest::qWait(20);
}

void ViewHarness::click(QQuickItem* item, Qt::MouseButton button) {
    hover(item);
    QTest::mouseClick(&m_window, button, {},
                      item->mapToScene(item->boundingRect().center()).toPoint());
}

TodoState ViewHarness::stateOf(const QString& statuses) {
    TodoState state;
    for (const QChar c : statuses)
        state.items.append({QUuid::createUuid(), QString("Entry %1").arg(state.items.size() + 1),
                            c == u'p'   ? ItemStatus::inProgress
                            : c == u'd' ? ItemStatus::done
                                        : ItemStatus::open});
    return state;
}
