// Under a file system fault the store keeps working in memory, says nothing, leaves the previous
// file as it was and writes everything once the fault clears. A full disk is a small tmpfs mount
// in a private mount namespace.
#include "StoreFolder.h"
#include "TodoStore.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

bool writeProcFile(const char* path, const QByteArray& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::write(fd, text.constData(), text.size()) == text.size();
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// Mounts made from here on vanish with the process. Before main: an unprivileged user namespace
// can only be entered while single-threaded.
bool enterPrivateMountNamespace() {
    if (::unshare(CLONE_NEWNS) != 0) {
        const QByteArray uid = QByteArray::number(::getuid()), gid = QByteArray::number(::getgid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            !writeProcFile("/proc/self/setgroups", "deny") ||
            !writeProcFile("/proc/self/uid_map", "0 " + uid + " 1") ||
            !writeProcFile("/proc/self/gid_map", "0 " + gid + " 1"))
            return false;
    }
    return ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

const bool canMount = enterPrivateMountNamespace();

bool fillDisk(const QString& filler) {
    const int fd =
        ::open(QFile::encodeName(filler).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const QByteArray block(65536, 'x');
    for (qsizetype size = block.size(); fd >= 0 && size > 0; size /= 2)
        while (::write(fd, block.constData(), size) == size) {
        }
    const bool full = fd >= 0 && errno == ENOSPC;
    if (fd >= 0)
        ::close(fd);
    return full;
}

} // namespace

class TestFileFaults : public QObject {
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }
    void storeOutlivesFault_data() {
        QTest::addColumn<bool>("diskFull"); // or else the folder cannot be created
        QTest::newRow("folder cannot be created") << false;
        QTest::newRow("disk full") << true;
    }

    void storeOutlivesFault() {
        QFETCH(bool, diskFull);
        if (diskFull && !canMount)
            QSKIP("this machine allows no mount namespace, so no small file system can be made");
        StoreFolder dir;
        if (diskFull) {
            QCOMPARE(::mount("tmpfs", QFile::encodeName(dir.root()).constData(), "tmpfs",
                             MS_NOSUID | MS_NODEV, "size=128k,mode=0700"),
                     0);
            TodoStore(dir.path(), StoreFolder::clock()).add("kept");
        } else {
            QVERIFY(StoreFolder::write(dir.path(), "a file in the folder's way"));
        }
        const QByteArray before = StoreFolder::read(dir.file());
        TodoStore store(dir.path(), StoreFolder::clock());
        QVERIFY(!diskFull || fillDisk(dir.root() + "/filler"));
        const QStringList entries = dir.entries();

        store.add("during");
        store.cycle(store.state().items.first().id);
        store.archiveAndClear();
        store.add("today");
        const TodoState& state = store.state();
        QCOMPARE(state.archive.first().items.size(), diskFull ? 2 : 1);
        QCOMPARE(state.archive.first().items.first().status, ItemStatus::inProgress);
        QCOMPARE(state.items.first().title, "today");
        QCOMPARE(dir.entries(), entries);
        QCOMPARE(StoreFolder::read(dir.file()), before);

        QVERIFY(diskFull ? QFile::remove(dir.root() + "/filler")
                         : QFile::remove(dir.path()) && QDir().mkpath(dir.path()));
        store.add("after");
        QCOMPARE(dir.state(), store.state()); // the whole state, not just the last change
        if (diskFull)
            QCOMPARE(::umount2(QFile::encodeName(dir.root()).constData(), MNT_DETACH), 0);
    }
};

QTEST_GUILESS_MAIN(TestFileFaults)
#include "test_file_faults.moc"
