#include "RowMenu.h"
#include "ViewHarness.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

namespace {

const QStringList presenceNames{"pill",      "header",        "headerCount",
                                "addButton", "archiveButton", "collapseButton",
                                "emptyRow",  "allDoneRow",    "inputRow"};

void typeText(QQuickWindow& window, const QString& text) {
    for (const QChar c : text)
        QTest::keyClick(&window, c.toLatin1());
}

QQuickItem* rowPart(ViewHarness& view, int row, const QString& part) {
    QQuickItem* item = view.rows().value(row);
    return part.isEmpty() || !item ? item : ViewHarness::child(item, part);
}

} // namespace

class TestContentView : public QObject {
    Q_OBJECT

private slots:
    void presentation_data() {
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<bool>("collapsed");
        QTest::addColumn<bool>("inputActive");
        QTest::addColumn<QStringList>("shown");
        const QStringList idle{"header", "addButton", "collapseButton"};
        const QStringList typing{"header", "collapseButton", "inputRow"};
        const QStringList counted{"headerCount", "archiveButton"};
        QTest::newRow("empty") << "" << false << false << idle + QStringList{"emptyRow"};
        QTest::newRow("empty, typing") << "" << false << true << typing;
        QTest::newRow("one of three done") << "pod" << false << false << idle + counted;
        QTest::newRow("one of three done, typing") << "pod" << false << true << typing + counted;
        QTest::newRow("all done") << "dd" << false << false
                                  << idle + counted + QStringList{"allDoneRow"};
        QTest::newRow("all done, typing") << "dd" << false << true << typing + counted;
        QTest::newRow("collapsed") << "pod" << true << false << QStringList{"pill"};
        QTest::newRow("collapsed while typing") << "" << true << true << QStringList{"pill"};
    }
    void presentation() {
        QFETCH(QString, statuses);
        QFETCH(bool, collapsed);
        QFETCH(bool, inputActive);
        QFETCH(QStringList, shown);
        ViewHarness view("ContentView", ViewHarness::stateOf(statuses));
        view.store().setInputActive(inputActive);
        view.store().setCollapsed(collapsed);
        for (const QString& name : presenceNames)
            QVERIFY2((view.find(name) != nullptr) == shown.contains(name), qPrintable(name));
        QCOMPARE(view.rows().size(), collapsed ? 0 : statuses.size());
    }

    void progressTexts_data() {
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<QString>("pill");
        QTest::addColumn<QString>("colour");
        QTest::newRow("nothing yet")
            << QString("") << QString("What's on dayla today?") << "primary";
        QTest::newRow("one of three") << QString("pod") << QString("1/3") << "primary";
        QTest::newRow("two of twelve") << QString("ppppoooooodd") << QString("2/12") << "primary";
        QTest::newRow("all done") << QString("dd") << QString("dayla clear ✓") << "green";
    }
    void progressTexts() {
        QFETCH(QString, statuses);
        QFETCH(QString, colour);
        ViewHarness view("ContentView", ViewHarness::stateOf(statuses));
        const int done = int(statuses.count(u'd'));
        QQuickItem* count = view.find("headerCount");
        QCOMPARE(count != nullptr, !statuses.isEmpty());
        if (count)
            QCOMPARE(count->property("text").toString(),
                     QStringLiteral("%1/%2").arg(done).arg(statuses.size()));
        view.store().setCollapsed(true);
        QQuickItem* pill = view.find("pillText");
        QTEST(pill->property("text").toString(), "pill");
        QCOMPARE(pill->property("color").value<QColor>().rgba(),
                 view.theme()->property(qPrintable(colour)).value<QColor>().rgba());
    }

    void widths() {
        DaylaState state = ViewHarness::stateOf("pod");
        state.items[0].title = QString(400, u'W');
        ViewHarness view("ContentView", state);
        QCOMPARE(view.root()->implicitWidth(), 300.0);
        view.store().setCollapsed(true);
        const qreal counted = view.root()->implicitWidth();
        view.store().archiveAndClear();
        const qreal empty = view.root()->implicitWidth();
        QVERIFY2(counted < empty, qPrintable(QStringLiteral("%1 vs %2").arg(counted).arg(empty)));
        QVERIFY(empty < 300);
    }

    // A click makes exactly the one store call that the same action made directly makes.
    void oneClickOneCall_data() {
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<bool>("collapsed");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("direct");
        QTest::newRow("status icon") << "pod" << false << "statusIcon" << 1 << "cycle";
        QTest::newRow("row body") << "pod" << false << "rowBody" << 1 << "cycle";
        QTest::newRow("done row body reopens") << "pod" << false << "rowBody" << 2 << "cycle";
        QTest::newRow("remove button") << "pod" << false << "removeButton" << 0 << "remove";
        QTest::newRow("add button") << "pod" << false << "addButton" << -1 << "input";
        QTest::newRow("empty row") << "" << false << "emptyRow" << -1 << "input";
        QTest::newRow("archive button") << "pod" << false << "archiveButton" << -1 << "archive";
        QTest::newRow("collapse button") << "pod" << false << "collapseButton" << -1 << "collapse";
        QTest::newRow("pill") << "pod" << true << "pillText" << -1 << "expand";
    }
    void oneClickOneCall() {
        QFETCH(QString, statuses);
        QFETCH(bool, collapsed);
        QFETCH(QString, target);
        QFETCH(int, row);
        QFETCH(QString, direct);
        const DaylaState state = ViewHarness::stateOf(statuses);
        ViewHarness clicked("ContentView", state);
        ViewHarness called("ContentView", state);
        QList<bool> clickedHook, calledHook;
        clicked.store().onInputActiveChanged = [&](bool on) { clickedHook.append(on); };
        called.store().onInputActiveChanged = [&](bool on) { calledHook.append(on); };
        clicked.store().setCollapsed(collapsed);
        called.store().setCollapsed(collapsed);

        QQuickItem* item = nullptr;
        if (row >= 0) {
            clicked.hover(rowPart(clicked, row, {}));
            item = rowPart(clicked, row, target);
        } else {
            item = clicked.find(target);
        }
        QVERIFY(item && item->isVisible());
        QSignalSpy clickSteps(&clicked.store(), &DaylaStore::objectWillChange);
        clicked.click(item);

        QSignalSpy callSteps(&called.store(), &DaylaStore::objectWillChange);
        const QUuid id = row >= 0 ? called.store().state().items.at(row).id : QUuid();
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

    void returnAddsAndKeepsTheRowOpen_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("trimmed by the store") << "  Buy milk  " << QStringList{"Buy milk"};
        QTest::newRow("blank adds nothing") << "   " << QStringList{};
        QTest::newRow("empty adds nothing") << "" << QStringList{};
        QTest::newRow("markup stays text") << "*b* <i>x</i> \\n" << QStringList{"*b* <i>x</i> \\n"};
    }
    void returnAddsAndKeepsTheRowOpen() {
        QFETCH(QString, typed);
        ViewHarness view("ContentView", {});
        QList<bool> hook;
        view.store().onInputActiveChanged = [&](bool on) { hook.append(on); };
        view.click(view.find("addButton"));
        QQuickItem* field = view.find("inputField");
        QVERIFY(field);
        QTRY_VERIFY(field->hasActiveFocus());
        typeText(view.window(), typed);
        QTest::keyClick(&view.window(), Qt::Key_Return);

        QStringList titles;
        for (const DaylaItem& item : view.store().state().items)
            titles.append(item.title);
        QTEST(titles, "titles");
        QCOMPARE(field->property("text").toString(), QString());
        QVERIFY(field->hasActiveFocus());
        QVERIFY(view.store().inputActive());
        QCOMPARE(hook, QList<bool>{true});
        view.settle();
        for (QQuickItem* row : view.rows())
            QCOMPARE(ViewHarness::child(row, "title")->property("text").toString(),
                     titles.takeFirst());
    }

    void escapeEmptiesAndCloses() {
        ViewHarness view("ContentView", {});
        QList<bool> hook;
        view.store().onInputActiveChanged = [&](bool on) { hook.append(on); };
        view.click(view.find("emptyRow"));
        QQuickItem* field = view.find("inputField");
        QTRY_VERIFY(field && field->hasActiveFocus());
        typeText(view.window(), "half a thought");
        QTest::keyClick(&view.window(), Qt::Key_Escape);
        QCOMPARE(field->property("text").toString(), QString());
        QVERIFY(!view.store().inputActive());
        QCOMPARE(hook, (QList<bool>{true, false}));
        QVERIFY(view.find("emptyRow"));
        QVERIFY(view.find("addButton"));
        QVERIFY(view.store().state().items.isEmpty());
    }

    void draftSurvivesCollapse() {
        ViewHarness view("ContentView", ViewHarness::stateOf("o"));
        view.click(view.find("addButton"));
        QTRY_VERIFY(view.find("inputField") && view.find("inputField")->hasActiveFocus());
        typeText(view.window(), "unfinished");
        view.click(view.find("collapseButton"));
        QVERIFY(view.find("pill"));
        QVERIFY(view.store().inputActive());
        view.click(view.find("pillText"));
        QQuickItem* field = view.find("inputField");
        QVERIFY(field);
        QCOMPARE(field->property("text").toString(), "unfinished");
        QTRY_VERIFY(field->hasActiveFocus());
    }

    // Within the limit nothing scrolls and every row adds height; beyond it the strip is
    // exactly as tall as the limit and the header and input row stay inside it.
    void heightLimit_data() {
        QTest::addColumn<bool>("inputActive");
        QTest::addColumn<int>("spare");
        QTest::newRow("fits exactly") << false << 0;
        QTest::newRow("fits with room for more") << false << 100;
        QTest::newRow("one pixel too tall") << false << -1;
        QTest::newRow("typing, fits exactly") << true << 0;
        QTest::newRow("typing, far too tall") << true << -200;
    }
    void heightLimit() {
        QFETCH(bool, inputActive);
        QFETCH(int, spare);
        ViewHarness view("ContentView", ViewHarness::stateOf(QString(14, u'o')));
        view.store().setInputActive(inputActive);
        const qreal natural = view.root()->implicitHeight();
        const qreal limit = natural + spare;
        view.root()->setProperty("maxHeight", limit);
        auto* list = ViewHarness::child(view.root(), "list");
        const bool scrolls = spare < 0;
        QCOMPARE(view.root()->implicitHeight(), scrolls ? limit : natural);
        QCOMPARE(list->property("interactive").toBool(), scrolls);
        QCOMPARE(view.find("header")->mapToItem(view.root(), QPointF()).y(), 0.0);
        if (inputActive) {
            QQuickItem* input = view.find("inputRow");
            const qreal bottom = input->mapToItem(view.root(), QPointF(0, input->height())).y();
            QVERIFY(bottom <= view.root()->implicitHeight());
        }
        // Another entry grows the strip up to the limit, never past it.
        view.store().add("one more");
        view.settle();
        const qreal grown = natural + view.rows().constLast()->height() + 1;
        QCOMPARE(view.root()->implicitHeight(), scrolls ? limit : qMin(grown, limit));
    }

    // Without a limit from the host, the screen's work area is the limit.
    void screenLimitsByDefault() {
        ViewHarness view("ContentView", ViewHarness::stateOf(QString(200, u'o')));
        QCOMPARE(view.root()->implicitHeight(),
                 qreal(view.window().screen()->availableGeometry().height()));
        QVERIFY(view.rows().size() < 200);
    }

    void rowAppearance_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("iconColour");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("titleColour");
        QTest::addColumn<bool>("struck");
        QTest::addColumn<int>("weight");
        QTest::addColumn<qreal>("opacity");
        QTest::newRow("open") << QString("o") << QString("circle") << QString("secondary")
                              << QString("Click: mark in progress") << "primary" << false
                              << int(QFont::Medium) << 1.0;
        QTest::newRow("in progress")
            << QString("p") << QString("circle.lefthalf.filled") << QString("yellow")
            << QString("Click: mark done") << "primary" << false << int(QFont::Medium) << 1.0;
        QTest::newRow("done") << QString("d") << QString("checkmark.circle.fill")
                              << QString("green") << QString("Click: reopen") << "secondary" << true
                              << int(QFont::Normal) << 0.55;
    }
    void rowAppearance() {
        QFETCH(QString, status);
        ViewHarness view("ContentView", ViewHarness::stateOf(status));
        QObject* colours = view.theme();
        QQuickItem* row = view.rows().value(0);
        QVERIFY(row);
        QQuickItem* icon = ViewHarness::child(row, "statusIcon");
        QQuickItem* title = ViewHarness::child(row, "title");
        QTEST(icon->property("symbol").toString(), "symbol");
        QTEST(icon->property("tip").toString(), "tip");
        QFETCH(QString, iconColour);
        QCOMPARE(icon->property("color").value<QColor>().rgba(),
                 colours->property(qPrintable(iconColour)).value<QColor>().rgba());
        QFETCH(QString, titleColour);
        QCOMPARE(title->property("color").value<QColor>().rgba(),
                 colours->property(qPrintable(titleColour)).value<QColor>().rgba());
        const QFont font = title->property("font").value<QFont>();
        QTEST(font.strikeOut(), "struck");
        QTEST(int(font.weight()), "weight");
        QTEST(row->opacity(), "opacity");
    }

    void rowShowRules_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("hovering");
        QTest::addColumn<bool>("badge");
        QTest::addColumn<bool>("removeButton");
        QTest::newRow("open") << "o" << false << false << false;
        QTest::newRow("open, hovered") << "o" << true << false << true;
        QTest::newRow("in progress") << "p" << false << true << false;
        QTest::newRow("in progress, hovered") << "p" << true << false << true;
        QTest::newRow("done") << "d" << false << false << false;
        QTest::newRow("done, hovered") << "d" << true << false << true;
    }
    void rowShowRules() {
        QFETCH(QString, status);
        QFETCH(bool, hovering);
        ViewHarness view("ContentView", ViewHarness::stateOf(status));
        QQuickItem* row = view.rows().value(0);
        view.hover(hovering ? row : view.find("header"));
        QCOMPARE(row->property("hovering").toBool(), hovering);
        QTEST(ViewHarness::child(row, "nowBadge")->isVisible(), "badge");
        QTEST(ViewHarness::child(row, "removeButton")->isVisible(), "removeButton");
    }

    // The menu offers the two other statuses in order, a separator and "Remove"; each entry
    // does what it says.
    void rowMenu_data() {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("pick");
        QTest::addColumn<QString>("after"); // status after the pick, empty when removed
        QTest::newRow("open, mark in progress")
            << "o" << QStringList{"Mark In Progress", "Mark Done", "", "Remove"} << 0 << "p";
        QTest::newRow("in progress, mark open")
            << "p" << QStringList{"Mark Open", "Mark Done", "", "Remove"} << 0 << "o";
        QTest::newRow("in progress, mark done")
            << "p" << QStringList{"Mark Open", "Mark Done", "", "Remove"} << 1 << "d";
        QTest::newRow("done, remove")
            << "d" << QStringList{"Mark Open", "Mark In Progress", "", "Remove"} << 3 << "";
    }
    void rowMenu() {
        QFETCH(QString, status);
        QFETCH(int, pick);
        QFETCH(QString, after);
        ViewHarness view("ContentView", ViewHarness::stateOf(status));
        QQuickItem* row = view.rows().value(0);
        view.click(row, Qt::RightButton);
        auto* rowMenu = row->findChild<RowMenu*>();
        QVERIFY(rowMenu && rowMenu->menu());
        QStringList entries;
        for (QAction* action : rowMenu->menu()->actions())
            entries.append(action->isSeparator() ? QString() : action->text());
        QTEST(entries, "entries");
        QVERIFY(view.store().state().items.at(0).status ==
                ViewHarness::stateOf(status).items.at(0).status);

        rowMenu->menu()->actions().at(pick)->trigger();
        const auto& items = view.store().state().items;
        if (after.isEmpty())
            QVERIFY(items.isEmpty());
        else
            QCOMPARE(items.at(0).status, ViewHarness::stateOf(after).items.at(0).status);
        view.settle();
    }

    void hostileTitles_data() {
        QTest::addColumn<QString>("title");
        QTest::newRow("control characters") << QStringLiteral("a\u0001b\u0007c\td\u001Fe\u007F");
        QTest::newRow("line breaks inside")
            << QStringLiteral("first\nsecond\nthird\u2028fourth\rfifth");
        QTest::newRow("right to left") << QStringLiteral("\u05E9\u05DC\u05D5\u05DD 123 abc");
        QTest::newRow("combining marks") << QStringLiteral("e\u0301\u0301\u0301 Z\u0351\u0352");
        QTest::newRow("emoji") << QStringLiteral(
            "\U0001F469\u200D\U0001F469\u200D\U0001F467 \U0001F389");
        QTest::newRow("10,000 letters") << QString(10000, u'x');
        QTest::newRow("10,000 characters of words") << QStringLiteral("word ").repeated(2000);
    }
    void hostileTitles() {
        QFETCH(QString, title);
        DaylaState state = ViewHarness::stateOf("oo");
        state.items[0].title = title;
        state.items[1].title = QStringLiteral("plain");
        ViewHarness view("ContentView", state);
        QQuickItem* row = view.rows().value(0);
        QQuickItem* text = ViewHarness::child(row, "title");
        QCOMPARE(text->property("text").toString(), title);
        QVERIFY(text->property("lineCount").toInt() <= 2);
        const QFontMetricsF metrics(text->property("font").value<QFont>());
        QVERIFY2(row->height() < view.rows().at(1)->height() + 2.5 * metrics.height(),
                 qPrintable(QString::number(row->height())));
    }

    void accessibleNames() {
        ViewHarness view("ContentView", ViewHarness::stateOf("p"));
        view.hover(view.rows().at(0));
        const QStringList buttons{"addButton", "archiveButton", "collapseButton", "statusIcon",
                                  "removeButton"};
        for (const QString& name : buttons) {
            QQuickItem* button = view.find(name);
            QVERIFY2(button, qPrintable(name));
            QQuickItem* control = button->childItems().constLast();
            QAccessibleInterface* access = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(access, qPrintable(name));
            QCOMPARE(access->text(QAccessible::Name), button->property("tip").toString());
        }
        QAccessibleInterface* row = QAccessible::queryAccessibleInterface(view.rows().at(0));
        QCOMPARE(row->text(QAccessible::Name), "Entry 1");
        QCOMPARE(row->text(QAccessible::Description), "in progress");
    }
};

QTEST_MAIN(TestContentView)
#include "test_content_view.moc"
