// Kills a child that changes and saves the list without pause, at random moments, and checks
// the state file after every kill: it must decode and hold the last state the child
// acknowledged, or the next one when the kill fell between a save and its acknowledgement.
//
//   test_crash_consistency [--kills N] [QtTest options]
//
// The child is a fork of this process; it reports digests of its states on a pipe, in lines
// shorter than PIPE_BUF and so never split.
#include "StoreFolder.h"
#include "TodoStore.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int kills = 500; // --kills N

// One pseudo-random operation.
void step(TodoStore& store, std::mt19937& random, int& added) {
    const QList<TodoItem>& items = store.state().items;
    const auto roll = random() % 100;
    const QUuid picked = items.isEmpty() ? QUuid() : items.at(random() % items.size()).id;
    if (items.isEmpty() || (roll < 35 && items.size() < 40))
        store.add(QStringLiteral("entry %1 \"q\" a/b \\ \u00e9\u0301 \U0001F4CC\t.").arg(added++));
    else if (roll < 60)
        store.cycle(picked);
    else if (roll < 72)
        store.setStatus(picked, static_cast<ItemStatus>(random() % 3));
    else if (roll < 93)
        store.remove(picked);
    else
        store.archiveAndClear();
}

// A fingerprint of every field, far cheaper than encoding, so that the child spends its time in
// saves rather than in reporting them.
QByteArray digest(const TodoState& state) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const ArchivedDay& day : QList<ArchivedDay>{{"today", state.items}} + state.archive) {
        hash.addData(day.date.toUtf8() + '\0' + QByteArray::number(day.items.size()));
        for (const TodoItem& item : day.items)
            hash.addData(item.id.toRfc4122() + char(item.status) + item.title.toUtf8() + '\0');
    }
    return hash.result().toHex();
}

[[noreturn]] void work(const QString& folder, quint32 seed, int fd) {
    TodoStore store(folder, StoreFolder::clock());
    // Every state an operation passes through is announced ("P") before the save that may write
    // the last of them, and the operation acknowledged ("A") once the save has returned.
    const auto send = [&](char kind) {
        const QByteArray line = kind + digest(store.state()) + '\n';
        if (::write(fd, line.constData(), line.size()) != line.size())
            ::_exit(1);
    };
    QObject::connect(&store, &TodoStore::stateChanged, [&] { send('P'); });
    std::mt19937 random(seed);
    for (int added = 0;;) {
        step(store, random, added);
        send('A');
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
    const quint32 runSeed = qEnvironmentVariableIsSet("PINSTRIP_CRASH_SEED")
                                ? qEnvironmentVariableIntValue("PINSTRIP_CRASH_SEED")
                                : std::random_device{}();
    std::printf("seed %u (set PINSTRIP_CRASH_SEED to repeat)\n", runSeed);
    std::mt19937 random(runSeed);
    // Aimed at the child's first few operations, its start included; follows what they take.
    double windowUs = 50000;
    int intact = 0, inFlight = 0, unreadable = 0, lost = 0, unknown = 0, killedSaves = 0;
    qint64 acknowledged = 0;
    for (int kill = 0; kill < kills; ++kill) {
        const QByteArray start = StoreFolder::read(dir.file());
        const quint32 seed = random();
        int fds[2];
        QCOMPARE(::pipe2(fds, O_CLOEXEC), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive the test
            work(dir.path(), seed, fds[1]);
        }
        ::close(fds[1]);
        QVERIFY(pid > 0);
        ::usleep(static_cast<useconds_t>(std::uniform_real_distribution<>(0, windowUs)(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the child ended by itself");
        QByteArray lines;
        char buffer[4096];
        for (ssize_t count; (count = ::read(fds[0], buffer, sizeof buffer)) > 0;)
            lines.append(buffer, count);
        ::close(fds[0]);
        QByteArrayList acks{digest(StateCodec::decode(start).value_or(TodoState{}))}, pending;
        for (const QByteArray& line : lines.split('\n')) {
            if (line.startsWith('P'))
                pending << line.mid(1);
            if (line.startsWith('A')) {
                acks << line.mid(1);
                pending.clear();
            }
        }
        const int acked = static_cast<int>(acks.size() - 1);
        acknowledged += acked;
        windowUs *= acked == 0 ? 1.1 : acked > 1 ? 0.8 : 1.0;

        // A kill in the middle of a save leaves its temporary file behind; the next start
        // removes it, so there is never more than this kill's.
        const qsizetype leftovers =
            QDir(dir.path()).entryList({".todo.json.*"}, QDir::Files | QDir::Hidden).size();
        QVERIFY2(leftovers <= 1, "temporary files of earlier kills were left behind");
        killedSaves += static_cast<int>(leftovers);
        const QByteArray bytes = StoreFolder::read(dir.file());
        const std::optional<TodoState> state =
            QFile::exists(dir.file()) ? StateCodec::decode(bytes) : TodoState{};
        const QByteArray found = state ? digest(*state) : QByteArray();
        if (found == acks.last()) {
            ++intact;
        } else if (!state) {
            ++unreadable;
            QFile::remove(dir.file());
        } else if (!pending.isEmpty() && found == pending.last()) {
            ++intact;
            ++inFlight;
        } else if (const qsizetype earlier = acks.lastIndexOf(found); earlier >= 0) {
            lost += acked - static_cast<int>(earlier);
        } else {
            ++unknown;
        }
    }
    std::printf("kills %d, intact files %d, unreadable files %d, lost acknowledged operations %d, "
                "files matching no state %d\nacknowledged operations %lld, saves that landed "
                "before their acknowledgement %d, kills in the middle of a save %d\n",
                kills, intact, unreadable, lost, unknown, static_cast<long long>(acknowledged),
                inFlight, killedSaves);
    std::fflush(stdout);
    QCOMPARE(unreadable, 0);
    QCOMPARE(lost, 0);
    QCOMPARE(unknown, 0);
    QCOMPARE(intact, kills);
    QVERIFY2(acknowledged > kills / 2, "the kills fell before any real work");
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    if (const qsizetype at = arguments.indexOf("--kills"); at > 0 && at + 1 < arguments.size()) {
        kills = arguments.at(at + 1).toInt();
        arguments.remove(at, 2);
    }
    TestCrashConsistency test;
    return QTest::qExec(&test, arguments);
}

#include "test_crash_consistency.moc"
