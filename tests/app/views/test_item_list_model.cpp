#include "ArchiveModel.h"
#include "ItemListModel.h"
#include "ViewHarness.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

namespace {

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
        const auto& items = store->state().items;
        QCOMPARE(model.rowCount(), items.size());
        for (int i = 0; i < model.rowCount(); ++i) {
            QCOMPARE(id(i), items.at(i).idText());
            QCOMPARE(model.index(i).data(ItemListModel::TitleRole).toString(), items.at(i).title);
            QCOMPARE(model.index(i).data(ItemListModel::StatusRole).toInt(),
                     int(items.at(i).status));
        }
    }
    // Moves, inserts, removes, changes and resets reported since the store was bound.
    QList<int> counts() const {
        return {int(moves.size()), int(inserts.size()), int(removes.size()), int(changes.size()),
                int(resets.size())};
    }
    StoreFolder folder;
    std::unique_ptr<TodoStore> store;
    Model model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
    QSignalSpy moves{&model, &QAbstractItemModel::rowsMoved};
    QSignalSpy inserts{&model, &QAbstractItemModel::rowsInserted};
    QSignalSpy removes{&model, &QAbstractItemModel::rowsRemoved};
    QSignalSpy changes{&model, &QAbstractItemModel::dataChanged};
    QSignalSpy resets{&model, &QAbstractItemModel::modelReset};
};

} // namespace

class TestItemListModel : public QObject {
    Q_OBJECT

private slots:
    // A re-sort is one row sliding, so delegates keep their state, and a changed row says so;
    // never a reset.
    void reportsChangesByIdentity_data() {
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QList<int>>("counts");
        // clang-format off
        QTest::newRow("open to in progress rises") << "ooo" << 2 << "cycle" << QList{1, 0, 0, 1, 0};
        QTest::newRow("open to done sinks past open") << "oood" << 0 << "done" << QList{1, 0, 0, 1, 0};
        QTest::newRow("done to in progress rises") << "pod" << 2 << "inProgress" << QList{1, 0, 0, 1, 0};
        QTest::newRow("reopening the first done stays") << "odd" << 1 << "cycle" << QList{0, 0, 0, 1, 0};
        QTest::newRow("same status again is nothing") << "po" << 0 << "inProgress" << QList{0, 0, 0, 0, 0};
        QTest::newRow("add lands above done") << "odd" << 0 << "add" << QList{1, 1, 0, 0, 0};
        QTest::newRow("remove one") << "pod" << 1 << "remove" << QList{0, 0, 1, 0, 0};
        QTest::newRow("archive removes all at once") << "pood" << 0 << "archive" << QList{0, 0, 1, 0, 0};
        // clang-format on
    }
    void reportsChangesByIdentity() {
        QFETCH(QString, statuses);
        QFETCH(QString, operation);
        QFETCH(int, row);
        Mirror<ItemListModel> m(ViewHarness::stateOf(statuses));
        if (operation == "cycle")
            m.model.cycle(m.id(row));
        else if (operation == "add")
            m.store->add("New");
        else if (operation == "remove")
            m.model.remove(m.id(row));
        else if (operation == "archive")
            m.store->archiveAndClear();
        else
            m.model.setStatus(m.id(row), int(*itemStatusFromText(operation)));
        QTEST(m.counts(), "counts");
        m.compare();
    }

    // Any sequence of operations keeps the mirror exact without ever resetting it, also where a
    // hand-edited file repeats an id.
    void randomOperationsStayMirrored() {
        TodoState state = ViewHarness::stateOf("opdopdoo");
        state.items[5].id = state.items[0].id;
        Mirror<ItemListModel> m(state);
        QRandomGenerator random(20260314);
        for (int step = 0; step < 400; ++step) {
            const int count = m.model.rowCount();
            const QString id = count ? m.id(random.bounded(count)) : QString();
            const int operation = random.bounded(count ? 5 : 1);
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
        }
        QCOMPARE(m.resets.size(), 0);
    }

    // Archiving inserts the newest day on top and the oldest falls off at the limit.
    void archiveRows() {
        TodoState state = ViewHarness::stateOf("od");
        for (int day = 0; day < TodoStore::archiveLimit; ++day)
            state.archive.append(ArchivedDay{"2026-01-01 09:00", {}});
        Mirror<ArchiveModel> m(state);
        m.store->archiveAndClear();
        QCOMPARE(m.model.rowCount(), TodoStore::archiveLimit);
        QCOMPARE(m.counts(), (QList{0, 1, 1, 0, 0}));
        QCOMPARE(m.model.index(0).data(ArchiveModel::DateRole).toString(), "2025-06-02 18:40");
    }
};

QTEST_GUILESS_MAIN(TestItemListModel)
#include "test_item_list_model.moc"
