// The program as a whole, started as processes: of two copies started at the same instant
// exactly one keeps running, also when a killed copy left its lock behind; and a copy killed
// with SIGKILL, running or still starting, never stops the next start.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

constexpr int startTimeoutMs = 60000; // a sanitizer build starting on a busy machine

QString lockPath() {
    return qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/pinstrip.lock");
}

// The process id written in the lock, 0 without one.
qint64 lockHolder() {
    QFile file(lockPath());
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine().trimmed().toLongLong();
}

std::unique_ptr<QProcess> startCopy() {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // Whether Qt's own allocations are freed at exit is not what this test is about.
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(PINSTRIP_EXECUTABLE), QStringList{});
    return process;
}

// Waits until the copy holds the lock; false if it ended or never got there.
bool waitForLock(QProcess& copy) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < startTimeoutMs) {
        if (copy.state() == QProcess::NotRunning)
            return false;
        if (lockHolder() == copy.processId())
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
    void init();
    void exactlyOneOfTwoKeepsRunning_data();
    void exactlyOneOfTwoKeepsRunning();
    void killedCopyNeverBlocksTheNext_data();
    void killedCopyNeverBlocksTheNext();
};

void TestInstanceRace::init() {
    QFile::remove(lockPath());
}

void TestInstanceRace::exactlyOneOfTwoKeepsRunning_data() {
    QTest::addColumn<bool>("staleLock");
    QTest::newRow("first start of the session") << false;
    QTest::newRow("after a copy was killed") << true;
}

void TestInstanceRace::exactlyOneOfTwoKeepsRunning() {
    QFETCH(bool, staleLock);
    if (staleLock) {
        const std::unique_ptr<QProcess> killed = startCopy();
        QVERIFY(waitForLock(*killed));
        stop(*killed);
        QVERIFY(QFile::exists(lockPath()));
    }

    const std::unique_ptr<QProcess> first = startCopy();
    const std::unique_ptr<QProcess> second = startCopy();
    QVERIFY(first->waitForStarted() && second->waitForStarted());

    // One of them gives up once it sees the other's lock.
    QElapsedTimer timer;
    timer.start();
    while (first->state() != QProcess::NotRunning && second->state() != QProcess::NotRunning &&
           timer.elapsed() < startTimeoutMs) {
        first->waitForFinished(25);
        second->waitForFinished(25);
    }
    const bool firstQuit = first->state() == QProcess::NotRunning;
    QProcess& quitter = firstQuit ? *first : *second;
    QProcess& survivor = firstQuit ? *second : *first;
    const bool oneQuit = quitter.state() == QProcess::NotRunning;
    const bool quitCleanly = quitter.exitStatus() == QProcess::NormalExit;
    const bool survivorHoldsLock = waitForLock(survivor);
    QThread::msleep(1000);
    const bool survivorRuns = survivor.state() == QProcess::Running;
    stop(*first);
    stop(*second);

    QVERIFY2(oneQuit, "both copies kept running");
    QVERIFY2(quitCleanly, "the second copy crashed instead of quitting");
    QVERIFY2(survivorHoldsLock, "the remaining copy does not hold the lock");
    QVERIFY2(survivorRuns, "the remaining copy did not keep running");
}

void TestInstanceRace::killedCopyNeverBlocksTheNext_data() {
    QTest::addColumn<int>("killAfterMs"); // -1: once it holds the lock
    QTest::newRow("killed while running") << -1;
    QTest::newRow("killed while starting") << 30;
    QTest::newRow("killed at once") << 0;
}

void TestInstanceRace::killedCopyNeverBlocksTheNext() {
    QFETCH(int, killAfterMs);
    const std::unique_ptr<QProcess> killed = startCopy();
    QVERIFY(killed->waitForStarted());
    if (killAfterMs < 0)
        QVERIFY(waitForLock(*killed));
    else
        QThread::msleep(static_cast<unsigned long>(killAfterMs));
    stop(*killed);

    const std::unique_ptr<QProcess> next = startCopy();
    const bool holdsLock = waitForLock(*next);
    QThread::msleep(500);
    const bool runs = next->state() == QProcess::Running;
    stop(*next);
    QVERIFY2(holdsLock, "the next copy never took the lock");
    QVERIFY2(runs, "the next copy did not keep running");
}

QTEST_GUILESS_MAIN(TestInstanceRace)
#include "test_instance_race.moc"
