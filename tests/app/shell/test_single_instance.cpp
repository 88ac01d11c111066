#include "SingleInstance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

class SingleInstanceTest : public QObject {
    Q_OBJECT

private:
    // Fixed before any fork, so that a child names the same file.
    const QString m_lockPath = QDir::temp().filePath(
        QStringLiteral("pinstrip-test-%1.lock").arg(QCoreApplication::applicationPid()));
    [[nodiscard]] const QString& lockPath() const { return m_lockPath; }

private slots:
    void init() { QFile::remove(lockPath()); }
    void cleanup() { QFile::remove(lockPath()); }

    void defaultLockLivesInRuntimeFolder() {
        QCOMPARE(SingleInstance::defaultLockPath(),
                 qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/pinstrip.lock"));
    }

    void secondCopyIsRefusedWhileFirstRuns() {
        auto first = std::make_unique<SingleInstance>(lockPath());
        QVERIFY(first->acquire());
        QVERIFY(first->acquire());
        SingleInstance second(lockPath());
        QVERIFY(!second.acquire());

        first.reset();
        SingleInstance third(lockPath());
        QVERIFY(third.acquire());
    }

    void longRunningCopyKeepsItsLock() {
        SingleInstance first(lockPath());
        QVERIFY(first.acquire());
        QFile lock(lockPath());
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
        lock.close();
        SingleInstance second(lockPath());
        QVERIFY(!second.acquire());
    }

    void lockOfCrashedCopyIsTakenOver() {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            SingleInstance crashed(lockPath());
            _exit(crashed.acquire() ? 0 : 1); // no destructors: the lock file stays behind
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QVERIFY(QFile::exists(lockPath()));

        SingleInstance next(lockPath());
        QVERIFY(next.acquire());
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "test_single_instance.moc"
