#include "ArchiveModel.h"
#include "DaylaStore.h"
#include "ItemListModel.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QDateTime fixedClock() {
    return QDateTime(QDate(2026, 3, 14), QTime(18, 5));
}

// A store on a temporary folder whose file holds `state`.
struct Fixture {
    explicit Fixture(const DaylaState& state) {
        QFile file(dir.filePath(QStringLiteral("todo.json")));
        if (file.open(QIODevice::WriteOnly))
            file.write(state.encode());
        file.close();
        store = std::make_unique<DaylaStore>(dir.path(), &fixedClock);
    }
    QTemporaryDir dir;
    std::unique_ptr<DaylaStore> store;
};

DaylaState stateOf(const QString& statuses) {
    DaylaState state;
    int n = 0;
    for (const QChar c : statuses)
        state.items.append({QUuid::createUuid(), QStringLiteral("Entry %1").arg(++n),
                            c == u'p'   ? ItemStatus::inProgress
                            : c == u'd' ? ItemStatus::done
                                        : ItemStatus::open});
    return state;
}

// Counts of each kind of structural change a model reports.
struct Changes {
    explicit Changes(QAbstractItemModel* model)
        : moves(model, &QAbstractItemModel::rowsMoved),
          inserts(model, &QAbstractItemModel::rowsInserted),
          removes(model, &QAbstractItemModel::rowsRemoved),
          resets(model, &QAbstractItemModel::modelReset) {}
    QSignalSpy moves, inserts, removes, resets;
};

void compareWithStore(const ItemListModel& model, const DaylaStore& store) {
    const auto& items = store.state().items;
    QCOMPARE(model.rowCount(), items.size());
    for (int i = 0; i < model.rowCount(); ++i) {
        const QModelIndex index = model.index(i);
        QCOMPARE(index.data(ItemListModel::ItemIdRole).toString(), items.at(i).idText());
        QCOMPARE(index.data(ItemListModel::TitleRole).toString(), items.at(i).title);
        QCOMPARE(index.data(ItemListModel::StatusRole).toString(),
                 itemStatusText(items.at(i).status));
    }
}

} // namespace

class TestItemListModel : public QObject {
    Q_OBJECT

private slots:
    void reportsChangesByIdentity_data() {
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("moves");
        QTest::addColumn<int>("inserts");
        QTest::addColumn<int>("removes");
        // A status change that re-sorts shows as one row sliding, nothing else.
        QTest::newRow("open to in progress rises") << QString("ooo") << "cycle" << 2 << 1 << 0 << 0;
        QTest::newRow("in progress to done sinks") << QString("ppo") << "done" << 0 << 1 << 0 << 0;
        QTest::newRow("open to done sinks past open")
            << QString("oood") << "done" << 0 << 1 << 0 << 0;
        QTest::newRow("done to in progress rises")
            << QString("pod") << "progress" << 2 << 1 << 0 << 0;
        QTest::newRow("reopening the first done stays")
            << QString("odd") << "cycle" << 1 << 0 << 0 << 0;
        QTest::newRow("same status again changes nothing")
            << QString("po") << "progress" << 0 << 0 << 0 << 0;
        // The store appends, then re-sorts: the view merges both into one appearance.
        QTest::newRow("add lands above done") << QString("odd") << "add" << 0 << 1 << 1 << 0;
        QTest::newRow("add after open") << QString("po") << "add" << 0 << 0 << 1 << 0;
        QTest::newRow("add to empty list") << QString("") << "add" << 0 << 0 << 1 << 0;
        QTest::newRow("remove one") << QString("pod") << "remove" << 1 << 0 << 0 << 1;
        QTest::newRow("archive removes all at once")
            << QString("pood") << "archive" << 0 << 0 << 0 << 1;
    }
    void reportsChangesByIdentity() {
        QFETCH(QString, statuses);
        QFETCH(QString, operation);
        QFETCH(int, row);
        Fixture fixture(stateOf(statuses));
        ItemListModel model;
        model.setStore(fixture.store.get());
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        Changes changes(&model);
        const QString id = statuses.isEmpty()
                               ? QString()
                               : model.index(row).data(ItemListModel::ItemIdRole).toString();

        if (operation == "cycle")
            model.cycle(id);
        else if (operation == "done")
            model.setStatus(id, QStringLiteral("done"));
        else if (operation == "progress")
            model.setStatus(id, QStringLiteral("inProgress"));
        else if (operation == "add")
            fixture.store->add(QStringLiteral("New"));
        else if (operation == "remove")
            model.remove(id);
        else if (operation == "archive")
            fixture.store->archiveAndClear();

        QTEST(int(changes.moves.size()), "moves");
        QTEST(int(changes.inserts.size()), "inserts");
        QTEST(int(changes.removes.size()), "removes");
        QCOMPARE(changes.resets.size(), 0);
        compareWithStore(model, *fixture.store);
    }

    // Any sequence of operations keeps the mirror exact without ever resetting it.
    void randomOperationsStayMirrored() {
        Fixture fixture(stateOf(QStringLiteral("opdopdoo")));
        ItemListModel model;
        model.setStore(fixture.store.get());
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        Changes changes(&model);
        QRandomGenerator random(20260314);
        const QStringList statuses{"open", "inProgress", "done"};
        for (int step = 0; step < 400; ++step) {
            const int count = model.rowCount();
            const QString id =
                count
                    ? model.index(random.bounded(count)).data(ItemListModel::ItemIdRole).toString()
                    : QString();
            switch (random.bounded(count ? 5 : 1)) {
            case 0:
                fixture.store->add(QStringLiteral("Step %1").arg(step));
                break;
            case 1:
                model.cycle(id);
                break;
            case 2:
                model.setStatus(id, statuses.at(random.bounded(3)));
                break;
            case 3:
                model.remove(id);
                break;
            default:
                if (random.bounded(10) == 0)
                    fixture.store->archiveAndClear();
                else
                    model.cycle(id);
            }
            compareWithStore(model, *fixture.store);
        }
        QCOMPARE(changes.resets.size(), 0);
    }

    // A hand-edited file may repeat an id; every row still maps to one entry.
    void repeatedIdsFromFile() {
        DaylaState state = stateOf(QStringLiteral("ooo"));
        state.items[2].id = state.items[0].id;
        Fixture fixture(state);
        ItemListModel model;
        model.setStore(fixture.store.get());
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.cycle(state.items[0].idText());
        compareWithStore(model, *fixture.store);
        model.remove(state.items[0].idText());
        compareWithStore(model, *fixture.store);
        QCOMPARE(model.rowCount(), 1);
    }

    void archiveRowsStaySeparate() {
        DaylaState state = stateOf(QStringLiteral("od"));
        for (int day = 0; day < DaylaStore::archiveLimit; ++day)
            state.archive.append({QStringLiteral("2026-01-01 09:00"), {}});
        Fixture fixture(state);
        ArchiveModel model;
        model.setStore(fixture.store.get());
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        Changes changes(&model);

        fixture.store->archiveAndClear();
        QCOMPARE(model.rowCount(), DaylaStore::archiveLimit);
        QCOMPARE(changes.inserts.size(), 1);
        QCOMPARE(changes.removes.size(), 1); // the oldest day fell off
        QCOMPARE(changes.resets.size(), 0);
        const QModelIndex newest = model.index(0);
        QCOMPARE(newest.data(ArchiveModel::DateRole).toString(), "2026-03-14 18:05");
        QCOMPARE(newest.data(ArchiveModel::DoneCountRole).toInt(), 1);
        QCOMPARE(newest.data(ArchiveModel::ItemCountRole).toInt(), 2);
        const QVariantList entries = newest.data(ArchiveModel::EntriesRole).toList();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.at(1).toMap().value("done").toBool(), true);

        // A second archiving in the same minute is a second row with the same stamp.
        fixture.store->add(QStringLiteral("Later"));
        fixture.store->archiveAndClear();
        QCOMPARE(model.index(0).data(ArchiveModel::DateRole),
                 model.index(1).data(ArchiveModel::DateRole));
        QCOMPARE(model.index(0).data(ArchiveModel::ItemCountRole).toInt(), 1);
        QCOMPARE(model.index(1).data(ArchiveModel::ItemCountRole).toInt(), 2);
    }
};

QTEST_GUILESS_MAIN(TestItemListModel)
#include "test_item_list_model.moc"
