// Of two copies of the program started at the same instant exactly one keeps running, also
// after a copy killed with SIGKILL, running or still starting.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QThread>

namespace {

constexpr int startTimeoutMs = 60000; // a sanitizer build starting on a busy machine

void start(QProcess& copy) {
    copy.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    copy.start(PINSTRIP_EXECUTABLE, {});
}

// Waits until the copy's process id is in the lock; false if it ended or never got there.
bool holdsLock(QProcess& copy) {
    QElapsedTimer timer;
    for (timer.start(); timer.elapsed() < startTimeoutMs && copy.state() != QProcess::NotRunning;
         copy.waitForFinished(50)) {
        QFile lock(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pinstrip.lock");
        if (lock.open(QIODevice::ReadOnly) &&
            lock.readLine().trimmed().toLongLong() == copy.processId())
            return true;
    }
    return false;
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
        QVERIFY(killed.waitForStarted() && (killAfterMs > 0 || holdsLock(killed)));
        QThread::msleep(static_cast<unsigned long>(killAfterMs));
        killed.kill();
        QVERIFY(killed.waitForFinished());
    }
    QProcess copies[2];
    for (QProcess& copy : copies)
        start(copy);
    QElapsedTimer timer;
    for (timer.start();
         copies[0].state() != QProcess::NotRunning && copies[1].state() != QProcess::NotRunning &&
         timer.elapsed() < startTimeoutMs;
         copies[1].waitForFinished(25))
        copies[0].waitForFinished(25);
    QProcess& quitter = copies[copies[0].state() == QProcess::NotRunning ? 0 : 1];
    QProcess& survivor = copies[&quitter == &copies[0] ? 1 : 0];
    const bool oneQuitCleanly =
        quitter.state() == QProcess::NotRunning && quitter.exitStatus() == QProcess::NormalExit;
    const bool survivorHoldsLock = holdsLock(survivor);
    QThread::msleep(1000); // the survivor must not quit a little later either
    const bool survivorRuns = survivor.state() == QProcess::Running;
    for (QProcess& copy : copies)
        if (copy.state() != QProcess::NotRunning)
            copy.kill(), copy.waitForFinished(10000);
    QVERIFY2(oneQuitCleanly, "both copies kept running, or one crashed instead of quitting");
    QVERIFY2(survivorHoldsLock && survivorRuns, "the remaining copy lost the lock or quit");
}

QTEST_GUILESS_MAIN(TestInstanceRace)
#include "test_instance_race.moc"
