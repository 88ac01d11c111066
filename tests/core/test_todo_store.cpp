#include "StoreFolder.h"
#include "TodoStore.h"

#include <QSignalSpy>
#include <QTest>

#include <ctime>

namespace {

// What a row does to the store, given the id of the entry it acts on.
using Op = void (*)(TodoStore&, const QUuid&);
const Op add = [](TodoStore& store, const QUuid&) { store.add("E"); };
const Op cycle = [](TodoStore& store, const QUuid& id) { store.cycle(id); };
const Op setDone = [](TodoStore& store, const QUuid& id) { store.setStatus(id, ItemStatus::done); };
const Op drop = [](TodoStore& store, const QUuid& id) { store.remove(id); };
const Op archive = [](TodoStore& store, const QUuid&) { store.archiveAndClear(); };

// With twins the second entry carries the first's id; row -1 is an id no entry has; with no
// notifications nothing is written either.
struct Case {
    QString start;
    bool twins;
    Op op;
    int row, notifications;
    QString after;
};

} // namespace

Q_DECLARE_METATYPE(Case)

class TestTodoStore : public QObject {
    Q_OBJECT

private slots:
    void operations_data() {
        QTest::addColumn<Case>("c");
        // clang-format off
        QTest::newRow("add: after the last open") << Case{"pood", false, add, -1, 2, "Ap Bo Co Eo Dd"};
        QTest::newRow("cycle open: last in progress") << Case{"pood", false, cycle, 2, 2, "Ap Cp Bo Dd"};
        QTest::newRow("cycle in progress: first done") << Case{"pood", false, cycle, 0, 2, "Bo Co Ad Dd"};
        QTest::newRow("cycle done: last open") << Case{"pood", false, cycle, 3, 2, "Ap Bo Co Do"};
        QTest::newRow("cycle unknown id") << Case{"pood", false, cycle, -1, 0, "Ap Bo Co Dd"};
        QTest::newRow("set open to done: first done") << Case{"pood", false, setDone, 1, 2, "Ap Co Bd Dd"};
        QTest::newRow("remove") << Case{"pood", false, drop, 1, 1, "Ap Co Dd"};
        QTest::newRow("archive") << Case{"pood", false, archive, -1, 3, ""};
        QTest::newRow("file order kept until the first sort") << Case{"dodp", false, cycle, 1, 2, "Bp Dp Ad Cd"};
        QTest::newRow("twin ids: cycle the first") << Case{"oo", true, cycle, 0, 2, "Ap Bo"};
        QTest::newRow("twin ids: remove both") << Case{"oo", true, drop, 0, 1, ""};
        // clang-format on
    }

    void operations() {
        QFETCH(Case, c);
        StoreFolder dir;
        TodoState before = StoreFolder::stateOf(c.start);
        if (c.twins)
            before.items[1].id = before.items[0].id;
        QVERIFY(dir.setState(before));
        TodoStore store(dir.path(), StoreFolder::clock());
        QVERIFY(QFile::remove(dir.file()));
        // Each notification comes before its change: record what observers see then.
        QList<TodoState> seen;
        int changed = 0;
        connect(&store, &TodoStore::objectWillChange, this, [&] { seen << store.state(); });
        connect(&store, &TodoStore::stateChanged, this, [&] { ++changed; });
        c.op(store, c.row < 0 ? QUuid::createUuid() : before.items.at(c.row).id);
        QCOMPARE(StoreFolder::summary(store.state().items), c.after);
        QCOMPARE(seen.size(), c.notifications);
        QCOMPARE(changed, c.notifications);
        if (!seen.isEmpty())
            QCOMPARE(seen.first(), before);
        QCOMPARE(dir.state(), c.notifications ? std::optional(store.state()) : std::nullopt);
    }

    // Exactly Unicode category Z, the tab, U+000A..U+000D and U+0085 go, at the ends only;
    // a blank title adds nothing.
    void addTrims() {
        for (const auto& [typed, kept] : std::initializer_list<std::pair<QString, QString>>{
                 {"\u00a0\u2028\u3000\u0085\u2002x\u2029\u0085\u2009", "x"},
                 {" a\u00a0b\u2028c\u0085d\u200b ", "a\u00a0b\u2028c\u0085d\u200b"},
                 {"\t\u00a0\u2028\u3000\u0085\r\n\v\f", ""}}) {
            StoreFolder dir;
            TodoStore store(dir.path(), StoreFolder::clock());
            store.add(typed);
            QCOMPARE(store.state().items.value(0).title, kept);
        }
    }

    void sortingKeepsTheOrderWithinAStatus() {
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

    void archiveKeepsTheNewest120DaysAndTheFlagsNotify() {
        StoreFolder dir;
        TodoState state = StoreFolder::stateOf(u"pd");
        for (int day = 0; day < 119; ++day)
            state.archive.append({QString::number(day), {}});
        QVERIFY(dir.setState(state));
        // Local time, ASCII digits whatever the locale: 16:05 UTC is 01:35 the next day at +9:30.
        qputenv("TZ", "XST-9:30");
        ::tzset();
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        TodoStore store(dir.path(),
                        [] { return QDateTime::fromSecsSinceEpoch(1748880300, Qt::UTC); });
        QList<bool> hook; // whether it ran after the assignment
        store.onInputActiveChanged = [&](bool active) { hook << (store.inputActive() == active); };
        QSignalSpy willChange(&store, &TodoStore::objectWillChange);
        store.setCollapsed(true);
        store.setInputActive(true);
        store.setInputActive(true);
        QCOMPARE(willChange.size(), 3); // also for an unchanged value
        store.archiveAndClear();
        store.add("next");
        store.archiveAndClear(); // the same minute again: both kept, the oldest dropped
        willChange.clear();
        store.archiveAndClear(); // an empty list: nothing happens
        const QList<ArchivedDay>& archive = store.state().archive;
        QCOMPARE(willChange.size(), 0);
        QCOMPARE(archive.size(), 120);
        QCOMPARE(archive.at(0).date, "2025-06-03 01:35");
        QCOMPARE(StoreFolder::summary(archive.at(0).items), "nexto");
        QCOMPARE(archive.at(1), (ArchivedDay{"2025-06-03 01:35", state.items}));
        QCOMPARE(archive.at(119).date, "117");
        QVERIFY(store.state().items.isEmpty() && store.collapsed() && store.inputActive());
        QCOMPARE(dir.state(), store.state());
        QVERIFY(hook.isEmpty()); // only the user's own change calls it
        store.userSetInputActive(false);
        QCOMPARE(hook, QList<bool>{true});
    }
};

QTEST_GUILESS_MAIN(TestTodoStore)
#include "test_todo_store.moc"
