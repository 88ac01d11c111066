#include "Hotkey.h"
#include "platform/HotkeyBackend.h"

#include <QGuiApplication>
#include <QTest>

namespace {

struct BackendProbe {
    bool accept = true;
    QKeyCombination combination;
    std::function<void()> pressed;
    bool destroyed = false;
};

class FakeBackend : public HotkeyBackend {
public:
    explicit FakeBackend(std::shared_ptr<BackendProbe> probe) : m_probe(std::move(probe)) {}
    ~FakeBackend() override { m_probe->destroyed = true; }
    bool registered() const override { return m_probe->accept; }

private:
    std::shared_ptr<BackendProbe> m_probe;
};

Hotkey::BackendFactory fakeFactory(const std::shared_ptr<BackendProbe>& probe) {
    return [probe](QKeyCombination combination, std::function<void()> pressed) {
        probe->combination = combination;
        probe->pressed = std::move(pressed);
        return std::make_unique<FakeBackend>(probe);
    };
}

const QKeyCombination controlAltT(Qt::ControlModifier | Qt::AltModifier, Qt::Key_T);

} // namespace

class TestHotkey : public QObject {
    Q_OBJECT

private slots:
    void registersAtOnceAndReleasesOnDestruction() {
        auto probe = std::make_shared<BackendProbe>();
        {
            Hotkey hotkey(
                controlAltT, [] {}, fakeFactory(probe));
            QCOMPARE(probe->combination, controlAltT);
            QVERIFY(hotkey.registered());
            QVERIFY(!probe->destroyed);
        }
        QVERIFY(probe->destroyed);
    }

    void refusedRegistrationIsReported() {
        auto probe = std::make_shared<BackendProbe>();
        probe->accept = false;
        Hotkey hotkey(
            controlAltT, [] {}, fakeFactory(probe));
        QVERIFY(!hotkey.registered());
    }

    void eachPressRunsTheCallbackOnceAfterTheHandler() {
        auto probe = std::make_shared<BackendProbe>();
        int called = 0;
        Hotkey hotkey(
            controlAltT, [&called] { ++called; }, fakeFactory(probe));
        probe->pressed();
        probe->pressed();
        QCOMPARE(called, 0);
        QCoreApplication::processEvents();
        QCOMPARE(called, 2);
    }

    void pressPendingAtDestructionRunsNothing() {
        auto probe = std::make_shared<BackendProbe>();
        int called = 0;
        {
            Hotkey hotkey(
                controlAltT, [&called] { ++called; }, fakeFactory(probe));
            probe->pressed();
        }
        QCoreApplication::processEvents();
        QCOMPARE(called, 0);
    }

    // Without X11 nothing can be grabbed; the program must still start.
    void sessionWithoutGlobalShortcutsIsNotRegistered() {
        Hotkey hotkey(controlAltT, [] {});
        QVERIFY(!hotkey.registered());
    }
};

QTEST_MAIN(TestHotkey)
#include "test_hotkey.moc"
