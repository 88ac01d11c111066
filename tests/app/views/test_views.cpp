#include "RowMenu.h"
#include "StatusItem.h"
#include "ViewHarness.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <cmath>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

using V = ViewHarness;

namespace {

QColor colourOf(const QObject* item, const char* property = "color") {
    return item->property(property).value<QColor>();
}

// `top` as drawn over the opaque `bottom`, with the opacity of the item it belongs to.
QColor over(const QColor& top, const QColor& bottom, qreal opacity = 1) {
    const qreal a = top.alphaF() * opacity;
    return QColor::fromRgbF(top.redF() * a + bottom.redF() * (1 - a),
                            top.greenF() * a + bottom.greenF() * (1 - a),
                            top.blueF() * a + bottom.blueF() * (1 - a));
}

qreal effectiveOpacity(const QQuickItem* item) {
    return item ? item->opacity() * effectiveOpacity(item->parentItem()) : 1;
}

// WCAG 2 contrast ratio of two opaque colours.
qreal contrastRatio(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](qreal v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const qreal la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
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
        QTest::newRow("one of three, typing") << "pod" << true << typing + counted << "";
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
        V view("ContentView", V::stateOf(statuses));
        QFETCH(bool, typing);
        const bool collapsed = shown == "pill";
        view.store().setInputActive(typing);
        view.store().setCollapsed(collapsed);
        for (const QString name : {"pill", "header", "headerCount", "addButton", "archiveButton",
                                   "collapseButton", "emptyRow", "allDoneRow", "inputRow"})
            QVERIFY2(bool(view.find(name)) == shown.split(' ').contains(name), qPrintable(name));
        QCOMPARE(view.rows().size(), collapsed ? 0 : statuses.size());
        if (QQuickItem* count = view.find("headerCount"))
            QCOMPARE(V::text(count),
                     QString("%1/%2").arg(statuses.count(u'd')).arg(statuses.size()));
        const qreal width = view.root()->implicitWidth();
        if (!collapsed) {
            QCOMPARE(width, 300.0);
            return;
        }
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
        // clang-format off
        QTest::newRow("status icon") << "statusIcon" << 1 << "cycle";
        QTest::newRow("row body") << "rowBody" << 1 << "cycle";
        QTest::newRow("done row body reopens") << "rowBody" << 2 << "cycle";
        QTest::newRow("remove button") << "removeButton" << 0 << "remove";
        QTest::newRow("add button") << "addButton" << -1 << "input";
        QTest::newRow("empty row") << "emptyRow" << -1 << "input";
        QTest::newRow("archive button") << "archiveButton" << -1 << "archive";
        QTest::newRow("collapse button") << "collapseButton" << -1 << "collapse";
        QTest::newRow("pill") << "pillText" << -1 << "expand";
        // clang-format on
    }
    void oneClickOneCall() {
        QFETCH(QString, target);
        QFETCH(int, row);
        QFETCH(QString, direct);
        const bool collapsed = target == "pillText";
        const TodoState state = V::stateOf(target == "emptyRow" ? "" : "pod");
        V clicked("ContentView", state), called("ContentView", state);
        QList<bool> clickedHook, calledHook;
        clicked.store().onInputActiveChanged = [&](bool on) { clickedHook.append(on); };
        called.store().onInputActiveChanged = [&](bool on) { calledHook.append(on); };
        clicked.store().setCollapsed(collapsed);
        called.store().setCollapsed(collapsed);
        if (row >= 0)
            clicked.hover(clicked.rows().value(row));
        QQuickItem* item =
            row >= 0 ? V::child(clicked.rows().value(row), target) : clicked.find(target);
        QVERIFY(item && item->isVisible());
        QSignalSpy clickSteps(&clicked.store(), &TodoStore::objectWillChange);
        clicked.click(item);

        QSignalSpy callSteps(&called.store(), &TodoStore::objectWillChange);
        const QUuid id = row >= 0 ? state.items.at(row).id : QUuid();
        if (direct == "cycle")
            called.store().cycle(id);
        else if (direct == "remove")
            called.store().remove(id);
        else if (direct == "input")
            called.store().userSetInputActive(true);
        else if (direct == "archive")
            called.store().archiveAndClear();
        else
            called.store().setCollapsed(direct == "collapse");
        QCOMPARE(clickSteps.size(), callSteps.size());
        QCOMPARE(clicked.store().state(), called.store().state());
        QCOMPARE(clickedHook, calledHook);
        QCOMPARE(clicked.store().inputActive(), called.store().inputActive());
        QCOMPARE(clicked.store().collapsed(), called.store().collapsed());
    }

    // Return adds what the store accepts and keeps the row open and focused for the next one;
    // a draft survives collapsing and expanding, and Escape empties it and closes the row.
    void typing_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("escape");   // after collapsing and expanding
        QTest::addColumn<QString>("added"); // empty: nothing
        // clang-format off
        QTest::newRow("trimmed by the store") << "  Buy milk  " << false << "Buy milk";
        QTest::newRow("blank adds nothing") << "   " << false << "";
        QTest::newRow("draft kept, Escape drops it") << "half a thought" << true << "";
        // clang-format on
    }
    void typing() {
        QFETCH(QString, typed);
        QFETCH(bool, escape);
        QFETCH(QString, added);
        V view("ContentView");
        QList<bool> hook;
        view.store().onInputActiveChanged = [&](bool on) { hook.append(on); };
        view.click(view.find("addButton"));
        QQuickItem* field = view.find("inputField");
        QTRY_VERIFY(field && field->hasActiveFocus());
        view.type(typed);
        if (escape) {
            view.click(view.find("collapseButton"));
            QVERIFY(view.find("pill") && view.store().inputActive());
            view.click(view.find("pillText"));
            field = view.find("inputField");
            QVERIFY(field);
            QCOMPARE(V::text(field), typed);
            QTRY_VERIFY(field->hasActiveFocus());
        }
        QTest::keyClick(&view.window(), escape ? Qt::Key_Escape : Qt::Key_Return);
        QCOMPARE(V::text(field), QString());
        QVERIFY(escape || field->hasActiveFocus());
        QCOMPARE(view.store().inputActive(), !escape);
        QCOMPARE(hook, (escape ? QList<bool>{true, false} : QList<bool>{true}));
        QTRY_COMPARE(view.rows().size(), added.isEmpty() ? 0 : 1);
        if (!added.isEmpty())
            QCOMPARE(V::text(V::child(view.rows().at(0), "title")), added);
    }

    // Within the limit nothing scrolls and every row adds height; beyond it the strip is exactly
    // as tall as the limit, the header and input row stay in it, and the rows scroll and show
    // that they do. An entry typed into the input row is scrolled into view.
    void heightLimit_data() {
        QTest::addColumn<bool>("typing");
        QTest::addColumn<int>("spare");
        QTest::newRow("fits exactly") << false << 0;
        QTest::newRow("fits with room for more") << false << 100;
        QTest::newRow("one pixel too tall") << false << -1;
        QTest::newRow("typing, fits exactly") << true << 0;
        QTest::newRow("typing, far too tall") << true << -200;
    }
    void heightLimit() {
        QFETCH(bool, typing);
        QFETCH(int, spare);
        V view("ContentView", V::stateOf(QString(14, u'o')));
        view.store().setInputActive(typing);
        const qreal natural = view.root()->implicitHeight();
        const qreal limit = natural + spare;
        view.root()->setProperty("maxHeight", limit);
        const bool scrolls = spare < 0;
        QQuickItem* list = V::child(view.root(), "list");
        QCOMPARE(view.root()->implicitHeight(), scrolls ? limit : natural);
        QCOMPARE(list->property("interactive").toBool(), scrolls);
        QCOMPARE(bool(view.find("scrollIndicator")), scrolls);
        QCOMPARE(view.find("header")->mapToItem(view.root(), QPointF()).y(), 0.0);
        if (QQuickItem* input = view.find("inputRow"))
            QVERIFY(input->mapToItem(view.root(), QPointF(0, input->height())).y() <=
                    view.root()->implicitHeight());
        const qreal rowHeight = view.rows().constLast()->height();
        if (typing) {
            view.type("one more");
            QTest::keyClick(&view.window(), Qt::Key_Return);
        } else {
            view.store().add("one more");
        }
        QTRY_COMPARE(view.root()->implicitHeight(), qMin(natural + rowHeight + 1, limit));
        QTRY_COMPARE(bool(view.find("scrollIndicator")), natural + rowHeight + 1 > limit);
        const auto shown = [&] {
            const QList<QQuickItem*> rows = view.rows();
            return std::any_of(rows.cbegin(), rows.cend(), [&](QQuickItem* row) {
                const qreal top = row->mapToItem(list, QPointF()).y();
                return V::text(V::child(row, "title")) == "one more" && top >= 0 &&
                       top + row->height() <= list->height();
            });
        };
        if (typing)
            QTRY_VERIFY(shown());
    }

    // Without a limit from the host the screen's work area is the limit, and rows beyond it
    // are not built.
    void screenLimitsByDefault() {
        V view("ContentView", V::stateOf(QString(200, u'o')));
        QCOMPARE(view.root()->implicitHeight(),
                 qreal(view.window().screen()->availableGeometry().height()));
        QVERIFY(view.rows().size() < 200);
    }

    // How a row looks by status; hovering hides the "now" badge and shows the remove button.
    void rowAppearance_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("iconColour");
        QTest::addColumn<QString>("tip");
        // clang-format off
        QTest::newRow("open") << "o" << "circle" << "secondary" << "Click: mark in progress";
        QTest::newRow("in progress") << "p" << "circle.lefthalf.filled" << "yellow" << "Click: mark done";
        QTest::newRow("done") << "d" << "checkmark.circle.fill" << "green" << "Click: reopen";
        // clang-format on
    }
    void rowAppearance() {
        QFETCH(QString, status);
        QFETCH(QString, iconColour);
        QFETCH(QString, tip);
        V view("ContentView", V::stateOf(status));
        QQuickItem* row = view.rows().value(0);
        QVERIFY(row);
        QQuickItem* icon = V::child(row, "statusIcon");
        QQuickItem* title = V::child(row, "title");
        QTEST(icon->property("symbol").toString(), "symbol");
        QCOMPARE(icon->property("tip").toString(), tip);
        QVERIFY(view.themed(icon, iconColour));
        QVERIFY(view.themed(title, status == "d" ? "secondary" : "primary"));
        QCOMPARE(title->property("font").value<QFont>().strikeOut(), status == "d");
        const auto* access = QAccessible::queryAccessibleInterface(icon->childItems().constLast());
        QCOMPARE(access->text(QAccessible::Name), tip);
        QCOMPARE(QAccessible::queryAccessibleInterface(row)->text(QAccessible::Name), "Entry 1");
        QCOMPARE(QAccessible::queryAccessibleInterface(row)->text(QAccessible::Description),
                 QTest::currentDataTag());

        view.hover(view.find("header"));
        QCOMPARE(V::child(row, "nowBadge")->isVisible(), status == "p");
        QVERIFY(!V::child(row, "removeButton")->isVisible());
        view.hover(row);
        QVERIFY(!V::child(row, "nowBadge")->isVisible());
        QVERIFY(V::child(row, "removeButton")->isVisible());
    }

    // The menu offers the two other statuses in order, a separator and "Remove"; each entry
    // does what it says.
    void rowMenu_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("entries"); // empty: separator
        QTest::addColumn<int>("pick");
        QTest::addColumn<QString>("after"); // empty: removed
        // clang-format off
        QTest::newRow("open, mark in progress") << "o" << "Mark In Progress|Mark Done||Remove" << 0 << "p";
        QTest::newRow("in progress, mark open") << "p" << "Mark Open|Mark Done||Remove" << 0 << "o";
        QTest::newRow("in progress, mark done") << "p" << "Mark Open|Mark Done||Remove" << 1 << "d";
        QTest::newRow("done, remove") << "d" << "Mark Open|Mark In Progress||Remove" << 3 << "";
        // clang-format on
    }
    void rowMenu() {
        QFETCH(QString, status);
        QFETCH(int, pick);
        QFETCH(QString, after);
        V view("ContentView", V::stateOf(status));
        QQuickItem* row = view.rows().value(0);
        view.click(row, Qt::RightButton);
        auto* rowMenu = row->findChild<RowMenu*>();
        QVERIFY(rowMenu && rowMenu->menu());
        QStringList entries;
        for (QAction* action : rowMenu->menu()->actions())
            entries.append(action->isSeparator() ? QString() : action->text());
        QTEST(entries.join('|'), "entries");
        QCOMPARE(view.store().state().items.at(0).status, V::stateOf(status).items.at(0).status);
        rowMenu->menu()->actions().at(pick)->trigger();
        const auto& items = view.store().state().items;
        QCOMPARE(items.size(), after.isEmpty() ? 0 : 1);
        if (!after.isEmpty())
            QCOMPARE(items.at(0).status, V::stateOf(after).items.at(0).status);
    }

    // Shown exactly, in at most two lines.
    void hostileTitles_data() {
        QTest::addColumn<QString>("title");
        QTest::newRow("line breaks inside") << QString("first\nsecond\nthird\u2028fourth\rfifth");
        QTest::newRow("10,000 letters") << QString(10000, u'x');
        QTest::newRow("10,000 characters of words") << QString("word ").repeated(2000);
    }
    void hostileTitles() {
        QFETCH(QString, title);
        TodoState state = V::stateOf("oo");
        state.items[0].title = title;
        V view("ContentView", state);
        QQuickItem* row = view.rows().value(0);
        QQuickItem* text = V::child(row, "title");
        QCOMPARE(V::text(text), title);
        QVERIFY(text->property("lineCount").toInt() <= 2);
        const QFontMetricsF metrics(text->property("font").value<QFont>());
        QVERIFY2(row->height() < view.rows().at(1)->height() + 2.5 * metrics.height(),
                 qPrintable(QString::number(row->height())));
    }

    // Keys carry the names a Linux keyboard shows, and the empty row's hint reads as text.
    void keyNames() {
        V view("ContentView");
        QCOMPARE(view.find("addButton")->property("tip").toString(), "Add (Ctrl+Alt+T)");
        QQuickItem* keys = view.find("summonKeys");
        QCOMPARE(V::text(keys), "Ctrl+Alt+T");
        QVERIFY(keys->property("font").value<QFont>().pixelSize() >= 11);
        QCOMPARE(StatusItem::toolTip, "Pinstrip — today's list, pinned above everything. "
                                      "Double-tap Alt to summon.");
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
        QTest::mouseClick(&view.window(), Qt::LeftButton, {}, spot);
        // The open entry has slid into the place of the one now done.
        QTRY_COMPARE(view.rows().at(0)->property("itemId").toString(), state.items[1].idText());
        QTRY_COMPARE(view.rows().at(0)->y(), 0.0);
        QQuickItem* target = second < 0 ? nullptr : view.rows().at(second);
        QTest::mouseClick(&view.window(), Qt::LeftButton, {},
                          target ? target->mapToScene(QPointF(150, 10)).toPoint() : spot);
        QStringList statuses;
        for (const TodoItem& entry : state.items)
            for (const TodoItem& now : view.store().state().items)
                if (now.id == entry.id)
                    statuses.append(now.status == ItemStatus::done         ? "d"
                                    : now.status == ItemStatus::inProgress ? "p"
                                                                           : "o");
        QTEST(statuses.join(QString()), "after");
    }

    // The remove button is at least 24 by 24, inside its own row, clear of the status icon and
    // the title, and a click on its edge removes without cycling.
    void removeTarget() {
        TodoState state = V::stateOf("po");
        state.items[1].title =
            QString("a title long enough to wrap onto a second line ").repeated(2);
        V view("ContentView", state);
        for (QQuickItem* row : view.rows()) {
            view.hover(row);
            const auto scene = [row](const char* name, const char* inner = nullptr) {
                QQuickItem* item = V::child(row, name);
                if (inner)
                    item = V::child(item, inner);
                return item->mapRectToScene(item->boundingRect());
            };
            const QRectF hit = scene("removeButton", "target");
            QVERIFY2(hit.width() >= 24 && hit.height() >= 24,
                     qPrintable(QString::number(hit.height())));
            QVERIFY(row->mapRectToScene(row->boundingRect()).contains(hit));
            QVERIFY(!hit.intersects(scene("statusIcon", "target")));
            QVERIFY(!hit.intersects(scene("title")));
        }
        QQuickItem* row = view.rows().at(0);
        view.hover(row);
        const QRectF hit =
            V::child(V::child(row, "removeButton"), "target")->mapRectToScene(QRectF(0, 0, 24, 24));
        QTest::mouseClick(&view.window(), Qt::LeftButton, {},
                          (hit.topLeft() + QPointF(1, 1)).toPoint());
        QCOMPARE(view.store().state().items.size(), 1);
        QCOMPARE(view.store().state().items.at(0).status, ItemStatus::open);
    }

    // On a light and a dark desktop: text 4.5:1 against what lies behind it, the marks of the
    // hovered row and of the input field 3:1, and an edge that parts a translucent strip from
    // what lies behind it.
    void contrast_data() {
        QTest::addColumn<QColor>("window");
        QTest::addColumn<QColor>("text");
        QTest::newRow("light") << QColor("#efefef") << QColor(Qt::black);
        QTest::newRow("dark") << QColor("#353535") << QColor(Qt::white);
    }
    void contrast() {
        QFETCH(QColor, window);
        QFETCH(QColor, text);
        const QPalette before = QGuiApplication::palette();
        QPalette palette = before;
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, text);
        QGuiApplication::setPalette(palette);
        const auto restore = qScopeGuard([&] { QGuiApplication::setPalette(before); });
        V view("ContentView", V::stateOf("pod")), empty("ContentView");
        view.store().setInputActive(true);
        const auto drawn = [&](const QQuickItem* item, const QColor& behind,
                               const char* property = "color") {
            return over(colourOf(item, property), behind, effectiveOpacity(item));
        };
        const auto at = [&](int row, const char* name) {
            return V::child(view.rows().at(row), name);
        };
        QList<std::tuple<const char*, QColor, QColor, qreal>> checks;
        view.hover(view.rows().at(2));
        const QColor doneTint = drawn(at(2, "hoverTint"), window);
        checks.append(
            {"hover mark of a done row", drawn(at(2, "hoverMark"), doneTint), doneTint, 3});
        view.hover(view.rows().at(1));
        const QColor tint = drawn(at(1, "hoverTint"), window);
        checks.append({"hover mark", drawn(at(1, "hoverMark"), tint), tint, 3});
        checks.append({"hovered title", drawn(at(1, "title"), tint), tint, 4.5});
        const QColor badge = drawn(at(0, "nowBadge"), window);
        checks.append({"now", drawn(at(0, "nowText"), badge), badge, 4.5});
        QQuickItem* field = view.find("fieldBackground");
        const QColor fill = drawn(field, window);
        checks.append({"field outline",
                       over(colourOf(field->property("border").value<QObject*>()), window), window,
                       3});
        checks.append({"placeholder", drawn(view.find("placeholder"), fill), fill, 4.5});
        checks.append({"summon keys", drawn(empty.find("summonKeys"), window), window, 4.5});
        checks.append(
            {"strip edge",
             over(colourOf(view.find("edge")->property("border").value<QObject*>()), window),
             window, 1.5});
        for (const auto& [name, front, back, minimum] : checks)
            QVERIFY2(contrastRatio(front, back) >= minimum,
                     qPrintable(QString("%1: %2").arg(name).arg(contrastRatio(front, back))));
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
        view.store().archiveAndClear();
        view.store().add("later the same minute");
        view.store().archiveAndClear();
        QTRY_COMPARE(view.rows("card").size(), 2);
        QVERIFY(!view.find("emptyText"));
        QCOMPARE(V::text(V::child(view.rows("card").at(0), "summary")), "0/1 done");
        QQuickItem* card = view.rows("card").at(1);
        QQuickItem* summary = V::child(card, "summary");
        QCOMPARE(V::text(summary),
                 QString("%1/%2 done").arg(statuses.count(u'd')).arg(statuses.size()));
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
