#include "Dialogs.h"
#include "Hotkey.h"
#include "LoginItem.h"
#include "Preferences.h"
#include "ShortcutOffer.h"
#include "StoreFolder.h"
#include "TrayMenu.h"
#include "UpdateCheck.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

class TestShellServices : public QObject {
    Q_OBJECT

private slots:
    // Enabled while the entry (or one of the old name) exists and is not skipped; toggling
    // registers or unregisters, leaving no entry of the old name.
    void loginEntry_data() {
        QTest::addColumn<QByteArray>("entry");  // empty: no file
        QTest::addColumn<QByteArray>("legacy"); // pinstrip.desktop, as earlier versions wrote
        QTest::addColumn<bool>("enabled");
        const QByteArray plain("[Desktop Entry]\nType=Application\nExec=x\n");
        const QByteArray hidden("[Desktop Entry]\nExec=x\nHidden=true\n");
        const auto row = [](const char* name, const QByteArray& entry, const QByteArray& legacy,
                            bool enabled) { QTest::newRow(name) << entry << legacy << enabled; };
        row("absent", {}, {}, false);
        row("plain", plain, {}, true);
        row("hidden", hidden, {}, false);
        row("disabled for GNOME", "[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", {}, false);
        row("hidden in another group", "[Desktop Entry]\n[Desktop Action x]\nHidden=true\n", {},
            true);
        row("old name", {}, plain, true);
        row("both, new hidden", hidden, plain, true);
        row("a file where the folder goes", "blocked", {}, false); // as root too: no mode bits
    }
    void loginEntry() {
        QFETCH(QByteArray, entry);
        QFETCH(QByteArray, legacy);
        QFETCH(bool, enabled);
        QTemporaryDir config;
        int beeps = 0;
        LoginItem login(config.filePath("autostart"), "/opt/Pin Strip/pinstrip", [&] { ++beeps; });
        const QString legacyPath = config.filePath("autostart/pinstrip.desktop");
        const bool blocked = entry == "blocked";
        const QString blocker = config.filePath("autostart");
        QVERIFY(entry.isEmpty() ||
                StoreFolder::write(blocked ? blocker : login.entryPath(), entry));
        QVERIFY(legacy.isEmpty() || StoreFolder::write(legacyPath, legacy));
        QCOMPARE(login.enabled(), enabled);
        login.toggle();
        QCOMPARE(login.enabled(), !enabled && !blocked);
        QVERIFY(!QFile::exists(legacyPath));
        const QByteArray written = StoreFolder::read(login.entryPath());
        QCOMPARE(written.isEmpty(), enabled || blocked);
        QVERIFY(enabled || blocked || written.contains("\nExec=\"/opt/Pin Strip/pinstrip\"\n"));
        QCOMPARE(beeps, int(blocked)); // only a failed change beeps
        QVERIFY(!blocked || StoreFolder::read(blocker) == entry);
    }

    // A popup gets no shortcuts from Qt: Control-Q must still quit while the menu is open.
    void controlQQuitsFromOpenMenu() {
        QList<TrayMenu::Command> ran;
        TrayMenu menu([&ran](TrayMenu::Command command) { ran << command; });
        menu.popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        QTest::keyClick(&menu, Qt::Key_Q, Qt::ControlModifier);
        QTRY_COMPARE(ran, QList<TrayMenu::Command>{TrayMenu::Command::quit});
    }

    void updateCheck_data() {
        using enum UpdateCheck::Outcome;
        QTest::addColumn<QByteArray>("response"); // null: the port is closed
        QTest::addColumn<UpdateCheck::Outcome>("outcome");
        QTest::addColumn<QString>("page");
        const QByteArray releases = "https://example.org/pinstrip/releases";
        const auto feed = [&](const QByteArray& version, const QByteArray& url = {}) {
            return "{\"version\": \"" + version + "\", \"url\": \"" +
                   (url.isEmpty() ? releases : url) + "\"}";
        };
        const auto row = [](const char* name, const QByteArray& body, UpdateCheck::Outcome outcome,
                            const QString& page = {}, int status = 200) {
            const QByteArray head = "HTTP/1.1 " + QByteArray::number(status) +
                                    " X\r\nContent-Length: " + QByteArray::number(body.size()) +
                                    "\r\n\r\n";
            QTest::newRow(name) << head + body << outcome << page;
        };
        // against 1.9.0
        row("newer, numeric not textual order", feed("1.10.0"), newerAvailable, releases);
        row("same", feed("1.9.0"), upToDate);
        row("http page", feed("2", "http://example.org/p"), newerAvailable, "http://example.org/p");
        row("page is a local file", feed("9.0", "file:///etc/passwd"), failed);
        row("pre-release text", feed("2.0-beta"), failed);
        row("not found", feed("9.0"), failed, {}, 404);
        row("oversized", feed("9.0\", \"pad\": \"" + QByteArray(200 * 1024, 'x')), failed);
        row("oversized after a whole feed", feed("9.0") + QByteArray(70000, ' '), failed);
        QTest::newRow("unreachable") << QByteArray() << failed << "";
    }
    void updateCheck() {
        QFETCH(QByteArray, response);
        QFETCH(UpdateCheck::Outcome, outcome);
        QFETCH(QString, page);
        QByteArray requests;
        QTcpServer server; // answers with the canned response, then closes
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket* socket = server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [socket, &requests, &response] {
                                 requests += socket->readAll();
                                 if (requests.endsWith("\r\n\r\n")) {
                                     socket->write(response);
                                     socket->disconnectFromHost();
                                 }
                             });
        });
        QVERIFY(server.listen(QHostAddress::LocalHost));
        if (response.isNull())
            server.close();
        UpdateCheck check(QUrl(QString("http://127.0.0.1:%1/feed").arg(server.serverPort())),
                          "1.9.0");
        QSignalSpy finished(&check, &UpdateCheck::finished);
        check.check();
        check.check(); // a second request while one runs is not another fetch
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.size() == 1 && !check.running());
        QVERIFY(requests.count("GET ") <= 1);
        const auto result = finished.first().first().value<UpdateCheck::Result>();
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.page, QUrl(page));
    }

    // The binding a desktop needs is offered once by itself, again on request, and written
    // only on "Add Shortcut"; a failed write says why.
    void shortcutOffer() {
        struct Backend : HotkeyBackend {
            std::optional<QKeyCombination> proposedBinding() const override { return proposal; }
            QString bind(QKeyCombination key) override { return bound << key, "no gsettings"; }
            std::optional<QKeyCombination> proposal;
            QList<QKeyCombination> bound;
        };
        const QKeyCombination shifted(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier,
                                      Qt::Key_T);
        Backend* backend = nullptr;
        HotkeyBackend::Reported report;
        Hotkey hotkey(Qt::ControlModifier | Qt::AltModifier | Qt::Key_T, {},
                      [&](QKeyCombination, HotkeyBackend::Pressed, HotkeyBackend::Reported r) {
                          report = std::move(r);
                          return std::unique_ptr<HotkeyBackend>(backend = new Backend);
                      });
        Preferences preferences;
        Dialogs dialogs;
        ShortcutOffer offer(hotkey, preferences, dialogs, Platform::DoubleTap::noneOnGnome);
        QVERIFY(!offer.show());
        backend->proposal = shifted;
        report({HotkeyStatus::State::unbound, "GNOME: Terminal"});
        QMessageBox* box = dialogs.open(Dialogs::Kind::shortcut);
        QVERIFY(box && box->informativeText().contains("Ctrl+Alt+T already runs GNOME: Terminal, "
                                                       "so Pinstrip would use Ctrl+Alt+Shift+T"));
        QVERIFY(!preferences.offerShortcut());
        box->buttons().constLast()->click(); // "Not Now"
        QTRY_VERIFY(!dialogs.open(Dialogs::Kind::shortcut));
        QVERIFY(backend->bound.isEmpty());
        QVERIFY(offer.show());
        dialogs.open(Dialogs::Kind::shortcut)->defaultButton()->click();
        QTRY_COMPARE(backend->bound, QList{shifted});
        QTRY_VERIFY(dialogs.open(Dialogs::Kind::shortcut) &&
                    dialogs.open(Dialogs::Kind::shortcut)->informativeText() == "no gsettings");
    }
};

QTEST_MAIN(TestShellServices)
#include "test_shell_services.moc"
