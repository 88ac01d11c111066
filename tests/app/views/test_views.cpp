#include "RowMenu.h"
#include "ViewHarness.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

using V = ViewHarness;

namespace {

// One letter per entry, in the order given: o open, p in progress, d done.
QString statuses(const QList<TodoItem>& items) {
    QString letters;
    for (const TodoItem& item : items)
        letters += "opd"[static_cast<int>(item.status)];
    return letters;
}

} // namespace

// The strip's content view and the archive window.
class TestViews : public QObject {
    Q_OBJECT

private slots:
    // What shows for each state, the progress texts, and the pill's width, which is current
    // at once so the panel never lays out a stale size.
    void presentation_data() {
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<bool>("typing");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("pill"); // and its colour
        const QString idle = "header addButton collapseButton ";
        const QString typing = "header collapseButton inputRow ";
        const QString counted = "headerCount archiveButton ";
        // clang-format off
        QTest::newRow("empty") << "" << false << idle + "emptyRow" << "";
        QTest::newRow("empty, typing") << "" << true << typing << "";
        QTest::newRow("one of three done") << "pod" << false << idle + counted << "";
        QTest::newRow("all done") << "dd" << false << idle + counted + "allDoneRow" << "";
        QTest::newRow("all done, typing") << "dd" << true << typing + counted << "";
        QTest::newRow("collapsed") << "ppppoooooodd" << false << "pill" << "2/12 primary";
        QTest::newRow("collapsed, all done") << "dd" << false << "pill" << "All clear ✓ green";
        QTest::newRow("collapsed while typing") << "" << true << "pill" << "What's on today? primary";
        // clang-format on
    }
    void presentation() {
        QFETCH(QString, statuses);
        QFETCH(QString, shown);
        QFETCH(QString, pill);
        QFETCH(bool, typing);
        V view("ContentView", V::stateOf(statuses));
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
        QCOMPARE(V::text(text), pill.section(' ', 0, -2));
        QVERIFY(view.themed(text, pill.section(' ', -1)));
        QVERIFY2(text->implicitWidth() < width && width < 300, qPrintable(QString::number(width)));
    }

    // A click makes exactly the store calls that the same action made directly makes.
    void oneClickOneCall_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("direct");
        QTest::newRow("status icon") << "statusIcon" << 1 << "cycle";
        QTest::newRow("row body") << "rowBody" << 1 << "cycle";
        QTest::newRow("done row body reopens") << "rowBody" << 2 << "cycle";
        QTest::newRow("remove button") << "removeButton" << 0 << "remove";
        QTest::newRow("add button") << "addButton" << -1 << "input";
        QTest::newRow("empty row") << "emptyRow" << -1 << "input";
        QTest::newRow("archive button") << "archiveButton" << -1 << "archive";
        QTest::newRow("collapse button") << "collapseButton" << -1 << "collapse";
        QTest::newRow("pill") << "pillText" << -1 << "expand";
    }
    void oneClickOneCall() {
        QFETCH(QString, target);
        QFETCH(int, row);
        QFETCH(QString, direct);
        const TodoState state = V::stateOf(target == "emptyRow" ? "" : "pod");
        V clicked("ContentView", state), called("ContentView", state);
        QList<bool> clickedHook, calledHook;
        clicked.store->onInputActiveChanged = [&](bool on) { clickedHook.append(on); };
        called.store->onInputActiveChanged = [&](bool on) { calledHook.append(on); };
        clicked.store->setCollapsed(target == "pillText");
        called.store->setCollapsed(target == "pillText");
        if (row >= 0)
            clicked.hover(clicked.rows().value(row));
        QQuickItem* item =
            row >= 0 ? V::child(clicked.rows().value(row), target) : clicked.find(target);
        QVERIFY(item && item->isVisible());
        QSignalSpy clickSteps(clicked.store.get(), &TodoStore::objectWillChange);
        clicked.click(item);

        QSignalSpy callSteps(called.store.get(), &TodoStore::objectWillChange);
        const QUuid id = row >= 0 ? state.items.at(row).id : QUuid();
        if (direct == "cycle")
            called.store->cycle(id);
        else if (direct == "remove")
            called.store->remove(id);
        else if (direct == "input")
            called.store->userSetInputActive(true);
        else if (direct == "archive")
            called.store->archiveAndClear();
        else
            called.store->setCollapsed(direct == "collapse");
        QCOMPARE(clickSteps.size(), callSteps.size());
        QCOMPARE(clicked.store->state(), called.store->state());
        QCOMPARE(clickedHook, calledHook);
        QCOMPARE(clicked.store->inputActive(), called.store->inputActive());
        QCOMPARE(clicked.store->collapsed(), called.store->collapsed());
    }

    // Return adds what the store accepts and keeps the row open and focused for the next one;
    // a draft survives collapsing and expanding, and Escape empties it and closes the row.
    void typing_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("escape");   // after collapsing and expanding
        QTest::addColumn<QString>("added"); // empty: nothing
        QTest::newRow("trimmed by the store") << "  Buy milk  " << false << "Buy milk";
        QTest::newRow("blank adds nothing") << "   " << false << "";
        QTest::newRow("draft kept, Escape drops it") << "half a thought" << true << "";
    }
    void typing() {
        QFETCH(QString, typed);
        QFETCH(bool, escape);
        QFETCH(QString, added);
        V view("ContentView");
        QList<bool> hook;
        view.store->onInputActiveChanged = [&](bool on) { hook.append(on); };
        view.click(view.find("addButton"));
        QQuickItem* field = view.find("inputField");
        QTRY_VERIFY(field && field->hasActiveFocus());
        view.type(typed);
        if (escape) {
            view.click(view.find("collapseButton"));
            QVERIFY(view.find("pill") && view.store->inputActive());
            view.click(view.find("pillText"));
            QCOMPARE(V::text(field = view.find("inputField")), typed);
            QTRY_VERIFY(field->hasActiveFocus());
        }
        QTest::keyClick(&view.window, escape ? Qt::Key_Escape : Qt::Key_Return);
        QCOMPARE(V::text(field), QString());
        QVERIFY(escape || field->hasActiveFocus());
        QCOMPARE(view.store->inputActive(), !escape);
        QCOMPARE(hook, (escape ? QList<bool>{true, false} : QList<bool>{true}));
        QTRY_COMPARE(statuses(view.store->state().items), added.isEmpty() ? "" : "o");
        if (!added.isEmpty())
            QTRY_COMPARE(V::text(V::child(view.find("todoRow"), "title")), added);
    }

    // Within the limit nothing scrolls and every row adds height; beyond it the strip is exactly
    // as tall as the limit, the header and input row stay in it, and the rows scroll and show
    // that they do. An entry typed into the input row is scrolled into view.
    void heightLimit_data() {
        QTest::addColumn<bool>("typing");
        QTest::addColumn<int>("spare");
        QTest::newRow("fits exactly") << false << 0;
        QTest::newRow("typing, far too tall") << true << -200;
    }
    void heightLimit() {
        QFETCH(bool, typing);
        QFETCH(int, spare);
        V view("ContentView", V::stateOf(QString(14, u'o')));
        view.store->setInputActive(typing);
        const qreal natural = view.root->implicitHeight();
        const qreal limit = natural + spare;
        view.root->setProperty("maxHeight", limit);
        QQuickItem* list = V::child(view.root.get(), "list");
        QCOMPARE(view.root->implicitHeight(), spare < 0 ? limit : natural);
        QCOMPARE(list->property("interactive").toBool(), spare < 0);
        QCOMPARE(view.find("header")->mapToItem(view.root.get(), QPointF()).y(), 0.0);
        if (QQuickItem* input = view.find("inputRow"))
            QVERIFY(input->mapToItem(view.root.get(), QPointF(0, input->height())).y() <= limit);
        const qreal rowHeight = view.rows().constLast()->height();
        if (typing)
            view.type("one more\r");
        else
            view.store->add("one more");
        QTRY_COMPARE(view.root->implicitHeight(), qMin(natural + rowHeight + 1, limit));
        QTRY_COMPARE(bool(view.find("scrollIndicator")), natural + rowHeight + 1 > limit);
        if (typing) // an entry typed in is scrolled into view
            QTRY_VERIFY(std::ranges::any_of(view.rows(), [&](QQuickItem* row) {
                const qreal top = row->mapToItem(list, QPointF()).y();
                return V::text(V::child(row, "title")) == "one more" && top >= 0 &&
                       top + row->height() <= list->height();
            }));
    }

    // Without a limit from the host the screen's work area is the limit, and rows beyond it
    // are not built.
    void screenLimitsByDefault() {
        V view("ContentView", V::stateOf(QString(200, u'o')));
        QCOMPARE(view.root->implicitHeight(),
                 qreal(view.window.screen()->availableGeometry().height()));
        QVERIFY(view.rows().size() < 200);
    }

    // How a row looks and reads by status; hovering hides the "now" badge and shows the remove
    // button. Its menu offers the two other statuses in order, a separator and "Remove", each
    // doing what it says.
    void row_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("look"); // symbol, icon colour, tip
        QTest::addColumn<QString>("entries");
        QTest::addColumn<int>("pick");
        QTest::addColumn<QString>("after"); // empty: removed
        // clang-format off
        QTest::newRow("open") << "o" << "circle secondary Click: mark in progress"
                              << "Mark In Progress|Mark Done||Remove" << 0 << "p";
        QTest::newRow("in progress") << "p" << "circle.lefthalf.filled yellow Click: mark done"
                                     << "Mark Open|Mark Done||Remove" << 1 << "d";
        QTest::newRow("done") << "d" << "checkmark.circle.fill green Click: reopen"
                              << "Mark Open|Mark In Progress||Remove" << 3 << "";
        // clang-format on
    }
    void row() {
        QFETCH(QString, status);
        QFETCH(QString, look);
        TodoState state = V::stateOf(status);
        state.items[0].title = "first\nsecond\u2028third " + QString(10000, u'x');
        V view("ContentView", state);
        QQuickItem* row = view.find("todoRow");
        QQuickItem* icon = V::child(row, "statusIcon");
        QQuickItem* title = V::child(row, "title");
        QCOMPARE(icon->property("symbol").toString(), look.section(' ', 0, 0));
        QVERIFY(view.themed(icon, look.section(' ', 1, 1)));
        QCOMPARE(icon->property("tip").toString(), look.section(' ', 2));
        QVERIFY(view.themed(title, status == "d" ? "secondary" : "primary"));
        QCOMPARE(title->property("font").value<QFont>().strikeOut(), status == "d");
        QCOMPARE(V::text(title), state.items[0].title); // shown exactly, in at most two lines
        QVERIFY(title->property("lineCount").toInt() <= 2);
        QCOMPARE(QAccessible::queryAccessibleInterface(row)->text(QAccessible::Name),
                 V::text(title));
        QCOMPARE(QAccessible::queryAccessibleInterface(row)->text(QAccessible::Description),
                 QTest::currentDataTag());
        view.hover(view.find("header"));
        QCOMPARE(V::child(row, "nowBadge")->isVisible(), status == "p");
        QVERIFY(!V::child(row, "removeButton")->isVisible());
        view.hover(row);
        QVERIFY(!V::child(row, "nowBadge")->isVisible());
        QQuickItem* remove = V::child(V::child(row, "removeButton"), "target");
        const QRectF hit = remove->mapRectToScene(remove->boundingRect());
        QVERIFY(remove->isVisible() && hit.width() >= 24 && hit.height() >= 24);
        QVERIFY(row->mapRectToScene(row->boundingRect()).contains(hit));

        view.click(row, Qt::RightButton);
        auto* rowMenu = row->findChild<RowMenu*>();
        QVERIFY(rowMenu && rowMenu->menu());
        QStringList entries;
        for (QAction* action : rowMenu->menu()->actions())
            entries.append(action->isSeparator() ? QString() : action->text());
        QTEST(entries.join('|'), "entries");
        QCOMPARE(statuses(view.store->state().items), status);
        QFETCH(int, pick);
        rowMenu->menu()->actions().at(pick)->trigger();
        QTEST(statuses(view.store->state().items), "after");
        QFETCH(QString, after);
        if (!after.isEmpty()) // the row shows what it has become
            QTRY_COMPARE(V::child(view.find("todoRow"), "title")
                             ->property("font")
                             .value<QFont>()
                             .strikeOut(),
                         after == "d");
    }

    // Cycling re-sorts the rows. A quick second click at the same spot is meant for the entry
    // the first click hit, not for the one that slid under the pointer; a late one, or one
    // elsewhere, acts where it lands.
    void secondClick_data() {
        QTest::addColumn<int>("interval"); // the double-click interval, ms
        QTest::addColumn<int>("second");   // the row clicked second; -1: the first click's spot
        QTest::addColumn<QString>("after");
        QTest::newRow("quick, same spot") << 60000 << -1 << "ood";
        QTest::newRow("late, same spot") << 0 << -1 << "dpd";
        QTest::newRow("quick, elsewhere") << 60000 << 2 << "doo";
    }
    void secondClick() {
        QFETCH(int, interval);
        QFETCH(int, second);
        QStyleHints* hints = QGuiApplication::styleHints();
        const int before = hints->mouseDoubleClickInterval();
        hints->setMouseDoubleClickInterval(interval);
        const auto restore = qScopeGuard([&] { hints->setMouseDoubleClickInterval(before); });
        const TodoState state = V::stateOf("pod");
        V view("ContentView", state);
        const QPoint spot = view.rows().at(0)->mapToScene(QPointF(150, 10)).toPoint();
        QTest::mouseClick(&view.window, Qt::LeftButton, {}, spot);
        // The open entry has slid into the place of the one now done.
        QTRY_COMPARE(view.rows().at(0)->property("itemId").toString(), state.items[1].idText());
        QTRY_COMPARE(view.rows().at(0)->y(), 0.0);
        QQuickItem* target = second < 0 ? nullptr : view.rows().at(second);
        QTest::mouseClick(&view.window, Qt::LeftButton, {},
                          target ? target->mapToScene(QPointF(150, 10)).toPoint() : spot);
        QList<TodoItem> now;
        for (const TodoItem& entry : state.items)
            for (const TodoItem& item : view.store->state().items)
                if (item.id == entry.id)
                    now.append(item);
        QTEST(statuses(now), "after");
    }

    // Archiving while the window is open shows at once, newest on top, and equal stamps stay
    // two cards; only done entries get the check and the strike, one left in progress looks open.
    void history_data() {
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<QString>("colour"); // of the summary
        QTest::newRow("one of three") << "pod"
                                      << "secondary";
        QTest::newRow("all done") << "dd"
                                  << "green";
    }
    void history() {
        QFETCH(QString, statuses);
        TodoState state = V::stateOf(statuses);
        state.items[0].title = QString(500, u'w');
        V view("HistoryView", state);
        QVERIFY(V::text(view.find("emptyText")).startsWith("Nothing archived yet."));
        view.store->archiveAndClear();
        view.store->add("later the same minute");
        view.store->archiveAndClear();
        QTRY_COMPARE(view.rows("card").size(), 2);
        QVERIFY(!view.find("emptyText"));
        QCOMPARE(V::text(V::child(view.rows("card").at(0), "summary")), "0/1 done");
        QQuickItem* card = view.rows("card").at(1);
        QQuickItem* summary = V::child(card, "summary");
        QCOMPARE(V::text(summary),
                 QString("%1/%2 done").arg(statuses.count('d')).arg(statuses.size()));
        QFETCH(QString, colour);
        QVERIFY(view.themed(summary, colour));
        QCOMPARE(V::text(V::child(card, "stamp")), "2025-06-02 18:40");
        const auto icons = V::all(card, "entryIcon");
        const auto titles = V::all(card, "entryTitle");
        QCOMPARE(titles.size(), statuses.size());
        for (int i = 0; i < statuses.size(); ++i) {
            const bool done = statuses[i] == u'd';
            QCOMPARE(icons.at(i)->property("name").toString(),
                     done ? "checkmark.circle.fill" : "circle");
            QCOMPARE(V::text(titles.at(i)), state.items[i].title);
            QCOMPARE(titles.at(i)->property("font").value<QFont>().strikeOut(), done);
            QCOMPARE(titles.at(i)->property("lineCount").toInt(), 1);
        }
        QVERIFY(titles.at(0)->property("truncated").toBool());
    }
};

QTEST_MAIN(TestViews)
#include "test_views.moc"
