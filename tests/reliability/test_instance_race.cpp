// The program started as processes: of two copies started at the same instant exactly one
// keeps running, also when a copy killed with SIGKILL, running or still starting, came before.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QThread>

namespace {

constexpr int startTimeoutMs = 60000; // a sanitizer build starting on a busy machine

// The test runs offscreen and without leak checks (Qt's own allocations at exit are not its
// business); every copy inherits that.
void start(QProcess& copy) {
    copy.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    copy.start(PINSTRIP_EXECUTABLE, {});
}

// Waits until the copy's process id is in the lock; false if it ended or never got there.
bool holdsLock(QProcess& copy) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < startTimeoutMs && copy.state() != QProcess::NotRunning) {
        QFile lock(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pinstrip.lock");
        if (lock.open(QIODevice::ReadOnly) &&
            lock.readLine().trimmed().toLongLong() == copy.processId())
            return true;
        copy.waitForFinished(50);
    }
    return false;
}

void stop(QProcess& copy) {
    if (copy.state() != QProcess::NotRunning) {
        copy.kill();
        copy.waitForFinished(10000);
    }
}

} // namespace

class TestInstanceRace : public QObject {
    Q_OBJECT

private slots:
    void exactlyOneOfTwoKeepsRunning_data();
    void exactlyOneOfTwoKeepsRunning();
};

void TestInstanceRace::exactlyOneOfTwoKeepsRunning_data() {
    QTest::addColumn<int>("killAfterMs"); // a copy killed before; 0: once it holds the lock
    QTest::newRow("first start of the session") << -1;
    QTest::newRow("after a copy killed while running") << 0;
    QTest::newRow("after a copy killed while starting") << 30;
}

void TestInstanceRace::exactlyOneOfTwoKeepsRunning() {
    QFETCH(int, killAfterMs);
    QFile::remove(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pinstrip.lock");
    if (killAfterMs >= 0) {
        QProcess killed;
        start(killed);
        QVERIFY(killed.waitForStarted());
        if (killAfterMs == 0)
            QVERIFY(holdsLock(killed));
        QThread::msleep(static_cast<unsigned long>(killAfterMs));
        stop(killed);
    }

    QProcess first, second;
    start(first);
    start(second);
    QVERIFY(first.waitForStarted() && second.waitForStarted());
    // One of them gives up once it sees the other's lock.
    QElapsedTimer timer;
    timer.start();
    while (first.state() != QProcess::NotRunning && second.state() != QProcess::NotRunning &&
           timer.elapsed() < startTimeoutMs) {
        first.waitForFinished(25);
        second.waitForFinished(25);
    }
    QProcess& quitter = first.state() == QProcess::NotRunning ? first : second;
    QProcess& survivor = &quitter == &first ? second : first;
    const bool oneQuitCleanly =
        quitter.state() == QProcess::NotRunning && quitter.exitStatus() == QProcess::NormalExit;
    const bool survivorHoldsLock = holdsLock(survivor);
    QThread::msleep(1000);
    const bool survivorRuns = survivor.state() == QProcess::Running;
    stop(first);
    stop(second);
    QVERIFY2(oneQuitCleanly, "both copies kept running, or one crashed instead of quitting");
    QVERIFY2(survivorHoldsLock, "the remaining copy does not hold the lock");
    QVERIFY2(survivorRuns, "the remaining copy did not keep running");
}

QTEST_GUILESS_MAIN(TestInstanceRace)
#include "test_instance_race.moc"
