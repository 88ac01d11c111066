#include "ViewHarness.h"

#include <QQmlComponent>
#include <QSGRendererInterface>
#include <algorithm>

ViewHarness::ViewHarness(const QString& view, const TodoState& state) {
    // The application's scene graph; it must be chosen before the first window exists.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    if (!folder.setState(state))
        qFatal("cannot write the state file");
    store = std::make_unique<TodoStore>(folder.path(), StoreFolder::clock());
    QQmlComponent component(&engine, QUrl("qrc:/qt/qml/Pinstrip/" + view + ".qml"));
    root.reset(qobject_cast<QQuickItem*>(component.createWithInitialProperties(
        {{"store", QVariant::fromValue<QObject*>(store.get())}})));
    if (!root)
        qFatal("%s", qPrintable(component.errorString()));
    root->setParentItem(window.contentItem());
    const auto fit = [this] {
        window.resize(qMax(1, qCeil(root->implicitWidth())),
                      qMax(1, qCeil(root->implicitHeight())));
        root->setSize({root->implicitWidth(), root->implicitHeight()});
    };
    QObject::connect(root.get(), &QQuickItem::implicitWidthChanged, root.get(), fit);
    QObject::connect(root.get(), &QQuickItem::implicitHeightChanged, root.get(), fit);
    fit();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qFatal("the view's window was not exposed");
    window.requestActivate();
    (void)QTest::qWaitForWindowActive(&window);
}

// Delegates of lists and repeaters are visual children only, so walk the item tree.
QList<QQuickItem*> ViewHarness::all(QQuickItem* item, const QString& objectName) {
    QList<QQuickItem*> found;
    for (QQuickItem* child : item->childItems())
        found += (child->objectName() == objectName ? QList{child} : QList<QQuickItem*>()) +
                 all(child, objectName);
    return found;
}

QList<QQuickItem*> ViewHarness::rows(const QString& objectName) const {
    QList<QQuickItem*> rows = all(root.get(), objectName);
    rows.removeIf([](QQuickItem* row) { return !row->isVisible(); });
    std::ranges::sort(rows, {}, &QQuickItem::y);
    return rows;
}

// A move to where the pointer already is reports nothing, so arrive from elsewhere.
void ViewHarness::hover(QQuickItem* item) {
    const QPoint centre = item->mapToScene(item->boundingRect().center()).toPoint();
    QTest::mouseMove(&window, centre + QPoint(1, 1));
    QTest::mouseMove(&window, centre);
    QTest::qWait(20);
}

void ViewHarness::click(QQuickItem* item, Qt::MouseButton button) {
    hover(item);
    QTest::mouseClick(&window, button, {},
                      item->mapToScene(item->boundingRect().center()).toPoint());
}

TodoState ViewHarness::stateOf(const QString& statuses) {
    TodoState state;
    for (const QChar c : statuses)
        state.items.append({QUuid::createUuid(), QString("Entry %1").arg(state.items.size() + 1),
                            ItemStatus(QString("opd").indexOf(c))});
    return state;
}
