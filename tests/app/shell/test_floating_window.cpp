#include "Preferences.h"
#include "StripPanel.h"
#include "platform/WindowSystem.h"

#include <QProcess>
#include <QQuickItem>
#include <QTest>

namespace {

QString xprop(const QString& window, const QStringList& properties) {
    QProcess xprop;
    xprop.start("xprop", QStringList{"-id", window} + properties);
    xprop.waitForFinished();
    return QString::fromLatin1(xprop.readAllStandardOutput()).simplified();
}

// The window's EWMH state and desktop as the window manager left them, and its user time.
QString hints(const QWindow& window) {
    return xprop(QString::number(window.winId()),
                 {"_NET_WM_STATE", "_NET_WM_DESKTOP", "_NET_WM_USER_TIME"});
}

} // namespace

// The strip's window under a real window manager, which drops a window's hints when it is
// unmapped and reads them anew on every map. Shown without asking for the keyboard, it is never
// flagged as demanding attention.
class TestFloatingWindow : public QObject {
    Q_OBJECT

private slots:
    void keepsItsNatureOverHideAndShow() {
        const auto windowSystem = WindowSystem::create();
        Preferences preferences;
        StripPanel panel(*windowSystem, preferences);
        auto content = std::make_unique<QQuickItem>();
        content->setImplicitWidth(300);
        content->setImplicitHeight(120);
        panel.setContent(std::move(content));
        // openbox keeps "sticky" as the desktop number alone.
        const QString floating = "_NET_WM_STATE(ATOM) = "
                                 "_NET_WM_STATE_SKIP_TASKBAR, _NET_WM_STATE_SKIP_PAGER, "
                                 "_NET_WM_STATE_ABOVE _NET_WM_DESKTOP(CARDINAL) = 4294967295 "
                                 "_NET_WM_USER_TIME(CARDINAL) = 0";
        for (int round = 0; round < 4; ++round) {
            panel.relayout();
            panel.present();
            QVERIFY(QTest::qWaitForWindowExposed(&panel));
            QTRY_COMPARE(hints(panel), floating);
            panel.hide();
            QTRY_VERIFY(!hints(panel).contains("ABOVE"));
        }
    }
};

QTEST_MAIN(TestFloatingWindow)
#include "test_floating_window.moc"
