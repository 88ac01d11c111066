// Faults of the file system under a running store: a folder that cannot be created, a
// read-only folder, a directory where the file should be, a full disk, no inodes left, and
// state files that are planted symbolic links. The store must keep working in memory, say
// nothing, leave the previous file as it was, and write everything once the fault clears.
//
// Read-only folders and full disks are real: small tmpfs mounts in a private mount namespace
// (root, or an unprivileged user namespace), since permission bits do not stop root.
#include "DaylaStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Fault { folderNotCreatable, folderReadOnly, fileIsDirectory, diskFull, noInodesLeft };

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool writeProcFile(const char* path, const QByteArray& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.constData(), static_cast<size_t>(text.size())) == text.size();
    ::close(fd);
    return ok;
}

// Mounts made from here on vanish with the process and are seen by nobody else.
bool enterPrivateMountNamespace() {
    if (::unshare(CLONE_NEWNS) != 0) {
        const QByteArray uid = QByteArray::number(::getuid());
        const QByteArray gid = QByteArray::number(::getgid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            !writeProcFile("/proc/self/setgroups", "deny") ||
            !writeProcFile("/proc/self/uid_map", "0 " + uid + " 1") ||
            !writeProcFile("/proc/self/gid_map", "0 " + gid + " 1"))
            return false;
    }
    return ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

bool mountTmpfs(const QString& at, const QByteArray& options, unsigned long flags = 0) {
    return ::mount("tmpfs", QFile::encodeName(at).constData(), "tmpfs",
                   MS_NOSUID | MS_NODEV | flags, options.constData()) == 0;
}

// Fills the file system holding the folder to the last byte.
bool fillDisk(const QString& filler) {
    const int fd =
        ::open(QFile::encodeName(filler).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray block(65536, 'x');
    for (size_t size = block.size(); size > 0; size /= 2) {
        while (::write(fd, block.constData(), size) == static_cast<ssize_t>(size)) {
        }
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

bool useUpInodes(const QString& folder) {
    for (int i = 0; i < 100000; ++i) {
        const int fd =
            ::open(QFile::encodeName(folder + QStringLiteral("/inode-%1").arg(i)).constData(),
                   O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            return errno == ENOSPC;
        ::close(fd);
    }
    return false;
}

// Before main: an unprivileged user namespace can only be entered while single-threaded.
const bool canMount = enterPrivateMountNamespace();

DaylaStore::Clock fixedClock() {
    return [] { return QDateTime(QDate(2026, 5, 4), QTime(18, 15)); };
}

QStringList titles(const QList<DaylaItem>& items) {
    QStringList result;
    for (const DaylaItem& item : items)
        result << item.title;
    return result;
}

QUuid idOf(const DaylaStore& store, const QString& title) {
    for (const DaylaItem& item : store.state().items)
        if (item.title == title)
            return item.id;
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestFileFaults : public QObject {
    Q_OBJECT

private slots:
    void init();
    void storeOutlivesFault_data();
    void storeOutlivesFault();
    void plantedLinkIsReplacedNotFollowed_data();
    void plantedLinkIsReplacedNotFollowed();
};

void TestFileFaults::init() {
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestFileFaults::storeOutlivesFault_data() {
    QTest::addColumn<Fault>("fault");
    QTest::newRow("folder cannot be created") << Fault::folderNotCreatable;
    QTest::newRow("folder read-only") << Fault::folderReadOnly;
    QTest::newRow("a directory named todo.json") << Fault::fileIsDirectory;
    QTest::newRow("disk full") << Fault::diskFull;
    QTest::newRow("no inodes left") << Fault::noInodesLeft;
}

void TestFileFaults::storeOutlivesFault() {
    QFETCH(Fault, fault);
    const bool onOwnDisk =
        fault == Fault::folderReadOnly || fault == Fault::diskFull || fault == Fault::noInodesLeft;
    if (onOwnDisk && !canMount)
        QSKIP("this machine allows no mount namespace, so no small file system can be made");

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString disk = root.filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(disk));
    if (onOwnDisk) {
        const QByteArray options =
            fault == Fault::noInodesLeft ? "size=1m,nr_inodes=64,mode=0700" : "size=128k,mode=0700";
        QVERIFY(mountTmpfs(disk, options));
    }
    const QString folder = disk + QStringLiteral("/Pinstrip");
    const QString path = folder + QStringLiteral("/todo.json");
    QByteArray before;
    if (fault != Fault::folderNotCreatable) {
        DaylaStore earlier(folder, fixedClock());
        earlier.add(QStringLiteral("kept 1"));
        earlier.add(QStringLiteral("kept 2"));
        before = contents(path);
        QVERIFY(!before.isEmpty());
    } else {
        QVERIFY(put(disk + QStringLiteral("/Pinstrip"), "a file in the folder's way"));
    }

    DaylaStore store(folder, fixedClock());
    switch (fault) {
    case Fault::folderNotCreatable:
        QVERIFY(!QFileInfo(folder).isDir());
        break;
    case Fault::folderReadOnly:
        QVERIFY(mountTmpfs(disk, "size=128k", MS_REMOUNT | MS_RDONLY));
        break;
    case Fault::fileIsDirectory:
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
        break;
    case Fault::diskFull:
        QVERIFY(fillDisk(disk + QStringLiteral("/filler")));
        break;
    case Fault::noInodesLeft:
        QVERIFY(QDir().mkpath(disk + QStringLiteral("/inodes")));
        QVERIFY(useUpInodes(disk + QStringLiteral("/inodes")));
        break;
    }
    const QStringList entriesDuringFault =
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    store.add(QStringLiteral("during 1"));
    store.add(QStringLiteral("during 2"));
    store.cycle(idOf(store, QStringLiteral("during 2")));
    store.remove(idOf(store, QStringLiteral("kept 2")));
    store.archiveAndClear();
    store.add(QStringLiteral("during 3"));
    store.setStatus(idOf(store, QStringLiteral("during 3")), ItemStatus::done);

    const QStringList archived = fault == Fault::folderNotCreatable
                                     ? QStringList{"during 2", "during 1"}
                                     : QStringList{"during 2", "kept 1", "during 1"};
    QCOMPARE(store.state().archive.size(), 1);
    QCOMPARE(titles(store.state().archive.first().items), archived);
    QCOMPARE(titles(store.state().items), QStringList{"during 3"});
    QCOMPARE(store.state().items.first().status, ItemStatus::done);

    // Nothing was half-written, and no temporary file was left behind to fill the disk.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             entriesDuringFault);
    if (fault == Fault::fileIsDirectory)
        QVERIFY(QFileInfo(path + QStringLiteral("/inside")).isDir());
    else if (fault != Fault::folderNotCreatable)
        QCOMPARE(contents(path), before);

    switch (fault) {
    case Fault::folderNotCreatable:
        QVERIFY(QFile::remove(folder));
        QVERIFY(QDir().mkpath(folder));
        break;
    case Fault::folderReadOnly:
        QVERIFY(mountTmpfs(disk, "size=128k", MS_REMOUNT));
        break;
    case Fault::fileIsDirectory:
        QVERIFY(QDir(path).removeRecursively());
        break;
    case Fault::diskFull:
        QVERIFY(QFile::remove(disk + QStringLiteral("/filler")));
        break;
    case Fault::noInodesLeft:
        QVERIFY(QDir(disk + QStringLiteral("/inodes")).removeRecursively());
        break;
    }

    // The next change after the fault writes everything, not just itself.
    store.add(QStringLiteral("after"));
    const std::optional<DaylaState> written = DaylaState::decode(contents(path));
    QVERIFY(written);
    QCOMPARE(*written, store.state());
    QCOMPARE(titles(written->archive.first().items), archived);

    if (onOwnDisk)
        QCOMPARE(::umount2(QFile::encodeName(disk).constData(), MNT_DETACH), 0);
}

void TestFileFaults::plantedLinkIsReplacedNotFollowed_data() {
    QTest::addColumn<QString>("target");   // relative to a folder outside the data folder
    QTest::addColumn<QByteArray>("bytes"); // what the target holds; empty: nothing there

    DaylaState list;
    list.items.append(DaylaItem{QUuid::createUuid(), QStringLiteral("planted"), ItemStatus::open});
    QTest::newRow("link to a list") << QStringLiteral("list.json") << list.encode();
    QTest::newRow("link to garbage") << QStringLiteral("garbage") << QByteArray("\x00\xff{", 3);
    QTest::newRow("dangling link") << QStringLiteral("not-yet/created.json") << QByteArray();
    QTest::newRow("link to a folder") << QStringLiteral("folder") << QByteArray();
}

void TestFileFaults::plantedLinkIsReplacedNotFollowed() {
    QFETCH(QString, target);
    QFETCH(QByteArray, bytes);

    QTemporaryDir root;
    const QString outside = root.filePath(QStringLiteral("outside"));
    const QString folder = root.filePath(QStringLiteral("data/Pinstrip"));
    QVERIFY(QDir().mkpath(outside));
    QVERIFY(QDir().mkpath(folder));
    const QString targetPath = outside + QLatin1Char('/') + target;
    if (!bytes.isEmpty())
        QVERIFY(put(targetPath, bytes));
    else if (target == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(targetPath + QStringLiteral("/kept")));
    const QString path = folder + QStringLiteral("/todo.json");
    QVERIFY(QFile::link(targetPath, path));
    const QStringList outsideBefore =
        QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    DaylaStore store(folder, fixedClock());
    // Reading through the link is harmless; only writing through it is not.
    QCOMPARE(store.state(), DaylaState::decode(bytes).value_or(DaylaState{}));
    store.add(QStringLiteral("mine"));
    store.add(QStringLiteral("also mine"));

    QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), outsideBefore);
    if (!bytes.isEmpty())
        QCOMPARE(contents(targetPath), bytes);
    QVERIFY(!QFileInfo(outside + QStringLiteral("/not-yet")).exists());
    if (target == QLatin1String("folder"))
        QCOMPARE(QDir(targetPath).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{"kept"});

    struct stat info {};
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &info), 0);
    QVERIFY(S_ISREG(info.st_mode));
    QCOMPARE(info.st_mode & 0777, 0600u);
    QCOMPARE(DaylaState::decode(contents(path)), store.state());
}

QTEST_GUILESS_MAIN(TestFileFaults)
#include "test_file_faults.moc"
