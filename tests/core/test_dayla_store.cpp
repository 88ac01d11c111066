#include "DaylaStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <ctime>

namespace {

enum class Operation { add, cycle, setStatus, remove, archiveAndClear };

const QUuid idA = QUuid::fromString(QStringLiteral("2793DFFC-D72A-4CC7-AC1E-6EEBCA867AB6"));
const QUuid idB = QUuid::fromString(QStringLiteral("FED0F44F-6D19-42E2-AD65-B15DC95DAE86"));
const QUuid idC = QUuid::fromString(QStringLiteral("0FB04BE2-A28A-44B5-ADA5-4E91F6E1E46A"));
const QUuid idD = QUuid::fromString(QStringLiteral("D437099F-34AD-4875-81AD-64A5A5F7B502"));
const QUuid unknownId = QUuid::fromString(QStringLiteral("11111111-2222-4333-8444-555555555555"));

// [in progress A, open B, open C, done D]
DaylaState startingState() {
    DaylaState state;
    state.items = {{idA, "A", ItemStatus::inProgress},
                   {idB, "B", ItemStatus::open},
                   {idC, "C", ItemStatus::open},
                   {idD, "D", ItemStatus::done}};
    return state;
}

QStringList summary(const QList<DaylaItem>& items) {
    QStringList out;
    for (const DaylaItem& item : items)
        out << item.title + QLatin1Char('/') + itemStatusText(item.status);
    return out;
}

// 2 June 2025, 16:05 UTC.
const QDateTime moment = QDateTime::fromSecsSinceEpoch(1748880300, Qt::UTC);

DaylaStore::Clock fixedClock() {
    return [] { return moment; };
}

void seed(const QString& folder, const DaylaState& state) {
    QVERIFY(StateFile(folder, fixedClock()).write(state));
}

std::optional<DaylaState> onDisk(const QString& folder) {
    QFile file(folder + "/todo.json");
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return DaylaState::decode(file.readAll());
}

class TimeZone {
public:
    explicit TimeZone(const char* zone)
        : m_old(qgetenv("TZ")), m_hadOld(qEnvironmentVariableIsSet("TZ")) {
        qputenv("TZ", zone);
        ::tzset();
    }
    ~TimeZone() {
        if (m_hadOld)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        ::tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    QByteArray m_old;
    bool m_hadOld;
};

} // namespace

class TestDaylaStore : public QObject {
    Q_OBJECT

private slots:
    void defaultStoreUsesTheUsersDataFolder();
    void operations_data();
    void operations();
    void duplicateIds();
    void fileOrderKeptUntilFirstResort();
    void counts_data();
    void counts();
    void flagsNotifyAndNeverCallTheHook();
    void trimming_data();
    void trimming();
    void archiveKeepsEntriesAndFlags();
    void archiveIsCapped();
    void archiveStampFollowsTimeZone_data();
    void archiveStampFollowsTimeZone();
    void failedSaveKeepsStateAndNextSaveWritesAll_data();
    void failedSaveKeepsStateAndNextSaveWritesAll();
};

void TestDaylaStore::defaultStoreUsesTheUsersDataFolder() {
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    QVERIFY2(!dataHome.isEmpty(), "run through run-isolated.sh");
    DaylaStore store;
    QCOMPARE(store.fileURL(), dataHome + "/Pinstrip/todo.json");
    QVERIFY(QFileInfo(dataHome + "/Pinstrip").isDir());
    store.add("x");
    QVERIFY(QFileInfo::exists(store.fileURL()));
    QCOMPARE(DaylaStore().state().items.size(), 1);
}

void TestDaylaStore::operations_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QUuid>("id");
    QTest::addColumn<ItemStatus>("status");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("notifications");
    QTest::addColumn<bool>("writes");

    const QStringList unchanged{"A/inProgress", "B/open", "C/open", "D/done"};
    const QUuid none;
    const auto open = ItemStatus::open;

    QTest::newRow("add trimmed, lands after the last open")
        << Operation::add << QString("  Buy milk\n") << none << open
        << QStringList{"A/inProgress", "B/open", "C/open", "Buy milk/open", "D/done"} << 2 << true;
    QTest::newRow("add blank") << Operation::add << QString(" \t\r\n ") << none << open << unchanged
                               << 0 << false;
    QTest::newRow("cycle open to in progress: last of its group")
        << Operation::cycle << QString() << idC << open
        << QStringList{"A/inProgress", "C/inProgress", "B/open", "D/done"} << 2 << true;
    QTest::newRow("cycle in progress to done: first of its group")
        << Operation::cycle << QString() << idA << open
        << QStringList{"B/open", "C/open", "A/done", "D/done"} << 2 << true;
    QTest::newRow("cycle done to open: last of its group")
        << Operation::cycle << QString() << idD << open
        << QStringList{"A/inProgress", "B/open", "C/open", "D/open"} << 2 << true;
    QTest::newRow("cycle unknown id")
        << Operation::cycle << QString() << unknownId << open << unchanged << 0 << false;
    QTest::newRow("set status to the same still writes")
        << Operation::setStatus << QString() << idB << open << unchanged << 2 << true;
    QTest::newRow("set status open to done: first of its group")
        << Operation::setStatus << QString() << idB << ItemStatus::done
        << QStringList{"A/inProgress", "C/open", "B/done", "D/done"} << 2 << true;
    QTest::newRow("set status unknown id") << Operation::setStatus << QString() << unknownId
                                           << ItemStatus::done << unchanged << 0 << false;
    QTest::newRow("remove") << Operation::remove << QString() << idB << open
                            << QStringList{"A/inProgress", "C/open", "D/done"} << 1 << true;
    QTest::newRow("remove unknown id still writes")
        << Operation::remove << QString() << unknownId << open << unchanged << 1 << true;
    QTest::newRow("archive") << Operation::archiveAndClear << QString() << none << open
                             << QStringList{} << 3 << true;
}

void TestDaylaStore::operations() {
    QFETCH(Operation, operation);
    QFETCH(QString, title);
    QFETCH(QUuid, id);
    QFETCH(ItemStatus, status);
    QFETCH(QStringList, after);
    QFETCH(int, notifications);
    QFETCH(bool, writes);

    QTemporaryDir root;
    seed(root.path(), startingState());
    DaylaStore store(root.path(), fixedClock());
    QVERIFY(QFile::remove(root.path() + "/todo.json"));

    // Each notification must come before its change: record what observers see at that time.
    QList<DaylaState> seen;
    int changed = 0;
    connect(&store, &DaylaStore::objectWillChange, this, [&] { seen << store.state(); });
    connect(&store, &DaylaStore::stateChanged, this, [&] { ++changed; });

    switch (operation) {
    case Operation::add:
        store.add(title);
        break;
    case Operation::cycle:
        store.cycle(id);
        break;
    case Operation::setStatus:
        store.setStatus(id, status);
        break;
    case Operation::remove:
        store.remove(id);
        break;
    case Operation::archiveAndClear:
        store.archiveAndClear();
        break;
    }

    QCOMPARE(summary(store.state().items), after);
    QCOMPARE(seen.size(), notifications);
    QCOMPARE(changed, notifications);
    if (!seen.isEmpty())
        QCOMPARE(seen.first(), startingState());
    QCOMPARE(onDisk(root.path()).has_value(), writes);
    if (writes)
        QCOMPARE(*onDisk(root.path()), store.state());
    for (const DaylaItem& item : store.state().items)
        QVERIFY(!item.id.isNull());
}

void TestDaylaStore::duplicateIds() {
    QTemporaryDir root;
    DaylaState state;
    state.items = {{idA, "first", ItemStatus::open}, {idA, "second", ItemStatus::open}};
    seed(root.path(), state);
    DaylaStore store(root.path(), fixedClock());

    store.cycle(idA);
    QCOMPARE(summary(store.state().items), (QStringList{"first/inProgress", "second/open"}));
    store.setStatus(idA, ItemStatus::done);
    QCOMPARE(summary(store.state().items), (QStringList{"second/open", "first/done"}));
    store.remove(idA);
    QVERIFY(store.state().items.isEmpty());
}

void TestDaylaStore::fileOrderKeptUntilFirstResort() {
    QTemporaryDir root;
    DaylaState state;
    state.items = {{idA, "A", ItemStatus::done},
                   {idB, "B", ItemStatus::open},
                   {idC, "C", ItemStatus::done},
                   {idD, "D", ItemStatus::inProgress}};
    seed(root.path(), state);
    DaylaStore store(root.path(), fixedClock());
    QCOMPARE(store.state(), state);
    QVERIFY(!store.collapsed());
    QVERIFY(!store.inputActive());

    store.cycle(idB);
    QCOMPARE(summary(store.state().items),
             (QStringList{"B/inProgress", "D/inProgress", "A/done", "C/done"}));
}

void TestDaylaStore::counts_data() {
    QTest::addColumn<QList<ItemStatus>>("statuses");
    QTest::addColumn<int>("done");
    QTest::addColumn<bool>("allDone");

    using S = ItemStatus;
    QTest::newRow("empty") << QList<S>{} << 0 << false;
    QTest::newRow("all done") << QList<S>{S::done, S::done} << 2 << true;
    QTest::newRow("one open") << QList<S>{S::done, S::open, S::done} << 2 << false;
    QTest::newRow("one in progress") << QList<S>{S::done, S::inProgress, S::done} << 2 << false;
    QTest::newRow("none done") << QList<S>{S::open} << 0 << false;
}

void TestDaylaStore::counts() {
    QFETCH(QList<ItemStatus>, statuses);
    QFETCH(int, done);
    QFETCH(bool, allDone);

    QTemporaryDir root;
    DaylaState state;
    for (ItemStatus status : statuses)
        state.items.append({QUuid::createUuid(), "x", status});
    seed(root.path(), state);
    const DaylaStore store(root.path(), fixedClock());
    QCOMPARE(store.doneCount(), done);
    QCOMPARE(store.allDone(), allDone);
    QCOMPARE(store.itemCount(), statuses.size());
}

void TestDaylaStore::flagsNotifyAndNeverCallTheHook() {
    QTemporaryDir root;
    DaylaStore store(root.path(), fixedClock());
    QList<bool> hookCalls;
    store.onInputActiveChanged = [&](bool active) {
        QCOMPARE(store.inputActive(), active); // called after the assignment
        hookCalls << active;
    };
    QSignalSpy willChange(&store, &DaylaStore::objectWillChange);
    QSignalSpy inputChanged(&store, &DaylaStore::inputActiveChanged);
    QSignalSpy collapsedChanged(&store, &DaylaStore::collapsedChanged);

    store.setInputActive(true);
    store.setInputActive(true);
    store.setCollapsed(true);
    store.setCollapsed(false);
    QCOMPARE(willChange.size(), 4); // also for an unchanged value
    QCOMPARE(inputChanged.size(), 1);
    QCOMPARE(collapsedChanged.size(), 2);

    store.add("entry");
    store.cycle(store.state().items.at(0).id);
    store.archiveAndClear();
    QVERIFY(hookCalls.isEmpty());
    QVERIFY(store.inputActive());
    QVERIFY(!store.collapsed());

    store.userSetInputActive(false);
    QCOMPARE(hookCalls, QList<bool>{false});
    QVERIFY(!store.inputActive());
    store.onInputActiveChanged = nullptr;
    store.userSetInputActive(true);
    QVERIFY(store.inputActive());
}

void TestDaylaStore::trimming_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("trimmed");

    const QChar nbsp(0x00A0), lineSep(0x2028), paraSep(0x2029), ideo(0x3000), nel(0x0085);
    QTest::newRow("plain") << QString("Buy milk") << QString("Buy milk");
    QTest::newRow("ascii white space") << QString(" \t\n\v\f\rBuy milk\r\n") << QString("Buy milk");
    QTest::newRow("unicode separators at the ends")
        << QString(nbsp) + lineSep + ideo + nel + "Buy milk" + paraSep + nel + ideo + nbsp
        << QString("Buy milk");
    QTest::newRow("separators inside kept")
        << QString(" a") + nbsp + "b" + lineSep + "c" + ideo + "d" + nel + "e "
        << QString("a") + nbsp + "b" + lineSep + "c" + ideo + "d" + nel + "e";
    QTest::newRow("en space and thin space")
        << QString(QChar(0x2002)) + "x" + QChar(0x2009) << QString("x");
    QTest::newRow("zero width space is not white space")
        << QString(QChar(0x200B)) + "x" + QChar(0xFEFF)
        << QString(QChar(0x200B)) + "x" + QChar(0xFEFF);
    QTest::newRow("emoji at the ends kept whole")
        << QString::fromUtf8(" 😀 x 😀 ") << QString::fromUtf8("😀 x 😀");
    QTest::newRow("only separators") << QString(nbsp) + lineSep + ideo + nel << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestDaylaStore::trimming() {
    QFETCH(QString, title);
    QFETCH(QString, trimmed);
    QCOMPARE(DaylaStore::trimmedTitle(title), trimmed);

    QTemporaryDir root;
    DaylaStore store(root.path(), fixedClock());
    store.add(title);
    QCOMPARE(store.state().items.size(), trimmed.isEmpty() ? 0 : 1);
    if (!trimmed.isEmpty())
        QCOMPARE(store.state().items.at(0).title, trimmed);
}

void TestDaylaStore::archiveKeepsEntriesAndFlags() {
    QTemporaryDir root;
    seed(root.path(), startingState());
    DaylaStore store(root.path(), fixedClock());
    store.setCollapsed(true);
    store.setInputActive(true);

    store.archiveAndClear();
    store.add("next");
    store.archiveAndClear();
    QSignalSpy willChange(&store, &DaylaStore::objectWillChange);
    store.archiveAndClear(); // empty list: nothing happens
    QCOMPARE(willChange.size(), 0);

    const DaylaState& state = store.state();
    QVERIFY(state.items.isEmpty());
    QCOMPARE(state.archive.size(), 2);
    QCOMPARE(state.archive.at(0).date, state.archive.at(1).date); // same minute: both kept
    QCOMPARE(summary(state.archive.at(0).items), QStringList{"next/open"});
    QCOMPARE(state.archive.at(1).items, startingState().items);
    QVERIFY(store.collapsed());
    QVERIFY(store.inputActive());
    QCOMPARE(onDisk(root.path()), std::optional<DaylaState>(state));
}

void TestDaylaStore::archiveIsCapped() {
    QTemporaryDir root;
    DaylaState state;
    for (int day = 0; day < DaylaStore::archiveLimit; ++day)
        state.archive.append(
            {QString::number(day), {{QUuid::createUuid(), "x", ItemStatus::done}}});
    state.items = {{idA, "today", ItemStatus::open}};
    seed(root.path(), state);
    DaylaStore store(root.path(), fixedClock());

    store.archiveAndClear();
    const QList<ArchivedDay>& archive = store.state().archive;
    QCOMPARE(archive.size(), 120);
    QCOMPARE(summary(archive.at(0).items), QStringList{"today/open"});
    QCOMPARE(archive.at(1).date, QString("0"));
    QCOMPARE(archive.at(119).date, QString("118"));
    QCOMPARE(onDisk(root.path())->archive.size(), 120);
}

void TestDaylaStore::archiveStampFollowsTimeZone_data() {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QString>("stamp");

    QTest::newRow("UTC") << QByteArray("UTC0") << QString("2025-06-02 16:05");
    QTest::newRow("UTC+5:30") << QByteArray("IST-5:30") << QString("2025-06-02 21:35");
    QTest::newRow("UTC-10, previous day") << QByteArray("HST10") << QString("2025-06-02 06:05");
    QTest::newRow("UTC+9, next hour past midnight")
        << QByteArray("XST-9") << QString("2025-06-03 01:05");
}

void TestDaylaStore::archiveStampFollowsTimeZone() {
    QFETCH(QByteArray, zone);
    QFETCH(QString, stamp);

    // A locale with its own digits must not leak into the stamp.
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    const TimeZone timeZone(zone.constData());
    QTemporaryDir root;
    DaylaStore store(root.path(), fixedClock());
    store.add("x");
    store.archiveAndClear();
    QLocale::setDefault(QLocale::c());
    QCOMPARE(store.state().archive.at(0).date, stamp);
}

void TestDaylaStore::failedSaveKeepsStateAndNextSaveWritesAll_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("read-only folder") << true;
    QTest::newRow("folder replaced by a file") << false;
}

void TestDaylaStore::failedSaveKeepsStateAndNextSaveWritesAll() {
    QFETCH(bool, readOnly);
    if (readOnly && ::geteuid() == 0)
        QSKIP("root ignores folder permissions; the other row makes the write fail for root");

    QTemporaryDir root;
    const QString folder = root.path() + "/Pinstrip";
    DaylaStore store(folder, fixedClock());
    store.add("saved");
    const DaylaState before = *onDisk(folder);

    const auto block = [&] {
        if (readOnly)
            return QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        QFile blocker(folder);
        return QDir(folder).removeRecursively() && blocker.open(QIODevice::WriteOnly);
    };
    const auto unblock = [&] {
        if (readOnly)
            return QFile::setPermissions(folder,
                                         QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return QFile::remove(folder) && QDir().mkdir(folder);
    };

    QVERIFY(block());
    store.add("lost on disk for now");
    store.cycle(store.state().items.at(0).id);
    QCOMPARE(store.state().items.size(), 2);
    if (readOnly)
        QCOMPARE(*onDisk(folder), before);
    QVERIFY(unblock());

    store.add("third");
    QCOMPARE(summary(onDisk(folder)->items),
             (QStringList{"saved/inProgress", "lost on disk for now/open", "third/open"}));
}

QTEST_GUILESS_MAIN(TestDaylaStore)
#include "test_dayla_store.moc"
