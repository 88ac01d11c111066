#include "Hotkey.h"
#include "OptionDoubleTap.h"
#include "platform/HotkeyBackend.h"
#include "platform/KeySource.h"
#include "platform/RawKeyTranslator.h"

#include <QGuiApplication>
#include <QHash>
#include <QTest>

namespace {

// Keycodes of the usual PC layout under X, with the keysym each carries first.
// clang-format off
const QHash<QString, std::pair<std::uint8_t, std::uint32_t>> keys = {
    {"Alt_L", {64, Keysym::AltL}}, {"Alt_R", {108, Keysym::AltR}}, {"e", {26, 'e'}},
    {"Shift_L", {50, Keysym::ShiftL}}, {"Shift_R", {62, Keysym::ShiftR}}, {"Return", {36, 0xff0d}},
    {"Control_L", {37, Keysym::ControlL}}, {"Control_R", {105, Keysym::ControlR}},
    {"Super_L", {133, Keysym::SuperL}}, {"Meta_R", {134, Keysym::MetaR}},
    {"Hyper_L", {207, Keysym::HyperL}}, {"ISO_Level3_Shift", {92, Keysym::IsoLevel3Shift}},
    {"Mode_switch", {203, Keysym::ModeSwitch}}, {"Caps_Lock", {66, Keysym::CapsLock}},
    {"Num_Lock", {77, Keysym::NumLock}}, {"unmapped", {206, Keysym::NoSymbol}}};
// clang-format on

RawKeyTranslator::Keymap keymap(bool moved) {
    RawKeyTranslator::Keymap map{};
    for (const auto& [keycode, keysym] : keys)
        map[keycode] = keysym;
    if (moved) { // a layout switch: the left Alt key types 'e', the right one is a left Alt
        map[64] = 'e';
        map[108] = Keysym::AltL;
    }
    return map;
}

QString describe(const KeyReport& report) {
    if (report.kind != KeyReport::Kind::Flags)
        return report.kind == KeyReport::Kind::Cancel ? "cancel" : "none";
    return QString(report.modifierDown ? "down" : "up") + (report.otherModifiers ? "+other" : "");
}

// What the monitor's source saw; outlives the monitor that owns the source.
struct SourceProbe {
    bool trusted = true;
    bool installWorks = true;
    int installs = 0;
    int removes = 0;
    KeySource::Sink sink;
};

struct FakeKeySource : KeySource {
    explicit FakeKeySource(SourceProbe& probe) : probe(probe) {}
    bool trusted() override { return probe.trusted; }
    bool install(Sink sink) override {
        ++probe.installs;
        if (probe.installWorks)
            probe.sink = std::move(sink);
        return probe.installWorks;
    }
    void remove() override {
        ++probe.removes;
        probe.sink = nullptr;
    }
    SourceProbe& probe;
};

struct FakeBackend : HotkeyBackend {
    FakeBackend(bool accept, bool& released) : accept(accept), released(released) {}
    ~FakeBackend() override { released = true; }
    bool registered() const override { return accept; }
    bool accept;
    bool& released;
};

constexpr KeyReport altDown{KeyReport::Kind::Flags, true, false};
constexpr KeyReport altUp{KeyReport::Kind::Flags, false, false};

void tap(SourceProbe& probe, double at) {
    probe.sink(altDown, at);
    probe.sink(altUp, at + 0.05);
}

} // namespace

Q_DECLARE_METATYPE(KeyReport)

class TestSummon : public QObject {
    Q_OBJECT

private slots:
    // Events: "+Key" press, "-Key" release, "click<n>" button press, "remap" a layout switch,
    // "forget" releasing every held key.
    void translator_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("reports");
        // clang-format off
        QTest::newRow("left Alt tap") << "+Alt_L -Alt_L" << "down up";
        QTest::newRow("both Alts overlap") << "+Alt_L +Alt_R -Alt_L -Alt_R" << "down down down up";
        QTest::newRow("Shift in") << "+Alt_L +Shift_L -Shift_L -Alt_L" << "down down+other down up";
        for (const char* other : {"Shift_R", "Control_L", "Control_R", "Super_L", "Meta_R",
                                  "Hyper_L", "ISO_Level3_Shift", "Mode_switch"})
            QTest::addRow("Alt tap while %s is held", other)
                << QString("+%1 +Alt_L -Alt_L -%1").arg(other)
                << "up+other down+other up+other up";
        QTest::newRow("Caps Lock") << "+Caps_Lock +Alt_L -Caps_Lock -Alt_L" << "none down none up";
        QTest::newRow("Num Lock") << "+Alt_L +Num_Lock -Num_Lock -Alt_L" << "down none none up";
        QTest::newRow("another key cancels") << "+Alt_L +e -e -Alt_L" << "down cancel none up";
        QTest::newRow("Return cancels") << "+Return -Return" << "cancel none";
        QTest::newRow("a key without keysym cancels") << "+unmapped -unmapped" << "cancel none";
        QTest::newRow("auto-repeats keep cancelling") << "+e +e -e" << "cancel cancel none";
        QTest::newRow("Alt auto-repeats are nothing") << "+Alt_L +Alt_L -Alt_L" << "down none up";
        QTest::newRow("duplicate release is nothing") << "+Alt_L -Alt_L -Alt_L" << "down up none";
        QTest::newRow("release never seen pressed") << "-Alt_L -Shift_L" << "none none";
        QTest::newRow("real buttons cancel") << "click1 click3 click8" << "cancel cancel cancel";
        QTest::newRow("scrolling is no click") << "click4 click7" << "none none";
        QTest::newRow("Alt remapped") << "+Alt_L remap -Alt_L +Alt_R -Alt_R" << "down none down up";
        QTest::newRow("remap while Shift is held")
            << "+Shift_L remap +Alt_R -Alt_R -Shift_L" << "up+other down+other up+other up";
        QTest::newRow("forget held keys")
            << "+Alt_L +Shift_L forget -Shift_L +Alt_R -Alt_R" << "down down+other none down up";
        // clang-format on
    }
    void translator() {
        QFETCH(QString, events);
        RawKeyTranslator translator;
        translator.setKeymap(keymap(false));
        QStringList out;
        for (const QString& event : events.split(' ')) {
            if (event == "remap")
                translator.setKeymap(keymap(true));
            else if (event == "forget")
                translator.releaseAll();
            else if (event.startsWith("click"))
                out << describe(RawKeyTranslator::buttonPress(event.mid(5).toUInt()));
            else if (const std::uint8_t keycode = keys.value(event.mid(1)).first; event[0] == '+')
                out << describe(translator.keyPress(keycode));
            else
                out << describe(translator.keyRelease(keycode));
        }
        QTEST(out.join(' '), "reports");
    }

    // Without raw input the monitor polls and installs once it appears, exactly once.
    void monitorWaitsForRawInput() {
        SourceProbe probe;
        probe.trusted = false;
        OptionDoubleTap monitor([] {}, std::make_unique<FakeKeySource>(probe));
        monitor.start(true);
        monitor.start(true);
        QVERIFY(!monitor.active());
        probe.trusted = true;
        QTRY_VERIFY(monitor.active());
        monitor.start(true);
        QCOMPARE(probe.installs, 1);
    }

    // Stopping forgets a pending first tap and leaves no timer or installed source behind; a
    // source that refused is retried by the next start instead of being taken as installed.
    void monitorStops_data() {
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("installWorks");
        QTest::addColumn<int>("removes");
        QTest::newRow("waiting") << false << true << 0;
        QTest::newRow("active") << true << true << 1;
        QTest::newRow("install refused") << true << false << 0;
    }
    void monitorStops() {
        QFETCH(bool, trusted);
        QFETCH(bool, installWorks);
        SourceProbe probe;
        probe.trusted = trusted;
        probe.installWorks = installWorks;
        int calls = 0;
        OptionDoubleTap monitor([&calls] { ++calls; }, std::make_unique<FakeKeySource>(probe));
        monitor.start(true);
        if (probe.sink)
            tap(probe, 1.0);
        monitor.stop();
        QVERIFY(!monitor.active() && !probe.sink);
        QTEST(probe.removes, "removes");
        probe.trusted = probe.installWorks = true;
        monitor.start(true);
        QVERIFY(monitor.active());
        QCOMPARE(probe.installs, trusted ? 2 : 1);
        tap(probe, 1.2);
        QCoreApplication::processEvents();
        QCOMPARE(calls, 0);
    }

    // The callback runs after the event handler returns, never inside it, and a call still
    // pending when the monitor dies is dropped.
    void monitorReports_data() {
        QTest::addColumn<QList<KeyReport>>("between");
        QTest::addColumn<bool>("destroyed");
        QTest::addColumn<int>("calls");
        const KeyReport cancel{KeyReport::Kind::Cancel}, chord{KeyReport::Kind::Flags, true, true};
        // clang-format off
        QTest::newRow("nothing between") << QList<KeyReport>{} << false << 1;
        QTest::newRow("an event that means nothing") << QList<KeyReport>{{}} << false << 1;
        QTest::newRow("a key or click cancels") << QList<KeyReport>{cancel} << false << 0;
        QTest::newRow("a chord spoils the first tap")
            << QList<KeyReport>{chord, altUp} << false << 0;
        QTest::newRow("monitor gone before the call") << QList<KeyReport>{} << true << 0;
        // clang-format on
    }
    void monitorReports() {
        QFETCH(QList<KeyReport>, between);
        QFETCH(bool, destroyed);
        SourceProbe probe;
        int called = 0;
        auto monitor = std::make_unique<OptionDoubleTap>([&called] { ++called; },
                                                         std::make_unique<FakeKeySource>(probe));
        monitor->start(true);
        tap(probe, 10.0);
        for (const KeyReport& report : between)
            probe.sink(report, 10.1);
        tap(probe, 10.2);
        QCOMPARE(called, 0);
        if (destroyed) {
            monitor.reset();
            QCOMPARE(probe.removes, 1);
        }
        QCoreApplication::processEvents();
        QTEST(called, "calls");
    }

    // Each press runs the callback once, queued after the platform's handler; the hot key's end
    // releases the registration and drops a press still pending.
    void hotkey() {
        for (const bool accepted : {true, false}) {
            std::function<void()> press;
            int called = 0;
            bool released = false;
            auto hotkey = std::make_unique<Hotkey>(
                QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_T),
                [&called] { ++called; },
                [&](QKeyCombination, std::function<void()> pressed) {
                    press = std::move(pressed);
                    return std::make_unique<FakeBackend>(accepted, released);
                });
            QCOMPARE(hotkey->registered(), accepted);
            press();
            press();
            QCOMPARE(called, 0);
            QCoreApplication::processEvents();
            QCOMPARE(called, 2);
            press();
            hotkey.reset();
            QVERIFY(released);
            QCoreApplication::processEvents();
            QCOMPARE(called, 2);
        }
    }
};

QTEST_MAIN(TestSummon)
#include "test_summon.moc"
