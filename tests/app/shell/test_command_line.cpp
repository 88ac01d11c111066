#include "CommandChannel.h"
#include "CommandLine.h"
#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using Action = CommandLine::Action;
using Command = CommandChannel::Command;
using Request = CommandChannel::Request;

namespace {

constexpr int startTimeoutMs = 60000; // a sanitizer build starting on a busy machine

QProcess* run(QObject* owner, const QStringList& arguments, const QStringList& environment = {}) {
    auto* process = new QProcess(owner);
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : environment)
        variables.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process->setProcessEnvironment(variables);
    process->start(PINSTRIP_EXECUTABLE, arguments);
    return process;
}

QSet<QString> longOptions(const QString& text) {
    QSet<QString> options;
    for (const QRegularExpressionMatch& match :
         QRegularExpression(QStringLiteral("(?:\\\\-|-){2}([a-z]+)")).globalMatch(text))
        options << match.captured(1);
    return options;
}

} // namespace

// The command line, the hand-over to a running copy and the lock it depends on.
class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<Action>("action");
        QTest::newRow("none") << "" << Action::start;
        QTest::newRow("summon") << "--summon" << Action::summon;
        QTest::newRow("toggle") << "--toggle" << Action::toggle;
        QTest::newRow("help") << "--help" << Action::help;
        QTest::newRow("version") << "--version" << Action::version;
        for (const char* refused : {"--summon --toggle", "--summon x", "todo.json", "--summon=1",
                                    "-summon", "--SUMMON", "--sum", "--title"})
            QTest::newRow(refused) << refused << Action::invalid;
    }
    void parse() {
        QFETCH(QString, arguments);
        QTEST(CommandLine::parse(arguments.split(' ', Qt::SkipEmptyParts)), "action");
    }

    // Exactly "summon" or "toggle", optionally one space and a printable token; anything else
    // is dropped whole, also the command in front of a refused token.
    void decode_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("known");
        const QByteArray longest = "summon " + QByteArray(256, 'k');
        for (const QByteArray& line : {QByteArray("summon"), QByteArray("toggle a_b:1"), longest})
            QTest::newRow(line.left(16)) << line << true;
        for (const QByteArray& line :
             {longest + 'k', QByteArray("summon "), QByteArray("summon a b"),
              QByteArray("summon a\x7f"), QByteArray("summon \xc3\xa9"), QByteArray("summon\0", 7),
              QByteArray("summon\r"), QByteArray("Summon"), QByteArray("summons"),
              QByteArray(" summon"), QByteArray(""), QByteArray("quit")})
            QTest::newRow(line.left(16).toPercentEncoding()) << line << false;
    }
    void decode() {
        QFETCH(QByteArray, line);
        QFETCH(bool, known);
        const std::optional<Request> request = CommandChannel::decode(line);
        QCOMPARE(request.has_value(), known);
        if (known)
            QCOMPARE(CommandChannel::encode(*request), line);
        else if (line.startsWith("summon ")) // a refused token must not cost the command
            QCOMPARE(CommandChannel::encode({Command::toggle, line.mid(7)}), QByteArray("toggle"));
    }

    // Hostile or broken clients deliver nothing and do not keep a real command out; silent and
    // half-sent ones are dropped, not kept waiting.
    void channelDropsWhatItDoesNotKnow() {
        QTemporaryDir dir;
        const QString path = dir.filePath("pinstrip.socket");
        QVERIFY(QFile(path).open(QIODevice::WriteOnly)); // a dead copy's leftover
        CommandChannel channel;
        QVERIFY(channel.listen(path));
        QCOMPARE(QFile::permissions(path) & 0x0077, QFileDevice::Permissions());
        QSignalSpy received(&channel, &CommandChannel::received);
        std::vector<std::unique_ptr<QLocalSocket>> clients;
        for (const QByteArray& payload :
             {QByteArray(), QByteArray("garbage\n"), QByteArray(1 << 20, 's'), QByteArray("summon"),
              QByteArray("summon\0\n", 8), QByteArray("quit\nsummon\n"), QByteArray(20, '\n')}) {
            clients.push_back(std::make_unique<QLocalSocket>());
            clients.back()->connectToServer(path);
            QVERIFY(clients.back()->waitForConnected(5000));
            clients.back()->write(payload);
            clients.back()->flush();
        }
        QVERIFY(CommandChannel::send(path, {Command::toggle, "tok"}));
        QTRY_COMPARE(received.size(), 1);
        const auto request = received.front().front().value<Request>();
        QVERIFY(request.command == Command::toggle && request.token == "tok");
        for (const auto& client : clients)
            QTRY_COMPARE_WITH_TIMEOUT(client->state(), QLocalSocket::UnconnectedState, 10000);
        QCOMPARE(received.size(), 1);
        QVERIFY(!CommandChannel::send(dir.filePath("nobody.socket"), {}));
    }

    // Only a live holder stops a copy; whatever else blocks a lock path moves on to the next,
    // and with none left the program runs unguarded.
    void lockFallsBack_data() {
        QTest::addColumn<QStringList>("planted"); // what sits at each of the two paths
        QTest::addColumn<int>("held");            // index of the lock taken, -1 none; -2: refused
        QTest::newRow("free") << QStringList{"", ""} << 0;
        QTest::newRow("live holder") << QStringList{"held", ""} << -2;
        QTest::newRow("link to a file") << QStringList{"target", ""} << 1;
        QTest::newRow("holder at the second") << QStringList{"directory", "held"} << -2;
        QTest::newRow("both blocked") << QStringList{"directory", "missing"} << -1;
    }
    void lockFallsBack() {
        QFETCH(QStringList, planted);
        QFETCH(int, held);
        QTemporaryDir dir;
        QVERIFY(QFile(dir.filePath("target")).open(QIODevice::WriteOnly));
        const QStringList paths = {dir.filePath("a/pinstrip.lock"),
                                   dir.filePath("b/new/pinstrip.lock")};
        std::optional<SingleInstance> holder;
        for (int i = 0; i < 2; ++i) {
            const QString folder = QFileInfo(paths[i]).path();
            if (!planted[i].isEmpty())
                QVERIFY(QDir().mkpath(folder));
            if (planted[i] == "held")
                QVERIFY(holder.emplace(QStringList{paths[i]}).acquire());
            else if (planted[i] == "directory")
                QVERIFY(QDir().mkdir(paths[i]));
            else if (planted[i] == "missing" || planted[i] == "target")
                QVERIFY(QFile::link(dir.filePath(planted[i]), paths[i]));
        }
        SingleInstance instance(paths);
        QCOMPARE(instance.acquire(), held != -2);
        const QString folder = held >= 0 ? QFileInfo(paths[held]).path() : QString();
        QCOMPARE(instance.channelPath(), held >= 0 ? folder + "/pinstrip.socket" : QString());
        QCOMPARE(QFileInfo(dir.filePath("target")).size(), 0); // no link was followed
        // A folder it made is the user's alone, and the lock guards from there on.
        QVERIFY(held < 0 || !planted[held].isEmpty() || !(QFile::permissions(folder) & 0x0077));
        QVERIFY(held < 0 || !SingleInstance(paths).acquire());
    }

    // The program itself: help and man page agree, a refusal touches nothing, a later launch
    // hands its command and the launcher's token over to the running copy, and a termination
    // signal ends it cleanly.
    void program() {
        QProcess* help = run(this, {"--help"});
        QVERIFY(help->waitForFinished(startTimeoutMs) && help->exitCode() == 0);
        QFile man(PINSTRIP_MAN_PAGE);
        QVERIFY(man.open(QIODevice::ReadOnly));
        const QSet<QString> options = longOptions(help->readAllStandardOutput());
        QCOMPARE(longOptions(man.readAll()), options);
        QVERIFY(options.contains("summon"));

        QProcess* refused = run(this, {"--sum"});
        QVERIFY(refused->waitForFinished(startTimeoutMs) && refused->exitCode() == 2);
        QVERIFY(refused->readAllStandardError().startsWith("Usage: pinstrip"));
        QVERIFY(refused->readAllStandardOutput().isEmpty());
        for (const char* folder :
             {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            QVERIFY(QDir(qEnvironmentVariable(folder))
                        .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");

        {
            CommandChannel running;
            QVERIFY(running.listen(runtime + "/pinstrip.socket"));
            QSignalSpy received(&running, &CommandChannel::received);
            run(this, {"--toggle"}, {"DESKTOP_STARTUP_ID=startup"});
            QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, startTimeoutMs);
            run(this, {}, {"DESKTOP_STARTUP_ID=startup", "XDG_ACTIVATION_TOKEN=activation"});
            QTRY_COMPARE_WITH_TIMEOUT(received.size(), 2, startTimeoutMs);
            const auto first = received.at(0).at(0).value<Request>();
            const auto second = received.at(1).at(0).value<Request>();
            QVERIFY(first.command == Command::toggle && first.token == "startup");
            QVERIFY(second.command == Command::summon && second.token == "activation");
        }

        QProcess* copy = run(this, {"--toggle"}); // starts shown whatever was stored
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(runtime + "/pinstrip.socket"), startTimeoutMs);
        const QString settings =
            qEnvironmentVariable("XDG_CONFIG_HOME") + "/Pinstrip/Pinstrip.conf";
        const auto visible = [&] {
            return QSettings(settings, QSettings::IniFormat).value("pinstrip.visible").toString();
        };
        QTRY_COMPARE(visible(), QString("true"));
        for (const auto& [arguments, shown] :
             {std::pair{QStringList{"--toggle"}, "false"}, std::pair{QStringList{}, "true"}}) {
            QProcess* later = run(this, arguments);
            QVERIFY(later->waitForFinished(startTimeoutMs) && later->exitCode() == 0);
            QTRY_COMPARE(visible(), QString(shown)); // a plain launch summons
        }
        QCOMPARE(copy->state(), QProcess::Running);

        ::kill(pid_t(copy->processId()), SIGTERM);
        QVERIFY(copy->waitForFinished(startTimeoutMs));
        QVERIFY(copy->exitStatus() == QProcess::NormalExit && copy->exitCode() == 0);
    }
};

QTEST_MAIN(TestCommandLine)
#include "test_command_line.moc"
