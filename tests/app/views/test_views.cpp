#include "ArchiveModel.h"
#include "HistoryWindow.h"
#include "ItemListModel.h"
#include "RowMenu.h"
#include "StoreFolder.h"
#include "TodoStore.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QGuiApplication>
#include <QMenu>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>
#include <algorithm>
#include <memory>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

namespace {

// One view of the module, loaded the way the application loads it, in a shown window, with a
// store of its own on a temporary folder that starts from `state` and a clock that never moves.
struct ViewHarness {
    explicit ViewHarness(const QString& view, const TodoState& state = {}) {
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
    // The visible items with this objectName top to bottom (rows on their way out are hidden).
    [[nodiscard]] QList<QQuickItem*> rows(const QString& objectName = "todoRow") const {
        QList<QQuickItem*> rows = all(root.get(), objectName);
        rows.removeIf([](QQuickItem* row) { return !row->isVisible(); });
        std::ranges::sort(rows, {}, &QQuickItem::y);
        return rows;
    }
    [[nodiscard]] QQuickItem* find(const QString& name) const { return rows(name).value(0); }
    // Every descendant of `item` with this objectName (any, when null), in tree order: delegates
    // of lists and repeaters are visual children only.
    [[nodiscard]] static QList<QQuickItem*> all(QQuickItem* item, const QString& objectName) {
        QList<QQuickItem*> found;
        for (QQuickItem* child : item->childItems())
            found +=
                (objectName.isNull() || child->objectName() == objectName ? QList{child}
                                                                          : QList<QQuickItem*>()) +
                all(child, objectName);
        return found;
    }
    static QQuickItem* child(QQuickItem* in, const QString& name) { return all(in, name).value(0); }
    static QString text(const QQuickItem* item) { return item->property("text").toString(); }
    // A move to where the pointer already is reports nothing, so arrive from elsewhere.
    QPoint hover(QQuickItem* item) {
        const QPoint centre = item->mapToScene(item->boundingRect().center()).toPoint();
        QTest::mouseMove(&window, centre + QPoint(1, 1));
        QTest::mouseMove(&window, centre);
        QTest::qWait(20);
        return centre;
    }
    void click(QQuickItem* item, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(&window, button, {}, hover(item));
    }
    StoreFolder folder;
    std::unique_ptr<TodoStore> store;
    QQmlEngine engine;
    QQuickWindow window;
    std::unique_ptr<QQuickItem> root;
};

// A model on a store of its own, checked by Qt's model tester on every change.
template <typename Model> struct Mirror {
    explicit Mirror(const TodoState& state) {
        QVERIFY(folder.setState(state));
        store = std::make_unique<TodoStore>(folder.path(), StoreFolder::clock());
        model.setStore(store.get());
        resets.clear(); // binding the store is the one reset
    }
    QString id(int row) const {
        return model.index(row).data(ItemListModel::ItemIdRole).toString();
    }
    void compare() const {
        QStringList rows, items;
        for (int i = 0; i < model.rowCount(); ++i)
            rows << id(i) + model.index(i).data(ItemListModel::TitleRole).toString() +
                        model.index(i).data(ItemListModel::StatusRole).toString();
        for (const TodoItem& item : store->state().items)
            items << item.idText() + item.title + QString::number(int(item.status));
        QCOMPARE(rows, items);
    }
    StoreFolder folder;
    std::unique_ptr<TodoStore> store;
    Model model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
    QSignalSpy changes{&model, &QAbstractItemModel::dataChanged};
    QSignalSpy resets{&model, &QAbstractItemModel::modelReset};
};

} // namespace

using V = ViewHarness;

class TestViews : public QObject {
    Q_OBJECT

private slots:
    // What shows for each state, the progress texts, and the pill's width, which is current
    // at once so the panel never lays out a stale size.
    void presentation_data() {
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<bool>("typing");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("pill");
        const QString idle = "header addButton collapseButton ";
        const QString counted = "headerCount archiveButton ";
        // clang-format off
        QTest::newRow("empty") << "" << false << idle + "emptyRow" << "";
        QTest::newRow("one of three done") << "pod" << false << idle + counted << "";
        QTest::newRow("all done") << "dd" << false << idle + counted + "allDoneRow" << "";
        QTest::newRow("all done, typing") << "dd" << true << "header collapseButton inputRow " + counted << "";
        QTest::newRow("collapsed") << "ppppoooooodd" << false << "pill" << "2/12";
        QTest::newRow("collapsed, all done") << "dd" << false << "pill" << "All clear ✓";
        QTest::newRow("collapsed while typing") << "" << true << "pill" << "What's on today?";
        // clang-format on
    }
    void presentation() {
        QFETCH(QString, statuses);
        QFETCH(QString, shown);
        QFETCH(bool, typing);
        V view("ContentView", StoreFolder::stateOf(statuses));
        const bool collapsed = shown == "pill";
        view.store->setInputActive(typing);
        view.store->setCollapsed(collapsed);
        for (const QString name : {"pill", "header", "headerCount", "addButton", "archiveButton",
                                   "collapseButton", "emptyRow", "allDoneRow", "inputRow"})
            QVERIFY2(bool(view.find(name)) == shown.split(' ').contains(name), qPrintable(name));
        QCOMPARE(view.rows().size(), collapsed ? 0 : statuses.size());
        if (QQuickItem* count = view.find("headerCount"))
            QCOMPARE(V::text(count),
                     QString("%1/%2").arg(statuses.count('d')).arg(statuses.size()));
        const qreal width = view.root->implicitWidth();
        QCOMPARE(width == 300, !collapsed);
        if (!collapsed)
            return;
        QQuickItem* text = view.find("pillText");
        QTEST(V::text(text), "pill");
        QVERIFY(text->implicitWidth() < width && width < 300);
    }

    // The controls the other tests leave out each make their one change, once.
    void clicks_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("steps"); // the store's own count for this one call
        QTest::newRow("status icon") << "statusIcon" << 1 << "Ap Bp Cd" << 2;
        QTest::newRow("remove button") << "removeButton" << 0 << "Bo Cd" << 1;
        QTest::newRow("archive button") << "archiveButton" << -1 << "" << 3;
    }
    void clicks() {
        QFETCH(QString, target);
        QFETCH(int, row);
        V view("ContentView", StoreFolder::stateOf(u"pod"));
        if (row >= 0)
            view.hover(view.rows().value(row));
        QQuickItem* item = row >= 0 ? V::child(view.rows().value(row), target) : view.find(target);
        QVERIFY(item && item->isVisible());
        QSignalSpy steps(view.store.get(), &TodoStore::objectWillChange);
        view.click(item);
        QTEST(int(steps.size()), "steps");
        QTEST(StoreFolder::summary(view.store->state().items), "after");
    }

    // A draft survives collapsing and expanding; Return adds it and keeps the row open and
    // focused for the next one.
    void typing() {
        V view("ContentView");
        view.click(view.find("addButton"));
        QTRY_VERIFY(view.find("inputField") && view.find("inputField")->hasActiveFocus());
        QTest::keyClick(&view.window, 'x');
        view.click(view.find("collapseButton"));
        QVERIFY(view.find("pill") && view.store->inputActive());
        view.click(view.find("pillText"));
        QQuickItem* field = view.find("inputField");
        QTRY_VERIFY(field->hasActiveFocus());
        QTest::keyClick(&view.window, Qt::Key_Return);
        QCOMPARE(V::text(field), QString());
        QVERIFY(field->hasActiveFocus() && view.store->inputActive());
        QTRY_COMPARE(V::text(V::child(view.find("todoRow"), "title")), "x");
        // Nothing handed on or dropped stays behind in the field's undo history.
        QVERIFY(!field->property("canUndo").toBool());
        QTest::keyClick(&view.window, 'y');
        QTest::keyClick(&view.window, Qt::Key_Escape);
        QVERIFY(V::text(field).isEmpty() && !field->property("canUndo").toBool());
    }

    // How a row looks and reads by status; hovering hides the "now" badge and shows the remove
    // button. Its menu offers the two other statuses in order, a separator and "Remove".
    void row_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("look"); // symbol, tip
        QTest::addColumn<QString>("entries");
        QTest::addColumn<int>("pick");
        QTest::addColumn<QString>("after"); // the status letter; empty: removed
        // clang-format off
        QTest::newRow("open") << "o" << "circle Click: mark in progress"
                              << "Mark In Progress|Mark Done||Remove" << 0 << "p";
        QTest::newRow("in progress") << "p" << "circle.lefthalf.filled Click: mark done"
                                     << "Mark Open|Mark Done||Remove" << 1 << "d";
        QTest::newRow("done") << "d" << "checkmark.circle.fill Click: reopen"
                              << "Mark Open|Mark In Progress||Remove" << 3 << "";
        // clang-format on
    }
    void row() {
        QFETCH(QString, status);
        QFETCH(QString, look);
        TodoState state = StoreFolder::stateOf(status);
        state.items[0].title = "first\nsecond\u2028third " + QString(10000, u'x');
        V view("ContentView", state);
        QQuickItem* row = view.find("todoRow");
        QQuickItem* icon = V::child(row, "statusIcon");
        QQuickItem* title = V::child(row, "title");
        QCOMPARE(icon->property("symbol").toString(), look.section(' ', 0, 0));
        QCOMPARE(icon->property("tip").toString(), look.section(' ', 1));
        QCOMPARE(title->property("font").value<QFont>().strikeOut(), status == "d");
        QCOMPARE(V::text(title), state.items[0].title); // shown exactly, in at most two lines
        QVERIFY(title->property("lineCount").toInt() <= 2);
        QCOMPARE(QAccessible::queryAccessibleInterface(row)->text(QAccessible::Description),
                 QTest::currentDataTag());
        view.hover(view.find("header"));
        QCOMPARE(V::child(row, "nowBadge")->isVisible(), status == "p");
        QVERIFY(!V::child(row, "removeButton")->isVisible());
        view.hover(row);
        QVERIFY(!V::child(row, "nowBadge")->isVisible() &&
                V::child(row, "removeButton")->isVisible());
        view.click(row, Qt::RightButton);
        auto* rowMenu = row->findChild<RowMenu*>();
        QVERIFY(rowMenu && rowMenu->menu());
        QStringList entries;
        for (QAction* action : rowMenu->menu()->actions())
            entries.append(action->isSeparator() ? QString() : action->text());
        QTEST(entries.join('|'), "entries");
        QFETCH(int, pick);
        rowMenu->menu()->actions().at(pick)->trigger();
        QTEST(StoreFolder::summary(view.store->state().items).right(1), "after");
    }

    // Cycling re-sorts the rows. A quick second click at the same spot is meant for the entry
    // the first click hit, not for the one that slid under the pointer; a late one, or one
    // elsewhere, acts where it lands.
    void secondClick_data() {
        QTest::addColumn<int>("interval"); // the double-click interval, ms
        QTest::addColumn<int>("second");   // the row clicked second; -1: the first click's spot
        QTest::addColumn<QString>("after");
        QTest::newRow("quick, same spot") << 60000 << -1 << "Ao Bo Cd";
        QTest::newRow("late, same spot") << 0 << -1 << "Ad Bp Cd";
        QTest::newRow("quick, elsewhere") << 60000 << 2 << "Ad Bo Co";
    }
    void secondClick() {
        QFETCH(int, interval);
        QFETCH(int, second);
        QStyleHints* hints = QGuiApplication::styleHints();
        const int before = hints->mouseDoubleClickInterval();
        hints->setMouseDoubleClickInterval(interval);
        const auto restore = qScopeGuard([&] { hints->setMouseDoubleClickInterval(before); });
        const TodoState state = StoreFolder::stateOf(u"pod");
        V view("ContentView", state);
        const QPoint spot = view.rows().at(0)->mapToScene(QPointF(150, 10)).toPoint();
        QTest::mouseClick(&view.window, Qt::LeftButton, {}, spot);
        QTRY_COMPARE(view.rows().at(0)->property("itemId").toString(), state.items[1].idText());
        QTRY_COMPARE(view.rows().at(0)->y(), 0.0);
        QQuickItem* target = second < 0 ? nullptr : view.rows().at(second);
        QTest::mouseClick(&view.window, Qt::LeftButton, {},
                          target ? target->mapToScene(QPointF(150, 10)).toPoint() : spot);
        QList<TodoItem> now = view.store->state().items; // back in the order of A, B, C
        std::ranges::sort(now, {}, &TodoItem::title);
        QTEST(StoreFolder::summary(now), "after");
    }

    // Archiving while the window is open shows at once, newest on top, and equal stamps stay
    // two cards; only done entries get the check and the strike, one left in progress looks open.
    void history() {
        TodoState state = StoreFolder::stateOf(u"pod");
        state.items[0].title = QString(500, u'w');
        V view("HistoryView", state);
        QVERIFY(V::text(view.find("emptyText")).startsWith("Nothing archived yet."));
        view.store->archiveAndClear();
        view.store->add("later the same minute");
        view.store->archiveAndClear();
        QTRY_COMPARE(view.rows("card").size(), 2);
        QVERIFY(!view.find("emptyText"));
        QQuickItem* card = view.rows("card").at(1);
        QCOMPARE(V::text(V::child(card, "summary")), "1/3 done");
        QCOMPARE(V::text(V::child(card, "stamp")), "2025-06-02 18:40");
        const auto icons = V::all(card, "entryIcon");
        const auto titles = V::all(card, "entryTitle");
        QCOMPARE(titles.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(icons.at(i)->property("name").toString(),
                     i == 2 ? "checkmark.circle.fill" : "circle");
            QCOMPARE(V::text(titles.at(i)), state.items[i].title);
            QCOMPARE(titles.at(i)->property("font").value<QFont>().strikeOut(), i == 2);
        }
        QVERIFY(titles.at(0)->property("truncated").toBool());
    }

    // Any sequence of operations keeps the mirror exact, also where a hand-edited file repeats an
    // id, and never resets it, so delegates keep their state; a changed entry says so.
    void mirrorsEveryChange() {
        TodoState state = StoreFolder::stateOf(u"opdopdoo");
        state.items[5].id = state.items[0].id;
        Mirror<ItemListModel> m(state);
        QRandomGenerator random(20260314);
        for (int step = 0; step < 400; ++step) {
            const int count = m.model.rowCount();
            const QString id = count ? m.id(random.bounded(count)) : QString();
            const int operation = random.bounded(count ? 5 : 1);
            const TodoState before = m.store->state();
            m.changes.clear();
            if (operation == 0)
                m.store->add(QString("Step %1").arg(step));
            else if (operation == 1)
                m.model.setStatus(id, random.bounded(3));
            else if (operation == 2)
                m.model.remove(id);
            else if (operation == 3 && random.bounded(10) == 0)
                m.store->archiveAndClear();
            else
                m.model.cycle(id);
            m.compare();
            const bool restyled = (operation == 1 || operation > 2) && m.store->state() != before &&
                                  m.store->state().items.size() == before.items.size();
            QCOMPARE(m.changes.size(), restyled ? 1 : 0);
        }
        QCOMPARE(m.resets.size(), 0);
    }

    // Archiving inserts a day, and the oldest falls off at the limit.
    void archiveRows() {
        TodoState state = StoreFolder::stateOf(u"od");
        state.archive.fill(ArchivedDay{"2026-01-01 09:00", {}}, TodoStore::archiveLimit);
        Mirror<ArchiveModel> m(state);
        m.store->archiveAndClear();
        QCOMPARE(m.model.rowCount(), TodoStore::archiveLimit);
        QCOMPARE(m.resets.size(), 0);
    }

    // Days archived while the window is closed cost it nothing, and once its page is full an
    // open window holds no more items however long the archive grows. Every way of closing
    // hides it, and it comes back where it was left.
    void historyWindowHoldsNoMoreItems() {
        StoreFolder folder;
        TodoStore store(folder.path(), StoreFolder::clock());
        QQmlEngine engine;
        HistoryWindow window(engine, store);
        QList<qsizetype> open, closed;
        for (int round = 0; round < 12; ++round) {
            for (int i = 0; i < 8; ++i)
                store.add(QStringLiteral("round %1 entry %2").arg(round).arg(i));
            store.archiveAndClear();
            window.present();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            if (round == 0)
                window.setPosition(123, 77);
            QCOMPARE(window.position(), QPoint(123, 77));
            open << V::all(window.contentItem(), {}).size();
            if (round % 3 == 2)
                window.close();
            else
                QTest::keyClick(&window, round % 3 ? Qt::Key_W : Qt::Key_Escape,
                                round % 3 ? Qt::ControlModifier : Qt::NoModifier);
            QTRY_VERIFY2(!window.isVisible(), QByteArray::number(round % 3));
            store.add(QStringLiteral("archived while closed"));
            store.archiveAndClear();
            closed << V::all(window.contentItem(), {}).size();
        }
        QCOMPARE(closed, QList<qsizetype>(closed.size(), closed.first()));
        QCOMPARE(open.mid(4), QList<qsizetype>(open.size() - 4, open.at(4)));
    }
};

QTEST_MAIN(TestViews)
#include "test_views.moc"
