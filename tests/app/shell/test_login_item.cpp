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
        return LoginItem(folder, "/opt/Pin Strip/pinstrip", [this] { ++m_beeps; });
    }

private slots:
    void init() { m_beeps = 0; }

    // Enabled while the entry exists and does not tell the desktop to skip it; toggling an
    // entry that is there but skipped registers it again.
    void enabledReadsEntry_data() {
        QTest::addColumn<QByteArray>("entry"); // empty: no file
        QTest::addColumn<bool>("enabled");
        QTest::newRow("absent") << QByteArray() << false;
        QTest::newRow("plain") << QByteArray("[Desktop Entry]\nType=Application\nExec=x\n") << true;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=x\nHidden=true\n") << false;
        QTest::newRow("hidden false")
            << QByteArray("[Desktop Entry]\nExec=x\nHidden=false\n") << true;
        QTest::newRow("disabled for GNOME")
            << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("spaces around =") << QByteArray("[Desktop Entry]\nHidden = true\n") << false;
        QTest::newRow("hidden in another group")
            << QByteArray("[Desktop Entry]\nExec=x\n[Desktop Action x]\nHidden=true\n") << true;
    }
    void enabledReadsEntry() {
        QFETCH(QByteArray, entry);
        QFETCH(bool, enabled);
        QTemporaryDir folder;
        LoginItem login = item(folder.path());
        if (!entry.isEmpty())
            QVERIFY(write(login.entryPath(), entry));
        QCOMPARE(login.enabled(), enabled);
        login.toggle();
        QCOMPARE(login.enabled(), !enabled);
        QCOMPARE(m_beeps, 0);
    }

    void toggleRegistersAndUnregisters() {
        LoginItem login = item(m_root.filePath("new/autostart"));
        login.toggle();
        QVERIFY(login.enabled());
        const QByteArray entry = contents(login.entryPath());
        QVERIFY(entry.startsWith("[Desktop Entry]\n"));
        QVERIFY(entry.contains("\nExec=\"/opt/Pin Strip/pinstrip\"\n"));
        QVERIFY(entry.contains("\nType=Application\n"));
        login.toggle();
        QVERIFY(!login.enabled() && !QFile::exists(login.entryPath()));
        QCOMPARE(m_beeps, 0);
    }

    // A file where the folder should be: works as root too, no permission bits involved.
    void unwritableFolderBeepsOnceAndChangesNothing() {
        QTemporaryDir config;
        const QString blocker = config.filePath("autostart");
        QVERIFY(write(blocker, "not a folder"));
        LoginItem login = item(blocker);
        login.toggle();
        QCOMPARE(m_beeps, 1);
        QVERIFY(!login.enabled());
        QCOMPARE(contents(blocker), QByteArray("not a folder"));
        QCOMPARE(
            QDir(config.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
            QStringList{"autostart"});
    }
};

QTEST_GUILESS_MAIN(LoginItemTest)
#include "test_login_item.moc"
