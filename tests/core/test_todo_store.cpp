#include "StoreFolder.h"
#include "TodoStore.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <ctime>

namespace {

const QList<QUuid> ids{QUuid::createUuid(), QUuid::createUuid(), QUuid::createUuid(),
                       QUuid::createUuid()};

// The id named by the first letter of a title: A, B, C or D; any other letter, no entry's.
QUuid idOf(const QString& title) {
    return ids.value(title.at(0).unicode() - u'A');
}

// "A/inProgress, B2/open": titles and statuses in display order.
TodoState stateOf(const QString& text) {
    TodoState state;
    for (const QString& entry : text.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const QString title = entry.section(u'/', 0, 0);
        state.items.append({idOf(title), title, *itemStatusFromText(entry.section(u'/', 1))});
    }
    return state;
}

QString summary(const QList<TodoItem>& items) {
    QStringList out;
    for (const TodoItem& item : items)
        out << item.title + u'/' + itemStatusText(item.status);
    return out.join(QStringLiteral(", "));
}

} // namespace

class TestTodoStore : public QObject {
    Q_OBJECT

private slots:
    void defaultStoreUsesTheUsersDataFolder();
    void operations_data();
    void operations();
    void sortingKeepsTheOrderWithinAStatus();
    void flagsNotifyAndOnlyTheUserCallsTheHook();
    void archiveKeepsTheNewest120DaysAndTheFlags();
};

void TestTodoStore::defaultStoreUsesTheUsersDataFolder() {
    QVERIFY2(qEnvironmentVariableIsSet("XDG_DATA_HOME"), "run through run-isolated.sh");
    QCoreApplication::setOrganizationName("SomeOrg");
    QCoreApplication::setApplicationName("something-else");
    TodoStore store;
    QCOMPARE(store.fileURL(), qEnvironmentVariable("XDG_DATA_HOME") + "/Pinstrip/todo.json");
    store.add("x");
    QCOMPARE(TodoStore().state().items.size(), 1);
}

void TestTodoStore::operations_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("change");    // "operation = entries after it"
    QTest::addColumn<int>("notifications"); // none: nothing written either
    const QString start = "A/inProgress, B/open, C/open, D/done";
    const QString unsorted = "A/done, B/open, C/done, D/inProgress";
    const QString twins = "A1/open, A2/open";
    const QString empty;
    QTest::newRow("add trimmed: after the last open")
        << start << "add   Buy milk\n = A/inProgress, B/open, C/open, Buy milk/open, D/done" << 2;
    QTest::newRow("add: Unicode separators and U+0085 at the ends")
        << empty << "add \u00a0\u2028\u3000\u0085\u2002x\u2029\u0085\u2009 = x/open" << 2;
    QTest::newRow("add: separators inside kept")
        << empty << "add  a\u00a0b\u2028c\u0085d  = a\u00a0b\u2028c\u0085d/open" << 2;
    QTest::newRow("add: zero width space and U+FEFF are no space")
        << empty << "add \u200bx\ufeff = \u200bx\ufeff/open" << 2;
    QTest::newRow("add: emoji at the ends kept whole") << empty << "add  😀 x 😀  = 😀 x 😀/open" << 2;
    QTest::newRow("add blank") << start << "add \t\u00a0\u2028\u3000\u0085\r\n = " + start << 0;
    QTest::newRow("cycle open: last in progress")
        << start << "cycle C = A/inProgress, C/inProgress, B/open, D/done" << 2;
    QTest::newRow("cycle in progress: first done")
        << start << "cycle A = B/open, C/open, A/done, D/done" << 2;
    QTest::newRow("cycle done: last open")
        << start << "cycle D = A/inProgress, B/open, C/open, D/open" << 2;
    QTest::newRow("cycle unknown id") << start << "cycle X = " + start << 0;
    QTest::newRow("set open to done: first done")
        << start << "set B done = A/inProgress, C/open, B/done, D/done" << 2;
    QTest::newRow("set unknown id") << start << "set X done = " + start << 0;
    QTest::newRow("remove") << start << "remove B = A/inProgress, C/open, D/done" << 1;
    QTest::newRow("remove unknown id still writes") << start << "remove X = " + start << 1;
    QTest::newRow("archive") << start << "archive = " << 3;
    QTest::newRow("file order kept until the first sort")
        << unsorted << "cycle B = B/inProgress, D/inProgress, A/done, C/done" << 2;
    QTest::newRow("twin ids: cycle the first") << twins << "cycle A = A1/inProgress, A2/open" << 2;
    QTest::newRow("twin ids: set the first") << twins << "set A done = A2/open, A1/done" << 2;
    QTest::newRow("twin ids: remove both") << twins << "remove A = " << 1;
}

void TestTodoStore::operations() {
    QFETCH(QString, start);
    QFETCH(QString, change);
    QFETCH(int, notifications);
    const QString operation = change.section(QStringLiteral(" = "), 0, 0);
    const QString after = change.section(QStringLiteral(" = "), 1);
    StoreFolder dir;
    QVERIFY(dir.setState(stateOf(start)));
    TodoStore store(dir.path(), StoreFolder::clock());
    QVERIFY(QFile::remove(dir.file()));

    // Each notification must come before its change: record what observers see at that time.
    QList<TodoState> seen;
    int changed = 0;
    connect(&store, &TodoStore::objectWillChange, this, [&] { seen << store.state(); });
    connect(&store, &TodoStore::stateChanged, this, [&] { ++changed; });
    const QString verb = operation.section(u' ', 0, 0);
    const QString argument = operation.section(u' ', 1);
    if (verb == "add")
        store.add(argument);
    else if (verb == "cycle")
        store.cycle(idOf(argument));
    else if (verb == "set")
        store.setStatus(idOf(argument), *itemStatusFromText(argument.section(u' ', 1)));
    else if (verb == "remove")
        store.remove(idOf(argument));
    else
        store.archiveAndClear();

    QCOMPARE(summary(store.state().items), after);
    QCOMPARE(seen.size(), notifications);
    QCOMPARE(changed, notifications);
    if (!seen.isEmpty())
        QCOMPARE(seen.first(), stateOf(start));
    QCOMPARE(dir.state(), notifications ? std::optional(store.state()) : std::nullopt);
}

void TestTodoStore::sortingKeepsTheOrderWithinAStatus() {
    // Long enough for an unstable sort to shuffle entries of the same status.
    StoreFolder dir;
    TodoStore store(dir.path(), StoreFolder::clock());
    for (int i = 0; i < 100; ++i)
        store.add(QString::number(i));
    for (int i = 0; i < 100; i += 3)
        store.cycle(store.state().items.at(i).id);
    QMap<ItemStatus, int> last;
    for (const TodoItem& item : store.state().items) {
        QVERIFY2(item.title.toInt() > last.value(item.status, -1), qPrintable(item.title));
        last[item.status] = item.title.toInt();
    }
    QCOMPARE(last.size(), 2);
}

void TestTodoStore::flagsNotifyAndOnlyTheUserCallsTheHook() {
    StoreFolder dir;
    TodoStore store(dir.path(), StoreFolder::clock());
    QList<bool> hook; // whether it was called after the assignment
    store.onInputActiveChanged = [&](bool active) { hook << (store.inputActive() == active); };
    QSignalSpy willChange(&store, &TodoStore::objectWillChange);
    store.setInputActive(true);
    store.setInputActive(true);
    QCOMPARE(willChange.size(), 2); // also for an unchanged value
    store.add("entry");
    store.archiveAndClear();
    QVERIFY(hook.isEmpty());
    store.userSetInputActive(false);
    QCOMPARE(hook, QList<bool>{true});
}

void TestTodoStore::archiveKeepsTheNewest120DaysAndTheFlags() {
    StoreFolder dir;
    TodoState state = stateOf("A/inProgress, B/done");
    for (int day = 0; day < 119; ++day)
        state.archive.append({QString::number(day), {}});
    QVERIFY(dir.setState(state));
    // Stamped in local time, with ASCII digits whatever the locale: 2 June 2025, 16:05 UTC is
    // 01:35 the next day at UTC+9:30.
    qputenv("TZ", "XST-9:30");
    ::tzset();
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    TodoStore store(dir.path(), [] { return QDateTime::fromSecsSinceEpoch(1748880300, Qt::UTC); });
    store.setCollapsed(true);
    store.setInputActive(true);
    store.archiveAndClear();
    store.add("next");
    store.archiveAndClear(); // the same minute again: both kept, the oldest day dropped
    QSignalSpy willChange(&store, &TodoStore::objectWillChange);
    store.archiveAndClear(); // an empty list: nothing happens
    QLocale::setDefault(QLocale::c());
    qunsetenv("TZ");
    ::tzset();

    const QList<ArchivedDay>& archive = store.state().archive;
    QCOMPARE(willChange.size(), 0);
    QCOMPARE(archive.size(), TodoStore::archiveLimit);
    QCOMPARE(archive.at(0).date, "2025-06-03 01:35");
    QCOMPARE(summary(archive.at(0).items), "next/open");
    QCOMPARE(archive.at(1), (ArchivedDay{"2025-06-03 01:35", state.items}));
    QCOMPARE(archive.at(119).date, "117");
    QVERIFY(store.state().items.isEmpty() && store.collapsed() && store.inputActive());
    QCOMPARE(dir.state(), store.state());
}

QTEST_GUILESS_MAIN(TestTodoStore)
#include "test_todo_store.moc"
