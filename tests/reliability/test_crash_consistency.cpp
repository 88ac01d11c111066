// Kills a forked child that changes and saves the list without pause, at random moments: the
// file must then hold the last state the child acknowledged, or the one whose save was under
// way. The child logs lines: "P" and a state's text in base64, "A" an acknowledgement.
// PINSTRIP_CRASH_KILLS sets the number of kills, PINSTRIP_CRASH_SEED repeats a run.
#include "StoreFolder.h"
#include "TodoStore.h"

#include <QFile>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

[[noreturn]] void work(const QString& folder, quint32 seed, int fd) {
    TodoStore store(folder, StoreFolder::clock());
    StateCodec codec; // keeps the archive's text, so logging costs little beside a save
    const auto send = [&](const QByteArray& frame) {
        if (::write(fd, frame.constData(), frame.size()) != frame.size())
            ::_exit(1);
    };
    // Each state an operation passes through is announced before the save that may write it.
    QObject::connect(&store, &TodoStore::stateChanged, [&] {
        send('P' + codec.encodePieces(store.state()).join().toBase64() + '\n');
    });
    std::mt19937 random(seed);
    for (int added = 0;; send("A\n")) {
        const QList<TodoItem>& items = store.state().items;
        const auto roll = random() % 100;
        const QUuid picked = items.isEmpty() ? QUuid() : items.at(random() % items.size()).id;
        if (items.isEmpty() || (roll < 35 && items.size() < 40))
            store.add(
                QStringLiteral("entry %1 \"q\" a/b \\ \u00e9\u0301 \U0001F4CC\t.").arg(added++));
        else if (roll < 72)
            store.cycle(picked);
        else if (roll < 93)
            store.remove(picked);
        else
            store.archiveAndClear();
    }
}

} // namespace

class TestCrashConsistency : public QObject {
    Q_OBJECT

private slots:
    void acknowledgedOperationsSurviveKills();
};

void TestCrashConsistency::acknowledgedOperationsSurviveKills() {
    StoreFolder dir;
    const int kills = qEnvironmentVariable("PINSTRIP_CRASH_KILLS", "500").toInt();
    const quint32 runSeed =
        qEnvironmentVariable("PINSTRIP_CRASH_SEED", QString::number(std::random_device{}()))
            .toUInt();
    std::printf("seed %u\n", runSeed);
    std::mt19937 random(runSeed);
    double windowUs = 50000; // aimed at the child's first few operations, its start included
    long long acknowledged = 0;
    for (int kill = 0; kill < kills; ++kill) {
        const QByteArray start = StoreFolder::read(dir.file());
        const quint32 seed = random();
        const QString log = dir.root() + "/log";
        const int fd = ::open(QFile::encodeName(log).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
        QVERIFY(fd >= 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            work(dir.path(), seed, fd);
        }
        ::close(fd);
        QVERIFY(pid > 0);
        ::usleep(static_cast<useconds_t>(std::uniform_real_distribution<>(0, windowUs)(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the child ended by itself");

        // The last acknowledged text (at first the one started from) and the last announced since.
        QByteArray acked = StateCodec::encode(StateCodec::decode(start).value_or(TodoState{}));
        QByteArray pending;
        int acks = 0;
        QByteArrayList lines = StoreFolder::read(log).split('\n');
        lines.removeLast(); // empty, or cut short by the kill
        for (const QByteArray& line : lines) {
            if (line.startsWith('P'))
                pending = QByteArray::fromBase64(line.mid(1));
            else if (++acks; !pending.isEmpty())
                acked = std::exchange(pending, {});
        }
        acknowledged += acks;
        windowUs *= acks == 0 ? 1.1 : acks > 1 ? 0.8 : 1.0;

        const QByteArray bytes = StoreFolder::read(dir.file());
        const std::optional<TodoState> state =
            QFile::exists(dir.file()) ? StateCodec::decode(bytes) : TodoState{};
        const auto holds = [&](const QByteArray& text) {
            return text == bytes || StateCodec::decode(text) == state;
        };
        QVERIFY2(state && (holds(acked) || (!pending.isEmpty() && holds(pending))),
                 qPrintable(QStringLiteral("kill %1: the file is unreadable or lost an "
                                           "acknowledged operation")
                                .arg(kill)));
    }
    std::printf("kills %d, acknowledged operations %lld\n", kills, acknowledged);
    QVERIFY2(acknowledged > kills / 2, "the kills fell before any real work");
}

QTEST_GUILESS_MAIN(TestCrashConsistency)
#include "test_crash_consistency.moc"
