#include "StateFile.h"
#include "StoreFolder.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString setAsideName = QStringLiteral("todo.json.unreadable-20250602-184005");

TodoState sample() {
    TodoState state;
    state.items = {{QUuid::createUuid(), "Call the bank", ItemStatus::open}};
    state.archive = {{"2025-06-01 09:00", {{QUuid::createUuid(), "Old", ItemStatus::done}}}};
    return state;
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode : 0;
}

} // namespace

class TestStateFile : public QObject {
    Q_OBJECT

private slots:
    void everyWriteIsTheWholeEncodingInAPrivateFile() {
        StoreFolder dir;
        const QString folder = dir.root() + "/a/b/Pinstrip";
        const mode_t oldMask = ::umask(0);
        StateFile file(folder, StoreFolder::clock());
        TodoState state = sample();
        const auto writes = [&] {
            return file.write(state) &&
                   StoreFolder::read(folder + "/todo.json") == StateCodec::encode(state);
        };
        QCOMPARE(file.read(), TodoState{});
        const bool written = writes();
        ::umask(oldMask);
        QVERIFY(written);
        for (const QString& made : {dir.root() + "/a", dir.root() + "/a/b", folder})
            QCOMPARE(modeOf(made), mode_t(S_IFDIR | 0700));
        QCOMPARE(modeOf(folder + "/todo.json"), mode_t(S_IFREG | 0600));
        QCOMPARE(StoreFolder::list(folder), QStringList{"todo.json"});
        // The archive's text is kept between writes: any change to the archive must still show.
        state.items << state.archive[0].items;
        QVERIFY(writes());
        state.archive.prepend({"newer", state.items});
        QVERIFY(writes());
        state.archive[0].date = "newest changed";
        QVERIFY(writes());
        state.archive.prepend({"full: the oldest dropped", {}});
        state.archive.removeLast();
        QVERIFY(writes());
        state.archive[1].items[0].title = "older changed in place";
        QVERIFY(writes());
        state.archive.removeAt(0);
        QVERIFY(writes());
    }

    void strangeThingAtThePath_data() {
        QTest::addColumn<QString>("thing");
        QTest::addColumn<QByteArray>("bytes"); // what a link's target outside the folder holds
        QTest::newRow("FIFO") << "fifo" << QByteArray();
        QTest::newRow("directory") << "directory" << QByteArray();
        QTest::newRow("link to a list") << "link" << StateCodec::encode(sample());
        QTest::newRow("link to garbage") << "link" << QByteArray("\x00\xff{", 3);
        QTest::newRow("dangling link") << "link" << QByteArray();
    }

    void strangeThingAtThePath() {
        QFETCH(QString, thing);
        QFETCH(QByteArray, bytes);
        StoreFolder dir;
        const QString target = dir.root() + "/outside/target";
        QVERIFY(QDir().mkpath(dir.root() + "/outside"));
        // An earlier set-aside file is never replaced; a cut write's temporary file goes.
        QVERIFY(StoreFolder::write(dir.file(setAsideName), "earlier"));
        QVERIFY(StoreFolder::write(dir.file(".todo.json.Ab3xZ9"), "{\"items\": ["));
        if (thing == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(dir.file()).constData(), 0600), 0);
        else if (thing == "directory")
            QVERIFY(QDir().mkpath(dir.file() + "/inside"));
        else
            QVERIFY(QFile::link(target, dir.file()));
        if (!bytes.isEmpty())
            QVERIFY(StoreFolder::write(target, bytes));
        const QStringList outside = StoreFolder::list(dir.root() + "/outside");
        StateFile file(dir.path(), StoreFolder::clock());
        const std::optional<TodoState> listed = StateCodec::decode(bytes);
        QCOMPARE(file.read(), listed.value_or(TodoState{}));
        const TodoState state = sample();
        QVERIFY(file.write(state) && file.write(state)); // only the first sets aside
        QCOMPARE(modeOf(dir.file()), mode_t(S_IFREG | 0600));
        QCOMPARE(dir.state(), state);
        QCOMPARE(dir.entries().join(' '),
                 "todo.json " + setAsideName + (listed ? "" : " " + setAsideName + "-2"));
        QCOMPARE(StoreFolder::read(dir.file(setAsideName)), "earlier");
        QCOMPARE(StoreFolder::list(dir.root() + "/outside"), outside);
        QCOMPARE(StoreFolder::read(target), bytes);
    }
};

QTEST_GUILESS_MAIN(TestStateFile)
#include "test_state_file.moc"
