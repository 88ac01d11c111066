// Kills a child that changes and saves the list without pause, at random moments, and checks
// the state file after every kill: it must decode to the last state the child acknowledged, or
// the next one when the kill fell between a save and its acknowledgement.
//
//   test_crash_consistency [--kills N] [QtTest options]
//
// The child is a fork of this process; it logs the text of each of its states to a file of
// length-prefixed frames, and the states are compared decoded, whole.
#include "StoreFolder.h"
#include "TodoStore.h"

#include <QCoreApplication>
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

[[noreturn]] void work(const QString& folder, quint32 seed, int fd) {
    TodoStore store(folder, StoreFolder::clock());
    // Every state an operation passes through is announced ("P" and its text) before the save
    // that may write the last of them, and the operation acknowledged ("A") once the save has
    // returned. The codec keeps the archive's text, so announcing costs little beside a save.
    StateCodec codec;
    const auto send = [&](const QByteArray& frame) {
        if (::write(fd, frame.constData(), frame.size()) != frame.size())
            ::_exit(1);
    };
    QObject::connect(&store, &TodoStore::stateChanged, [&] {
        const QByteArray text = codec.encodePieces(store.state()).join();
        send('P' + QByteArray::number(text.size()) + '\n' + text);
    });
    std::mt19937 random(seed);
    for (int added = 0;;) {
        step(store, random, added);
        send("A0\n");
    }
}

// The frames of a log, a last one cut short by the kill left out: (kind, text).
QList<std::pair<char, QByteArray>> frames(const QByteArray& log) {
    QList<std::pair<char, QByteArray>> out;
    for (qsizetype at = 0; at < log.size();) {
        const qsizetype newline = log.indexOf('\n', at);
        const qsizetype size = newline < 0 ? -1 : log.mid(at + 1, newline - at - 1).toLongLong();
        if (newline < 0 || newline + 1 + size > log.size())
            break;
        out.append({log.at(at), log.mid(newline + 1, size)});
        at = newline + 1 + size;
    }
    return out;
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
        const QString log = dir.root() + "/log";
        const int fd = ::open(QFile::encodeName(log).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
        QVERIFY(fd >= 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive the test
            work(dir.path(), seed, fd);
        }
        ::close(fd);
        QVERIFY(pid > 0);
        ::usleep(static_cast<useconds_t>(std::uniform_real_distribution<>(0, windowUs)(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the child ended by itself");
        // Texts of the acknowledged states, the one the child started from first, and of the
        // states announced since the last acknowledgement.
        QByteArrayList acks{StateCodec::encode(StateCodec::decode(start).value_or(TodoState{}))};
        QByteArrayList pending;
        for (const auto& [kind, text] : frames(StoreFolder::read(log))) {
            if (kind == 'P')
                pending << text;
            if (kind == 'A') {
                acks << (pending.isEmpty() ? acks.last() : pending.last());
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
        // Texts equal to the file's bytes decode to its state; only the others are decoded.
        const auto holds = [&](const QByteArray& text) {
            return text == bytes || StateCodec::decode(text) == state;
        };
        if (state && holds(acks.last())) {
            ++intact;
        } else if (!state) {
            ++unreadable;
            QFile::remove(dir.file());
        } else if (!pending.isEmpty() && holds(pending.last())) {
            ++intact;
            ++inFlight;
        } else {
            qsizetype earlier = acks.size() - 1;
            while (earlier >= 0 && !holds(acks.at(earlier)))
                --earlier;
            if (earlier >= 0)
                lost += acked - static_cast<int>(earlier);
            else
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
