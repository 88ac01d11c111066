#include "Preferences.h"
#include "StripPanel.h"
#include "platform/WindowSystem.h"

#include <QProcess>
#include <QQuickItem>
#include <QTest>

// The strip's window under a real window manager, which drops a window's hints when it is
// unmapped and reads them anew on every map. Shown without asking for the keyboard, it is never
// flagged as demanding attention. openbox keeps "sticky" as the desktop number alone.
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
        const auto hints = [&panel] {
            QProcess xprop;
            xprop.start("xprop", {"-id", QString::number(panel.winId()), "_NET_WM_STATE",
                                  "_NET_WM_DESKTOP", "_NET_WM_USER_TIME"});
            xprop.waitForFinished();
            return QString::fromLatin1(xprop.readAllStandardOutput()).simplified();
        };
        for (int round = 0; round < 3; ++round) {
            panel.relayout();
            panel.present();
            QVERIFY(QTest::qWaitForWindowExposed(&panel));
            QTRY_COMPARE(hints(), "_NET_WM_STATE(ATOM) = _NET_WM_STATE_SKIP_TASKBAR, "
                                  "_NET_WM_STATE_SKIP_PAGER, _NET_WM_STATE_ABOVE "
                                  "_NET_WM_DESKTOP(CARDINAL) = 4294967295 "
                                  "_NET_WM_USER_TIME(CARDINAL) = 0");
            panel.hide();
            QTRY_VERIFY(!hints().contains("ABOVE"));
        }
    }
};

QTEST_MAIN(TestFloatingWindow)
#include "test_floating_window.moc"
