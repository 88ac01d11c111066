#include "StateFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 2 June 2025, 18:40:05 local time.
QDateTime fixedMoment() {
    return QDateTime(QDate(2025, 6, 2), QTime(18, 40, 5));
}

StateFile::Clock fixedClock() {
    return [] { return fixedMoment(); };
}

DaylaState sampleState() {
    DaylaState state;
    state.items = {{QUuid::createUuid(), "Call the bank", ItemStatus::open}};
    state.archive = {{"2025-06-01 09:00", {{QUuid::createUuid(), "Old", ItemStatus::done}}}};
    return state;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Makes nested folders under root until the path is exactly length characters long.
QString longFolder(const QString& root, int length) {
    QString folder = root;
    while (folder.size() < length) {
        const int room = length - static_cast<int>(folder.size()) - 1;
        folder += "/" + QString(std::min(room, 200), QLatin1Char('d'));
        if (!QDir().mkdir(folder))
            return {};
    }
    return folder;
}

const QString setAsideName = QStringLiteral("todo.json.unreadable-20250602-184005");

} // namespace

class TestStateFile : public QObject {
    Q_OBJECT

private slots:
    void defaultFolderIgnoresApplicationNames();
    void createsPrivateFolderAndFile();
    void writesReadBackAsWritten();
    void missingFileIsNotSetAside();
    void unreadableFileIsSetAsideBeforeFirstWrite_data();
    void unreadableFileIsSetAsideBeforeFirstWrite();
    void secondSetAsideNeverOverwritesFirst();
    void failedSetAsideKeepsTheFileAndWritesNothing();
    void fifoDoesNotHangTheRead();
    void failedWriteLeavesPreviousFile();
};

void TestStateFile::defaultFolderIgnoresApplicationNames() {
    const QString expected = qEnvironmentVariable("XDG_DATA_HOME") + "/Pinstrip";
    QVERIFY2(!qEnvironmentVariable("XDG_DATA_HOME").isEmpty(), "run through run-isolated.sh");
    QCOMPARE(StateFile::defaultFolder(), expected);
    QCoreApplication::setOrganizationName("SomeOrg");
    QCoreApplication::setApplicationName("something-else");
    QCOMPARE(StateFile::defaultFolder(), expected);
}

void TestStateFile::createsPrivateFolderAndFile() {
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const mode_t oldMask = ::umask(0);
    const QString folder = root.path() + "/a/b/Pinstrip";
    StateFile stateFile(folder, fixedClock());
    const bool written = stateFile.write(sampleState());
    ::umask(oldMask);

    QVERIFY(written);
    QCOMPARE(modeOf(root.path() + "/a"), mode_t(0700));
    QCOMPARE(modeOf(root.path() + "/a/b"), mode_t(0700));
    QCOMPARE(modeOf(folder), mode_t(0700));
    QCOMPARE(modeOf(folder + "/todo.json"), mode_t(0600));
    QCOMPARE(entries(folder), QStringList{"todo.json"});
    QCOMPARE(stateFile.fileURL(), folder + "/todo.json");
}

void TestStateFile::writesReadBackAsWritten() {
    QTemporaryDir root;
    const DaylaState state = sampleState();
    StateFile writer(root.path(), fixedClock());
    QVERIFY(writer.write(state));
    QCOMPARE(StateFile(root.path(), fixedClock()).read(), state);
    QCOMPARE(contents(root.path() + "/todo.json"), state.encode());

    // Every later write reflects the archive handed in, changed or not.
    DaylaState next = state;
    next.archive.prepend({"2025-06-02 18:40", state.items});
    next.items.clear();
    QVERIFY(writer.write(next));
    QCOMPARE(StateFile(root.path(), fixedClock()).read(), next);
    next.items.append({QUuid::createUuid(), "new", ItemStatus::open});
    QVERIFY(writer.write(next));
    QCOMPARE(StateFile(root.path(), fixedClock()).read(), next);
    QVERIFY(writer.write(state));
    QCOMPARE(StateFile(root.path(), fixedClock()).read(), state);
}

void TestStateFile::missingFileIsNotSetAside() {
    QTemporaryDir root;
    StateFile stateFile(root.path(), fixedClock());
    QCOMPARE(stateFile.read(), DaylaState{});
    QVERIFY(stateFile.write(sampleState()));
    QCOMPARE(entries(root.path()), QStringList{"todo.json"});
}

void TestStateFile::unreadableFileIsSetAsideBeforeFirstWrite_data() {
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("not json") << QByteArray("{\"items\": [ oops");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("breaks a rule")
        << QByteArray(R"({"archive":[],"items":[{"title":"a","status":"Done"}]})");
    QTest::newRow("binary") << QByteArray("\x00\xFF\xFE\x01todo\n\x00", 10);
}

void TestStateFile::unreadableFileIsSetAsideBeforeFirstWrite() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir root;
    put(root.path() + "/todo.json", bytes);

    StateFile stateFile(root.path(), fixedClock());
    QCOMPARE(stateFile.read(), DaylaState{});
    QCOMPARE(contents(root.path() + "/todo.json"), bytes); // reading alone moves nothing

    const DaylaState state = sampleState();
    QVERIFY(stateFile.write(state));
    QCOMPARE(entries(root.path()), (QStringList{"todo.json", setAsideName}));
    QCOMPARE(contents(root.path() + "/" + setAsideName), bytes);
    QCOMPARE(contents(root.path() + "/todo.json"), state.encode());

    // Only the first write sets aside: the file now in place is ours.
    QVERIFY(stateFile.write(DaylaState{}));
    QCOMPARE(entries(root.path()).size(), 2);
}

void TestStateFile::secondSetAsideNeverOverwritesFirst() {
    QTemporaryDir root;
    const QString path = root.path() + "/todo.json";
    for (const QByteArray& bytes :
         {QByteArray("first"), QByteArray("second"), QByteArray("third")}) {
        put(path, bytes);
        StateFile stateFile(root.path(), fixedClock());
        QCOMPARE(stateFile.read(), DaylaState{});
        QVERIFY(stateFile.write(sampleState()));
    }
    const QStringList names = entries(root.path());
    QCOMPARE(names.size(), 4);
    QVERIFY(names.contains(setAsideName));
    QCOMPARE(contents(root.path() + "/" + setAsideName), QByteArray("first"));
    QByteArrayList others;
    for (const QString& name : names) {
        if (name != "todo.json" && name != setAsideName) {
            QVERIFY2(name.startsWith(setAsideName), qPrintable(name));
            others << contents(root.path() + "/" + name);
        }
    }
    std::sort(others.begin(), others.end());
    QCOMPARE(others, (QByteArrayList{"second", "third"}));
}

void TestStateFile::failedSetAsideKeepsTheFileAndWritesNothing() {
    // A folder path so long that todo.json and the temporary file still fit within PATH_MAX
    // but the set-aside name does not: the move fails even for root.
    QTemporaryDir root;
    const QString folder = longFolder(root.path(), 4065);
    QCOMPARE(folder.size(), 4065);
    const QString path = folder + "/todo.json";
    put(path, "garbage");

    StateFile stateFile(folder, fixedClock());
    QCOMPARE(stateFile.read(), DaylaState{});
    QVERIFY(!stateFile.write(sampleState()));
    QCOMPARE(contents(path), QByteArray("garbage"));
    QCOMPARE(entries(folder), QStringList{"todo.json"});
    QVERIFY(!stateFile.write(sampleState()));
    QCOMPARE(contents(path), QByteArray("garbage"));
}

void TestStateFile::fifoDoesNotHangTheRead() {
    QTemporaryDir root;
    QCOMPARE(::mkfifo(QFile::encodeName(root.path() + "/todo.json").constData(), 0600), 0);
    StateFile stateFile(root.path(), fixedClock());
    QCOMPARE(stateFile.read(), DaylaState{});
    QVERIFY(stateFile.write(sampleState()));
    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(root.path() + "/" + setAsideName).constData(), &info), 0);
    QVERIFY(S_ISFIFO(info.st_mode));
    QCOMPARE(entries(root.path()), (QStringList{"todo.json", setAsideName}));
}

void TestStateFile::failedWriteLeavesPreviousFile() {
    // todo.json fits within PATH_MAX but the temporary file beside it does not, so the write
    // fails whoever runs the test.
    QTemporaryDir root;
    const QString folder = longFolder(root.path(), 4080);
    QCOMPARE(folder.size(), 4080);
    const DaylaState first = sampleState();
    put(folder + "/todo.json", first.encode());

    StateFile stateFile(folder, fixedClock());
    QCOMPARE(stateFile.read(), first);
    QVERIFY(!stateFile.write(DaylaState{}));
    QCOMPARE(contents(folder + "/todo.json"), first.encode());
    QCOMPARE(entries(folder), QStringList{"todo.json"});
}

QTEST_GUILESS_MAIN(TestStateFile)
#include "test_state_file.moc"
