#include "OptionDoubleTap.h"
#include "platform/KeySource.h"

#include <QGuiApplication>
#include <QTest>
#include <QTimer>

namespace {

// What the fake source saw; outlives the monitor that owns the source.
struct SourceProbe {
    bool trusted = false;
    bool installWorks = true;
    int installs = 0;
    int removes = 0;
    KeySource::Sink sink;
};

class FakeKeySource : public KeySource {
public:
    explicit FakeKeySource(std::shared_ptr<SourceProbe> probe) : m_probe(std::move(probe)) {}
    bool trusted() override { return m_probe->trusted; }
    bool install(Sink sink) override {
        ++m_probe->installs;
        if (m_probe->installWorks)
            m_probe->sink = std::move(sink);
        return m_probe->installWorks;
    }
    void remove() override {
        ++m_probe->removes;
        m_probe->sink = nullptr;
    }

private:
    std::shared_ptr<SourceProbe> m_probe;
};

constexpr KeyReport altDown{KeyReport::Kind::Flags, true, false};
constexpr KeyReport altUp{KeyReport::Kind::Flags, false, false};
constexpr KeyReport altDownChord{KeyReport::Kind::Flags, true, true};
constexpr KeyReport cancel{KeyReport::Kind::Cancel};
constexpr KeyReport nothing{};

// Feeds one Alt tap starting at `at`, 0.05 s long.
void tap(SourceProbe& probe, double at) {
    probe.sink(altDown, at);
    probe.sink(altUp, at + 0.05);
}

void tickPollTimer(QObject& owner) {
    QTimer* timer = owner.findChild<QTimer*>();
    QVERIFY(timer);
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
}

} // namespace

Q_DECLARE_METATYPE(KeyReport)

class TestOptionDoubleTap : public QObject {
    Q_OBJECT

private slots:
    void startWithRawInputInstallsAtOnce() {
        auto probe = std::make_shared<SourceProbe>();
        probe->trusted = true;
        OptionDoubleTap monitor([] {}, std::make_unique<FakeKeySource>(probe));
        monitor.start(true);
        QVERIFY(monitor.active());
        QCOMPARE(monitor.findChildren<QTimer*>().size(), 0);
        monitor.start(false);
        QCOMPARE(probe->installs, 1);
    }

    void startWithoutRawInputPollsUntilAvailable() {
        auto probe = std::make_shared<SourceProbe>();
        OptionDoubleTap monitor([] {}, std::make_unique<FakeKeySource>(probe));
        monitor.start(true);
        monitor.start(true);
        QVERIFY(!monitor.active());
        const QList<QTimer*> timers = monitor.findChildren<QTimer*>();
        QCOMPARE(timers.size(), 1);
        QVERIFY(timers.first()->isActive());
        QCOMPARE(timers.first()->interval(), 2000);

        tickPollTimer(monitor);
        QVERIFY(!monitor.active());
        QCOMPARE(probe->installs, 0);

        probe->trusted = true;
        tickPollTimer(monitor);
        QVERIFY(monitor.active());
        QCOMPARE(probe->installs, 1);
        QCOMPARE(monitor.findChildren<QTimer*>().size(), 0);
    }

    // The poll timer may still run when the source has become available meanwhile; its tick
    // then must not install a second time.
    void pollTickAfterInstallDoesNotInstallTwice() {
        auto probe = std::make_shared<SourceProbe>();
        OptionDoubleTap monitor([] {}, std::make_unique<FakeKeySource>(probe));
        monitor.start(true);
        probe->trusted = true;
        monitor.start(true);
        QVERIFY(monitor.active());
        tickPollTimer(monitor);
        QCOMPARE(probe->installs, 1);
        QCOMPARE(monitor.findChildren<QTimer*>().size(), 0);
    }

    void stopLeavesNothingBehind_data() {
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("removes");
        QTest::newRow("stopped") << true << false << 0;
        QTest::newRow("waiting") << false << true << 0;
        QTest::newRow("active") << true << true << 1;
    }

    void stopLeavesNothingBehind() {
        QFETCH(bool, trusted);
        QFETCH(bool, started);
        QFETCH(int, removes);
        auto probe = std::make_shared<SourceProbe>();
        probe->trusted = trusted;
        int calls = 0;
        OptionDoubleTap monitor([&calls] { ++calls; }, std::make_unique<FakeKeySource>(probe));
        if (started)
            monitor.start(true);
        if (probe->sink)
            tap(*probe, 1.0); // a first tap that the stop must forget

        monitor.stop();
        QVERIFY(!monitor.active());
        QCOMPARE(monitor.findChildren<QTimer*>().size(), 0);
        QCOMPARE(probe->removes, removes);
        QVERIFY(!probe->sink);

        probe->trusted = true;
        monitor.start(true);
        QVERIFY(monitor.active());
        tap(*probe, 1.2);
        QCoreApplication::processEvents();
        QCOMPARE(calls, 0);
    }

    void reportsReachTheDetector_data() {
        QTest::addColumn<QList<KeyReport>>("between");
        QTest::addColumn<int>("calls");
        QTest::newRow("nothing between") << QList<KeyReport>{} << 1;
        QTest::newRow("an event that means nothing") << QList<KeyReport>{nothing} << 1;
        QTest::newRow("a key or click cancels") << QList<KeyReport>{cancel} << 0;
        QTest::newRow("a chord spoils the first tap") << QList<KeyReport>{altDownChord, altUp} << 0;
    }

    void reportsReachTheDetector() {
        QFETCH(QList<KeyReport>, between);
        QFETCH(int, calls);
        auto probe = std::make_shared<SourceProbe>();
        probe->trusted = true;
        int called = 0;
        OptionDoubleTap monitor([&called] { ++called; }, std::make_unique<FakeKeySource>(probe));
        monitor.start(true);
        tap(*probe, 10.0);
        for (const KeyReport& report : between)
            probe->sink(report, 10.1);
        tap(*probe, 10.2);
        QCOMPARE(called, 0); // never inside the event handler
        QCoreApplication::processEvents();
        QCOMPARE(called, calls);
    }

    void destructionRemovesSourceAndDropsPendingCallback() {
        auto probe = std::make_shared<SourceProbe>();
        probe->trusted = true;
        int called = 0;
        {
            OptionDoubleTap monitor([&called] { ++called; },
                                    std::make_unique<FakeKeySource>(probe));
            monitor.start(true);
            tap(*probe, 1.0);
            tap(*probe, 1.2);
        }
        QCoreApplication::processEvents();
        QCOMPARE(called, 0);
        QCOMPARE(probe->removes, 1);
    }

    // A source that refuses is retried by the next start instead of being taken as installed.
    void refusedInstallIsRetried() {
        auto probe = std::make_shared<SourceProbe>();
        probe->trusted = true;
        probe->installWorks = false;
        OptionDoubleTap monitor([] {}, std::make_unique<FakeKeySource>(probe));
        monitor.start(true);
        QVERIFY(monitor.active());
        probe->installWorks = true;
        monitor.start(true);
        QCOMPARE(probe->installs, 2);
        monitor.stop();
        QCOMPARE(probe->removes, 1);
    }

    // Without X11 there is no system-wide source: the monitor waits and never becomes active.
    void sessionWithoutSourceStaysInactive() {
        OptionDoubleTap monitor([] {});
        monitor.start(true);
        QVERIFY(!monitor.active());
        tickPollTimer(monitor);
        QVERIFY(!monitor.active());
        monitor.stop();
        QCOMPARE(monitor.findChildren<QTimer*>().size(), 0);
    }
};

QTEST_MAIN(TestOptionDoubleTap)
#include "test_option_double_tap.moc"
