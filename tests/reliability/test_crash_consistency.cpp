// Kills a child process that is busy changing and saving the list, at random moments, and
// checks the state file after every kill: it must decode, and it must hold the last
// acknowledged state (or the one after it, when the kill landed between the save and the
// acknowledgement).
//
//   test_crash_consistency [--kills N] [QtTest options]
//
// The child is a fork of this process, so a kill costs a fork rather than a program start.
// It drives a store on the real file without end and acknowledges every finished operation
// on a pipe: one line "<operation index> <SHA-1 of the encoded state>", written after the
// operation, and with it the save, has returned. A line is shorter than PIPE_BUF, so the
// parent only ever reads whole lines. Two broken writers show that the check can fail: in
// both the store's own saves go to a shadow folder, and the child either rewrites the real
// file in place, in two halves (the check must find damaged files), or replaces it one
// operation late (the check must find lost acknowledged operations).
#include "StoreScript.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <random>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Who writes the real file: the store, or one of two broken writers.
enum class Writer { store, inPlace, late };

struct Figures {
    int kills = 0;
    int intact = 0;
    int unreadable = 0;
    int lostOperations = 0;
    int unknownStates = 0;
    int inFlightLanded = 0;
    qint64 acknowledged = 0;
    int setAside = 0;
    int killedWrites = 0;
    double killsPerSecond = 0;
};

// A fingerprint of every field, far cheaper than encoding, so that the child's work after a
// save stays small next to the save itself.
QByteArray digest(const DaylaState& state) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    auto addItems = [&hash](const QList<DaylaItem>& items) {
        const auto count = static_cast<qint64>(items.size());
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&count), sizeof count));
        for (const DaylaItem& item : items) {
            hash.addData(item.id.toRfc4122());
            const auto status = static_cast<char>(item.status);
            hash.addData(QByteArrayView(&status, 1));
            const auto length = static_cast<qint64>(item.title.size());
            hash.addData(QByteArrayView(reinterpret_cast<const char*>(&length), sizeof length));
            hash.addData(QByteArrayView(reinterpret_cast<const char*>(item.title.utf16()),
                                        item.title.size() * 2));
        }
    };
    addItems(state.items);
    for (const ArchivedDay& day : state.archive) {
        hash.addData(day.date.toUtf8());
        addItems(day.items);
    }
    return hash.result().toHex();
}

// The state without ids: a replay makes the same changes as the child but draws other ids.
DaylaState withoutIds(DaylaState state) {
    for (DaylaItem& item : state.items)
        item.id = QUuid();
    for (ArchivedDay& day : state.archive)
        for (DaylaItem& item : day.items)
            item.id = QUuid();
    return state;
}

std::optional<QByteArray> readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t count = ::write(fd, data, size);
        if (count <= 0)
            return false;
        data += count;
        size -= static_cast<size_t>(count);
    }
    return true;
}

bool writeInPlace(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    // The pause between the halves gives the kills a window as wide as a slow disk's.
    const size_t half = static_cast<size_t>(bytes.size()) / 2;
    const bool ok =
        writeAll(fd, bytes.constData(), half) && ::fsync(fd) == 0 && ::usleep(20000) == 0 &&
        writeAll(fd, bytes.constData() + half, static_cast<size_t>(bytes.size()) - half);
    ::close(fd);
    return ok;
}

bool replace(const QString& path, const QByteArray& bytes) {
    const QString temporary = path + QStringLiteral(".late");
    return writeInPlace(temporary, bytes) && ::rename(QFile::encodeName(temporary).constData(),
                                                      QFile::encodeName(path).constData()) == 0;
}

[[noreturn]] void work(const QString& folder, quint32 seed, int ackFd, Writer writer) {
    QString storeFolder = folder;
    if (writer != Writer::store) {
        storeFolder = folder + QStringLiteral(".shadow");
        QDir().mkpath(folder);
        QDir().mkpath(storeFolder);
        QFile::remove(storeFolder + QStringLiteral("/todo.json"));
        QFile::copy(folder + QStringLiteral("/todo.json"),
                    storeFolder + QStringLiteral("/todo.json"));
    }
    DaylaStore store(storeFolder, StoreScript::clock(seed));
    StoreScript script(seed);
    QByteArray previous;
    for (quint64 index = 0;; ++index) {
        script.step(store);
        const QString path = folder + QStringLiteral("/todo.json");
        if (writer == Writer::inPlace && !writeInPlace(path, store.state().encode()))
            ::_exit(1);
        if (writer == Writer::late) {
            if (!previous.isNull() && !replace(path, previous))
                ::_exit(1);
            previous = store.state().encode();
        }
        const QByteArray line = QByteArray::number(index) + ' ' + digest(store.state()) + '\n';
        if (!writeAll(ackFd, line.constData(), static_cast<size_t>(line.size())))
            ::_exit(1);
    }
}

class Child {
public:
    Child(const QString& folder, quint32 seed, Writer writer) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            // Never outlive the test, whatever happens to it.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            work(folder, seed, fds[1], writer);
        }
        ::close(fds[1]);
        if (m_pid < 0) {
            ::close(fds[0]);
            return;
        }
        m_fd = fds[0];
    }
    ~Child() {
        kill();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    [[nodiscard]] bool started() const { return m_pid > 0 && m_fd >= 0; }

    enum class Read { data, timeout, closed };

    // Collects the acknowledgements that arrive within timeoutMs.
    Read read(QList<QByteArray>& acks, int timeoutMs) {
        pollfd pfd{m_fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, timeoutMs);
        if (ready == 0 || (ready < 0 && errno == EINTR))
            return Read::timeout;
        char buffer[4096];
        const ssize_t count = ready < 0 ? -1 : ::read(m_fd, buffer, sizeof buffer);
        if (count <= 0)
            return Read::closed;
        m_pending.append(buffer, count);
        for (qsizetype end; (end = m_pending.indexOf('\n')) >= 0;) {
            const QList<QByteArray> fields = m_pending.left(end).split(' ');
            if (fields.size() == 2)
                acks.append(fields.at(1));
            m_pending.remove(0, end + 1);
        }
        return Read::data;
    }

    // SIGKILL, then whatever it acknowledged before dying.
    void kill(QList<QByteArray>* acks = nullptr) {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        if (acks)
            while (read(*acks, 1000) == Read::data) {
            }
    }

private:
    pid_t m_pid = -1;
    int m_fd = -1;
    QByteArray m_pending;
};

} // namespace

Q_DECLARE_METATYPE(Writer)

class CrashConsistencyTest : public QObject {
    Q_OBJECT

public:
    explicit CrashConsistencyTest(int kills) : m_kills(kills) {}

private slots:
    void acknowledgedOperationsSurviveKills();
    void brokenWritersAreCaught_data();
    void brokenWritersAreCaught();

private:
    Figures run(int kills, Writer writer);

    int m_kills;
};

Figures CrashConsistencyTest::run(int kills, Writer writer) {
    Figures figures;
    // On a real disk the save spends most of its time in fsync, so most kills land inside it.
    QTemporaryDir root;
    // Replays only need a store that works, not a disk: memory-backed storage where there is one.
    QTemporaryDir scratch(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                              ? QStringLiteral("/dev/shm/pinstrip-replay-XXXXXX")
                              : QDir::tempPath() + QStringLiteral("/pinstrip-replay-XXXXXX"));
    if (!root.isValid() || !scratch.isValid())
        return figures;
    const QString folder = root.filePath(QStringLiteral("Pinstrip"));
    const QString path = folder + QStringLiteral("/todo.json");
    const quint32 runSeed = qEnvironmentVariableIsSet("PINSTRIP_CRASH_SEED")
                                ? qEnvironmentVariableIntValue("PINSTRIP_CRASH_SEED")
                                : std::random_device{}();
    std::printf("seed %u (set PINSTRIP_CRASH_SEED to repeat)\n", runSeed);
    std::mt19937 random(runSeed);
    auto uniform = [&random](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    double startupMs = 50;
    double intervalMs = 20;
    QElapsedTimer runTime;
    runTime.start();

    for (int k = 0; k < kills; ++k) {
        const std::optional<QByteArray> startBytes = readFile(path);
        const DaylaState startState =
            startBytes ? DaylaState::decode(*startBytes).value_or(DaylaState{}) : DaylaState{};
        const quint32 seed = random();
        QList<QByteArray> acks{digest(startState)};

        QElapsedTimer clock;
        clock.start();
        Child child(folder, seed, writer);
        if (!child.started())
            return figures;
        // The kill lands at a uniformly random moment of the child's first few operations,
        // its start included; the estimates of both durations follow what the children show.
        const double killAt = uniform(0, startupMs + 2.5 * intervalMs);
        qint64 firstAckAt = -1;
        qint64 lastAckAt = -1;
        for (double left = killAt; left > 0; left = killAt - static_cast<double>(clock.elapsed())) {
            const qsizetype before = acks.size();
            if (child.read(acks, static_cast<int>(std::ceil(left))) == Child::Read::closed) {
                std::printf("the child ended by itself after %lld operations\n",
                            static_cast<long long>(acks.size() - 1));
                return figures;
            }
            if (acks.size() > before) {
                lastAckAt = clock.elapsed();
                if (firstAckAt < 0)
                    firstAckAt = lastAckAt;
            }
        }
        // Waiting past the estimate without an acknowledgement means the estimate is short.
        if (firstAckAt < 0 && killAt > startupMs)
            startupMs = startupMs * 1.2 + 1;
        else if (firstAckAt >= 0)
            startupMs = 0.9 * startupMs + 0.1 * static_cast<double>(firstAckAt);
        if (acks.size() > 2)
            intervalMs = 0.9 * intervalMs + 0.1 * static_cast<double>(lastAckAt - firstAckAt) /
                                                static_cast<double>(acks.size() - 2);
        child.kill(&acks);
        ++figures.kills;
        const qint64 acked = acks.size() - 1;
        figures.acknowledged += acked;

        const QDir dir(folder);
        // A kill in the middle of a save leaves its temporary file; counted, then cleared.
        for (const QString& name :
             dir.entryList({QStringLiteral(".todo.json.*")}, QDir::Files | QDir::Hidden)) {
            ++figures.killedWrites;
            QFile::remove(dir.filePath(name));
        }
        figures.setAside +=
            static_cast<int>(dir.entryList({QStringLiteral("todo.json.unreadable-*")}).size());

        const std::optional<QByteArray> bytes = readFile(path);
        const std::optional<DaylaState> state =
            bytes ? DaylaState::decode(*bytes) : std::optional<DaylaState>(DaylaState{});
        if (!state) {
            ++figures.unreadable;
            QFile::remove(path);
            continue;
        }
        const QByteArray found = digest(*state);
        if (found == acks.last()) {
            ++figures.intact;
            continue;
        }
        // The operation after the last acknowledged one may have been saved before the kill.
        const QString replayFolder = scratch.filePath(QStringLiteral("replay-%1").arg(k));
        QDir().mkpath(replayFolder);
        if (startBytes) {
            QFile replayFile(replayFolder + QStringLiteral("/todo.json"));
            if (replayFile.open(QIODevice::WriteOnly))
                replayFile.write(*startBytes);
        }
        {
            DaylaStore replay(replayFolder, StoreScript::clock(seed));
            StoreScript script(seed);
            for (qint64 i = 0; i <= acked; ++i)
                script.step(replay);
            if (withoutIds(replay.state()) == withoutIds(*state)) {
                ++figures.intact;
                ++figures.inFlightLanded;
                QDir(replayFolder).removeRecursively();
                continue;
            }
        }
        QDir(replayFolder).removeRecursively();
        const qsizetype earlier = acks.lastIndexOf(found);
        if (earlier >= 0) {
            figures.lostOperations += static_cast<int>(acked - earlier);
        } else {
            ++figures.unknownStates;
        }
    }
    figures.killsPerSecond = 1000.0 * figures.kills / static_cast<double>(runTime.elapsed() + 1);
    return figures;
}

void CrashConsistencyTest::acknowledgedOperationsSurviveKills() {
    const Figures f = run(m_kills, Writer::store);
    std::printf("kills %d, intact files %d, unreadable files %d, lost acknowledged operations "
                "%d, files matching no state %d\n",
                f.kills, f.intact, f.unreadable, f.lostOperations, f.unknownStates);
    std::printf("acknowledged operations %lld, kills after a save but before its "
                "acknowledgement %d, kills in the middle of a save %d, %.1f kills per second\n",
                static_cast<long long>(f.acknowledged), f.inFlightLanded, f.killedWrites,
                f.killsPerSecond);
    std::fflush(stdout);
    QCOMPARE(f.kills, m_kills);
    QCOMPARE(f.unreadable, 0);
    QCOMPARE(f.lostOperations, 0);
    QCOMPARE(f.unknownStates, 0);
    QCOMPARE(f.setAside, 0);
    QCOMPARE(f.intact, m_kills);
    // The kills must have landed among real work, not only before the first operation.
    QVERIFY(f.acknowledged > m_kills / 2);
}

void CrashConsistencyTest::brokenWritersAreCaught_data() {
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<bool>("damages"); // else it loses acknowledged operations
    QTest::newRow("rewrites the file in place") << Writer::inPlace << true;
    QTest::newRow("replaces the file one operation late") << Writer::late << false;
}

void CrashConsistencyTest::brokenWritersAreCaught() {
    QFETCH(Writer, writer);
    QFETCH(bool, damages);
    const int kills = 25;
    const Figures f = run(kills, writer);
    std::printf("broken writer: kills %d, unreadable files %d, lost acknowledged operations %d, "
                "files matching no state %d\n",
                f.kills, f.unreadable, f.lostOperations, f.unknownStates);
    std::fflush(stdout);
    QCOMPARE(f.kills, kills);
    QVERIFY(damages ? f.unreadable > 0 : f.lostOperations > 0);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    int kills = 500;
    const qsizetype at = arguments.indexOf(QStringLiteral("--kills"));
    if (at > 0 && at + 1 < arguments.size()) {
        kills = arguments.at(at + 1).toInt();
        arguments.remove(at, 2);
    }
    CrashConsistencyTest test(kills);
    return QTest::qExec(&test, arguments);
}

#include "test_crash_consistency.moc"
