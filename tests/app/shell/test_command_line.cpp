#include "CommandChannel.h"
#include "CommandLine.h"
#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using Action = CommandLine::Action;
using Command = CommandChannel::Command;
using Request = CommandChannel::Request;

namespace {

constexpr int startTimeoutMs = 60000; // a sanitizer build starting on a busy machine

QProcess* run(QObject* owner, const QStringList& arguments) {
    auto* process = new QProcess(owner);
    process->start(PINSTRIP_EXECUTABLE, arguments);
    return process;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parse() {
        const QList<Action> valid{Action::start, Action::summon, Action::toggle,
                                  Action::tap,   Action::help,   Action::version};
        const QStringList lines{"",           "--summon",  "--toggle",          "--tap",
                                "--help",     "--version", "--summon --toggle", "--summon x",
                                "--summon=1", "-summon",   "--SUMMON",          "--sum"};
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(CommandLine::parse(lines[i].split(' ', Qt::SkipEmptyParts)) ==
                         valid.value(i, Action::invalid),
                     qPrintable(lines[i]));
    }

    // Exactly "summon", "toggle" or "tap", optionally one space and a printable token; anything
    // else is dropped whole, and a refused token does not cost its command.
    void decode() {
        const QByteArray longest = "summon " + QByteArray(256, 'k');
        const QByteArrayList known{"summon", "toggle a_b:1", "tap", longest};
        for (const QByteArray& line :
             known + QByteArrayList{longest + 'k', "summon ", "summon a b", "summon a\x7f",
                                    "summon \xc3\xa9", QByteArray("summon\0", 7), "summon\r",
                                    "summons", " summon", "taps", ""}) {
            const std::optional<Request> request = CommandChannel::decode(line);
            QVERIFY2(request.has_value() == known.contains(line),
                     line.toPercentEncoding().constData());
            QVERIFY(!request || CommandChannel::encode(*request) == line);
        }
        QCOMPARE(CommandChannel::encode({Command::toggle, "a b"}), QByteArray("toggle"));
    }

    // Only a live holder stops a copy (a killed one's file does not); whatever else blocks a
    // lock path moves on to the next, and with none left the program runs unguarded.
    void lockFallsBack_data() {
        QTest::addColumn<QStringList>("planted"); // what sits at each of the two paths
        QTest::addColumn<int>("held");            // index of the lock taken, -1 none; -2: refused
        QTest::newRow("free") << QStringList{"", ""} << 0;
        QTest::newRow("killed holder's file") << QStringList{"stale", ""} << 0;
        QTest::newRow("live holder") << QStringList{"held", ""} << -2;
        QTest::newRow("first blocked") << QStringList{"directory", ""} << 1;
        QTest::newRow("both blocked") << QStringList{"directory", "missing"} << -1;
    }
    void lockFallsBack() {
        QFETCH(QStringList, planted);
        QFETCH(int, held);
        QTemporaryDir dir;
        const QStringList paths = {dir.filePath("a/pinstrip.lock"),
                                   dir.filePath("b/new/pinstrip.lock")};
        std::optional<SingleInstance> holder;
        for (int i = 0; i < 2; ++i) {
            if (!planted[i].isEmpty())
                QVERIFY(QDir().mkpath(QFileInfo(paths[i]).path()));
            if (planted[i] == "held")
                QVERIFY(holder.emplace(QStringList{paths[i]}).acquire());
            else if (planted[i] == "directory")
                QVERIFY(QDir().mkdir(paths[i]));
            else if (planted[i] == "stale")
                QVERIFY(QFile(paths[i]).open(QIODevice::WriteOnly));
            else if (planted[i] == "missing")
                QVERIFY(QFile::link(dir.filePath(planted[i]), paths[i]));
        }
        SingleInstance instance(paths);
        QCOMPARE(instance.acquire(), held != -2);
        const QString folder = held >= 0 ? QFileInfo(paths[held]).path() : QString();
        QCOMPARE(instance.channelPath(), held >= 0 ? folder + "/pinstrip.socket" : QString());
        QVERIFY(!QFileInfo::exists(dir.filePath("missing"))); // no link was followed
        // A folder it made is the user's alone, and the lock guards from there on.
        QVERIFY(held < 0 || !planted[held].isEmpty() || !(QFile::permissions(folder) & 0x0077));
        QVERIFY(held < 0 || !SingleInstance(paths).acquire());
    }

    // A refusal touches nothing; a later launch hands its command and the launcher's token to
    // the running copy, whose channel drops hostile, silent and half-sent clients and keeps no
    // real command out. Without a display (as under Wayland) a copy starts all the same, and a
    // termination signal ends it cleanly.
    void program() {
        QProcess* refused = run(this, {"--sum"});
        QVERIFY(refused->waitForFinished(startTimeoutMs) && refused->exitCode() == 2);
        QVERIFY(refused->readAllStandardError().startsWith("Usage: pinstrip"));
        for (const char* folder :
             {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            QVERIFY(QDir(qEnvironmentVariable(folder))
                        .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pinstrip.socket";
        QVERIFY(QFile(socket).open(QIODevice::WriteOnly)); // a dead copy's leftover
        {
            CommandChannel running;
            QVERIFY(running.listen(socket));
            QCOMPARE(QFile::permissions(socket) & 0x0077, QFileDevice::Permissions());
            QSignalSpy received(&running, &CommandChannel::received);
            std::vector<std::unique_ptr<QLocalSocket>> clients;
            for (const QByteArray& payload : {QByteArray(), QByteArray(1 << 20, 's'),
                                              QByteArray("summon"), QByteArray("summon\0\n", 8),
                                              QByteArray("quit\nsummon\n"), QByteArray(20, '\n')}) {
                clients.push_back(std::make_unique<QLocalSocket>());
                clients.back()->connectToServer(socket);
                QVERIFY(clients.back()->waitForConnected(5000));
                clients.back()->write(payload);
                clients.back()->flush();
            }
            qputenv("DESKTOP_STARTUP_ID", "startup");
            run(this, {"--toggle"});
            QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, startTimeoutMs);
            for (const auto& client : clients)
                QTRY_COMPARE_WITH_TIMEOUT(client->state(), QLocalSocket::UnconnectedState, 10000);
            QCOMPARE(received.size(), 1);
            const auto request = received.at(0).at(0).value<Request>();
            QVERIFY(request.command == Command::toggle && request.token == "startup");
        }
        QVERIFY(!CommandChannel::send(socket + "-none", {}));

        QProcess* copy = run(this, {});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), startTimeoutMs);
        ::kill(pid_t(copy->processId()), SIGTERM);
        QVERIFY(copy->waitForFinished(startTimeoutMs));
        QVERIFY(copy->exitStatus() == QProcess::NormalExit && copy->exitCode() == 0);
    }
};

QTEST_MAIN(TestCommandLine)
#include "test_command_line.moc"
