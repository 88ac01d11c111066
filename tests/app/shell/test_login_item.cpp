#include "LoginItem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

class LoginItemTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    int m_beeps = 0;

    LoginItem item(const QString& folder) {
        return LoginItem(folder, QStringLiteral("/opt/Pin Strip/pinstrip"), [this] { ++m_beeps; });
    }

private slots:
    void init() { m_beeps = 0; }

    void defaultEntryIsInUserAutostart() {
        QCOMPARE(LoginItem().entryPath(), qEnvironmentVariable("XDG_CONFIG_HOME") +
                                              QStringLiteral("/autostart/pinstrip.desktop"));
    }

    void enabledReadsEntry_data() {
        QTest::addColumn<QByteArray>("entry"); // empty: no file
        QTest::addColumn<bool>("enabled");
        QTest::newRow("absent") << QByteArray() << false;
        QTest::newRow("plain") << QByteArray("[Desktop Entry]\nType=Application\nExec=pinstrip\n")
                               << true;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=pinstrip\nHidden=true\n")
                                << false;
        QTest::newRow("hidden false")
            << QByteArray("[Desktop Entry]\nExec=pinstrip\nHidden=false\n") << true;
        QTest::newRow("disabled for GNOME")
            << QByteArray("[Desktop Entry]\nExec=pinstrip\nX-GNOME-Autostart-enabled=false\n")
            << false;
        QTest::newRow("spaces around =") << QByteArray("[Desktop Entry]\nHidden = true\n") << false;
        QTest::newRow("hidden in another group")
            << QByteArray("[Desktop Entry]\nExec=pinstrip\n[Desktop Action x]\nHidden=true\n")
            << true;
    }

    void enabledReadsEntry() {
        QFETCH(QByteArray, entry);
        QFETCH(bool, enabled);
        QTemporaryDir folder;
        if (!entry.isEmpty())
            QVERIFY(write(folder.filePath(QStringLiteral("pinstrip.desktop")), entry));
        QCOMPARE(item(folder.path()).enabled(), enabled);
    }

    void toggleRegistersAndUnregisters() {
        const QString folder = m_root.filePath(QStringLiteral("new/autostart"));
        LoginItem login = item(folder);
        login.toggle();
        QVERIFY(login.enabled());
        const QByteArray entry = contents(login.entryPath());
        QVERIFY(entry.startsWith("[Desktop Entry]\n"));
        QVERIFY(entry.contains("\nExec=\"/opt/Pin Strip/pinstrip\"\n"));
        QVERIFY(entry.contains("\nType=Application\n"));

        login.toggle();
        QVERIFY(!login.enabled());
        QVERIFY(!QFile::exists(login.entryPath()));
        QCOMPARE(m_beeps, 0);
    }

    void disabledEntryIsEnabledAgain() {
        QTemporaryDir folder;
        LoginItem login = item(folder.path());
        QVERIFY(write(login.entryPath(), "[Desktop Entry]\nExec=pinstrip\nHidden=true\n"));
        login.toggle();
        QVERIFY(login.enabled());
        QCOMPARE(m_beeps, 0);
    }

    // Works as root too: no permission bits involved, the folder simply cannot exist.
    void unwritableFolderBeepsOnceAndChangesNothing() {
        QTemporaryDir config;
        const QString blocker = config.filePath(QStringLiteral("autostart"));
        QVERIFY(write(blocker, "not a folder"));
        LoginItem login = item(blocker);
        login.toggle();
        QCOMPARE(m_beeps, 1);
        QVERIFY(!login.enabled());
        QCOMPARE(contents(blocker), QByteArray("not a folder"));
        QCOMPARE(
            QDir(config.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
            QStringList{QStringLiteral("autostart")});
    }
};

QTEST_GUILESS_MAIN(LoginItemTest)
#include "test_login_item.moc"
