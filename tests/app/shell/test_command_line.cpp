#include "CommandChannel.h"
#include "CommandLine.h"
#include "SingleInstance.h"

#include <QDirIterator>
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

namespace {

constexpr int startTimeoutMs = 60000; // a sanitizer build starting on a busy machine

// Every file under the data and config folders with its contents.
QMap<QString, QByteArray> userFiles() {
    QMap<QString, QByteArray> files;
    for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
        QDirIterator it(qEnvironmentVariable(variable), QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            files[file.fileName()] = file.open(QIODevice::ReadOnly) ? file.readAll() : "?";
        }
    }
    return files;
}

QProcess* run(QObject* owner, const QStringList& arguments) {
    auto* process = new QProcess(owner);
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
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::newRow("none") << QStringList() << Action::start;
        QTest::newRow("summon") << QStringList{"--summon"} << Action::summon;
        QTest::newRow("toggle") << QStringList{"--toggle"} << Action::toggle;
        QTest::newRow("help") << QStringList{"--help"} << Action::help;
        QTest::newRow("version") << QStringList{"--version"} << Action::version;
        QTest::newRow("two options") << QStringList{"--summon", "--toggle"} << Action::invalid;
        QTest::newRow("stray argument") << QStringList{"--summon", "x"} << Action::invalid;
        QTest::newRow("file name") << QStringList{"todo.json"} << Action::invalid;
        QTest::newRow("empty") << QStringList{""} << Action::invalid;
        QTest::newRow("with a value") << QStringList{"--summon=1"} << Action::invalid;
        QTest::newRow("single dash") << QStringList{"-summon"} << Action::invalid;
        QTest::newRow("upper case") << QStringList{"--SUMMON"} << Action::invalid;
        QTest::newRow("prefix") << QStringList{"--sum"} << Action::invalid;
        QTest::newRow("toolkit option") << QStringList{"--title"} << Action::invalid;
    }
    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QCOMPARE(CommandLine::parse(arguments), action);
    }

    // Exactly "summon" or "toggle", optionally one space and a printable token; anything else
    // is dropped whole, also the command in front of a refused token.
    void decode_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("known");
        QTest::addColumn<Command>("command");
        QTest::addColumn<QByteArray>("token");
        const QByteArray longest(256, 'k');
        // clang-format off
        QTest::newRow("summon") << QByteArray("summon") << true << Command::summon << QByteArray();
        QTest::newRow("toggle") << QByteArray("toggle") << true << Command::toggle << QByteArray();
        QTest::newRow("token") << QByteArray("toggle a_b:1") << true << Command::toggle << QByteArray("a_b:1");
        QTest::newRow("longest token") << "summon " + longest << true << Command::summon << longest;
        QTest::newRow("token too long") << "summon " + longest + 'k' << false << Command::summon << QByteArray();
        QTest::newRow("blank token") << QByteArray("summon ") << false << Command::summon << QByteArray();
        QTest::newRow("two tokens") << QByteArray("summon a b") << false << Command::summon << QByteArray();
        QTest::newRow("control byte") << QByteArray("summon a\x7f") << false << Command::summon << QByteArray();
        QTest::newRow("high byte") << QByteArray("summon \xc3\xa9") << false << Command::summon << QByteArray();
        QTest::newRow("nul") << QByteArray("summon\0", 7) << false << Command::summon << QByteArray();
        QTest::newRow("carriage return") << QByteArray("summon\r") << false << Command::summon << QByteArray();
        QTest::newRow("capital") << QByteArray("Summon") << false << Command::summon << QByteArray();
        QTest::newRow("longer word") << QByteArray("summons") << false << Command::summon << QByteArray();
        QTest::newRow("leading space") << QByteArray(" summon") << false << Command::summon << QByteArray();
        QTest::newRow("empty") << QByteArray("") << false << Command::summon << QByteArray();
        QTest::newRow("other word") << QByteArray("quit") << false << Command::summon << QByteArray();
        // clang-format on
    }
    void decode() {
        QFETCH(QByteArray, line);
        QFETCH(bool, known);
        QFETCH(Command, command);
        QFETCH(QByteArray, token);
        const std::optional<CommandChannel::Request> request = CommandChannel::decode(line);
        QCOMPARE(request.has_value(), known);
        if (!known)
            return;
        QCOMPARE(request->command, command);
        QCOMPARE(request->token, token);
        QCOMPARE(CommandChannel::encode(*request), line);
    }

    // A launcher's token the running copy would refuse must not cost the command.
    void encodeLeavesOutRefusedTokens() {
        for (const QByteArray& token : {QByteArray("a b"), QByteArray(257, 'k'), QByteArray("\n")})
            QCOMPARE(CommandChannel::encode({Command::toggle, token}), QByteArray("toggle"));
    }

    // Hostile or broken clients deliver nothing and do not keep a real command out.
    void channelDropsWhatItDoesNotKnow() {
        QTemporaryDir dir;
        const QString path = dir.filePath("pinstrip.socket");
        QVERIFY(QFile(path).open(QIODevice::WriteOnly)); // a dead copy's leftover
        CommandChannel channel;
        QVERIFY(channel.listen(path));
        QCOMPARE(QFile::permissions(path) & 0x0077, QFileDevice::Permissions());
        QSignalSpy received(&channel, &CommandChannel::received);

        QList<QLocalSocket*> clients;
        const QList<QByteArray> payloads = {
            "",           "garbage\n",    QByteArray(1 << 20, 's'), "summon",
            "summon\0\n", "toggle x y\n", "quit\nsummon\n",         QByteArray(20, '\n')};
        for (const QByteArray& payload : payloads) {
            auto* client = new QLocalSocket(this);
            client->connectToServer(path);
            QVERIFY(client->waitForConnected(5000));
            client->write(payload);
            client->flush();
            clients << client;
        }
        QVERIFY(CommandChannel::send(path, {Command::toggle, "tok"}));
        QTRY_COMPARE(received.size(), 1);
        const auto request = received.front().front().value<CommandChannel::Request>();
        QCOMPARE(request.command, Command::toggle);
        QCOMPARE(request.token, QByteArray("tok"));
        // Silent and half-sent clients are dropped by the channel, not kept waiting.
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(clients.cbegin(), clients.cend(),
                                             [](QLocalSocket* client) {
                                                 return client->state() ==
                                                        QLocalSocket::UnconnectedState;
                                             }),
                                 10000);
        QCOMPARE(received.size(), 1);
        qDeleteAll(clients);
        QVERIFY(!CommandChannel::send(dir.filePath("nobody.socket"), {}));
    }

    // Only a live holder stops a copy; whatever else blocks a lock path moves on to the next,
    // and with none left the program runs unguarded.
    void lockFallsBack_data() {
        QTest::addColumn<QString>("first");  // what sits at the first path
        QTest::addColumn<QString>("second"); // and at the second
        QTest::addColumn<int>("held");       // index of the lock taken, -1 none; -2: refused
        QTest::newRow("free") << ""
                              << "" << 0;
        QTest::newRow("live holder") << "held"
                                     << "" << -2;
        QTest::newRow("directory") << "directory"
                                   << "" << 1;
        QTest::newRow("dangling link") << "dangling"
                                       << "" << 1;
        QTest::newRow("link to a file") << "link"
                                        << "" << 1;
        QTest::newRow("folder is a file") << "inside file"
                                          << "" << 1;
        QTest::newRow("holder at the second") << "directory"
                                              << "held" << -2;
        QTest::newRow("both blocked") << "directory"
                                      << "dangling" << -1;
    }
    void lockFallsBack() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, held);
        QTemporaryDir dir;
        QVERIFY(QFile(dir.filePath("target")).open(QIODevice::WriteOnly));
        QVERIFY(QFile(dir.filePath("file")).open(QIODevice::WriteOnly));
        const QStringList paths = {dir.filePath("a/pinstrip.lock"),
                                   dir.filePath("b/new/pinstrip.lock")};
        std::vector<std::unique_ptr<SingleInstance>> holders;
        const QStringList planted = {first, second};
        for (int i = 0; i < 2; ++i) {
            const QString path = paths[i];
            const QString folder = QFileInfo(path).path();
            if (planted[i] == "inside file")
                QVERIFY(QFile::link(dir.filePath("file"), folder));
            else if (!planted[i].isEmpty())
                QVERIFY(QDir().mkpath(folder));
            if (planted[i] == "held") {
                holders.push_back(std::make_unique<SingleInstance>(QStringList{path}));
                QVERIFY(holders.back()->acquire());
            } else if (planted[i] == "directory") {
                QVERIFY(QDir().mkdir(path));
            } else if (planted[i] == "dangling") {
                QVERIFY(QFile::link(dir.filePath("missing"), path));
            } else if (planted[i] == "link") {
                QVERIFY(QFile::link(dir.filePath("target"), path));
            }
        }
        SingleInstance instance(paths);
        QCOMPARE(instance.acquire(), held != -2);
        QCOMPARE(instance.channelPath(),
                 held >= 0 ? QFileInfo(paths[held]).path() + "/pinstrip.socket" : QString());
        QCOMPARE(QFileInfo(dir.filePath("target")).size(), 0); // no link was followed
        if (held >= 0) {
            // A folder it made is the user's alone, and the lock guards from there on.
            QCOMPARE(QFile::permissions(QFileInfo(paths[held]).path()) & 0x0077,
                     QFileDevice::Permissions());
            QVERIFY(!SingleInstance(paths).acquire());
        }
    }

    // The program itself: help and man page agree, refusals touch nothing, a later launch
    // hands over to the running copy, hostile bytes on its socket change nothing, and a
    // termination signal ends it cleanly.
    void program() {
        QProcess* help = run(this, {"--help"});
        QVERIFY(help->waitForFinished(startTimeoutMs));
        QCOMPARE(help->exitCode(), 0);
        QFile man(PINSTRIP_MAN_PAGE);
        QVERIFY(man.open(QIODevice::ReadOnly));
        const QString helpText = QString::fromUtf8(help->readAllStandardOutput());
        QCOMPARE(longOptions(QString::fromUtf8(man.readAll())), longOptions(helpText));
        QVERIFY(longOptions(helpText).contains("summon"));

        for (const QStringList& refused : {QStringList{"--bogus"}, QStringList{"--toggle", "x"}}) {
            QProcess* process = run(this, refused);
            QVERIFY(process->waitForFinished(startTimeoutMs));
            QCOMPARE(process->exitCode(), 2);
            QVERIFY(process->readAllStandardError().startsWith("Usage: pinstrip"));
            QVERIFY(process->readAllStandardOutput().isEmpty());
        }
        QVERIFY(userFiles().isEmpty());
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        for (const QString& folder : {runtime, qEnvironmentVariable("XDG_CACHE_HOME")})
            QVERIFY(QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));

        QProcess* copy = run(this, {"--toggle"}); // starts shown whatever was stored
        const QString socket = runtime + "/pinstrip.socket";
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), startTimeoutMs);
        const QString settings =
            qEnvironmentVariable("XDG_CONFIG_HOME") + "/Pinstrip/Pinstrip.conf";
        const auto visible = [&] {
            QSettings stored(settings, QSettings::IniFormat);
            return stored.value("pinstrip.visible").toString();
        };
        QTRY_COMPARE(visible(), QString("true"));

        QMap<QString, QByteArray> before = userFiles();
        for (const QByteArray& bytes : {QByteArray("\xff\0\n", 3), QByteArray(70000, 'x'),
                                        QByteArray("summon \x01\n"), QByteArray("quit\n")}) {
            QLocalSocket hostile;
            hostile.connectToServer(socket);
            QVERIFY(hostile.waitForConnected(5000));
            hostile.write(bytes);
            hostile.waitForBytesWritten(5000);
        }
        // The hostile lines went first; the toggle handed over after them is the only change.
        QProcess* second = run(this, {"--toggle"});
        QVERIFY(second->waitForFinished(startTimeoutMs));
        QCOMPARE(second->exitCode(), 0);
        QTRY_COMPARE(visible(), QString("false"));
        QCOMPARE(copy->state(), QProcess::Running);
        QMap<QString, QByteArray> after = userFiles();
        QVERIFY(after.remove(settings) == 1 && before.remove(settings) == 1);
        QCOMPARE(after, before);

        QProcess* plain = run(this, {});
        QVERIFY(plain->waitForFinished(startTimeoutMs));
        QCOMPARE(plain->exitCode(), 0);
        QTRY_COMPARE(visible(), QString("true")); // a plain launch summons: shown again

        ::kill(pid_t(copy->processId()), SIGTERM);
        QVERIFY(copy->waitForFinished(startTimeoutMs));
        QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy->exitCode(), 0);
    }
};

QTEST_MAIN(TestCommandLine)
#include "test_command_line.moc"
