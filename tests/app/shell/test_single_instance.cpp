#include "SingleInstance.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

class SingleInstanceTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    const QString m_lock = m_dir.filePath("pinstrip.lock");

private slots:
    void cleanup() { QFile::remove(m_lock); }

    // A live holder keeps the lock however long it has been running; once it is gone the
    // next copy gets it.
    void secondCopyIsRefusedWhileFirstRuns() {
        auto first = std::make_unique<SingleInstance>(m_lock);
        QVERIFY(first->acquire());
        QVERIFY(first->acquire());
        QFile lock(m_lock);
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
        lock.close();
        QVERIFY(!SingleInstance(m_lock).acquire());
        first.reset();
        QVERIFY(SingleInstance(m_lock).acquire());
    }

    void lockOfCrashedCopyIsTakenOver() {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0)
            _exit(SingleInstance(m_lock).acquire() ? 0 : 1); // no destructors: the file stays
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QVERIFY(QFile::exists(m_lock));
        QVERIFY(SingleInstance(m_lock).acquire());
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "test_single_instance.moc"
