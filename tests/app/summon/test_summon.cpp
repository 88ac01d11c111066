#include "Hotkey.h"
#include "OptionDoubleTap.h"
#include "platform/DesktopFirstHotkey.h"
#include "platform/HotkeyBackend.h"
#include "platform/KeySource.h"
#include "platform/RawKeyTranslator.h"
#include "platform/gnome/GnomeShortcuts.h"
#include "platform/xfce/XfceShortcuts.h"

#include <QGuiApplication>
#include <QHash>
#include <QSignalSpy>
#include <QTest>

namespace {

const QKeyCombination ctrlAltT(Qt::ControlModifier | Qt::AltModifier, Qt::Key_T);

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

// Reports `status` a turn after it is made, as the platform backends do.
struct FakeBackend : QObject, HotkeyBackend {
    FakeBackend(const HotkeyStatus& status, const Reported& reported, int& alive) : alive(++alive) {
        QMetaObject::invokeMethod(
            this, [=] { reported(status); }, Qt::QueuedConnection);
    }
    ~FakeBackend() override { --alive; }
    int& alive;
};

struct FakeDesktop : DesktopShortcuts {
    explicit FakeDesktop(QString owner) : owner(std::move(owner)) {}
    void find(QKeyCombination combination, Answer answer) override {
        QCOMPARE(combination, ctrlAltT);
        QMetaObject::invokeMethod(
            qApp, [=, owner = owner] { answer(owner); }, Qt::QueuedConnection);
    }
    QString owner;
};

constexpr KeyReport altDown{KeyReport::Kind::Flags, true, false};
constexpr KeyReport altUp{KeyReport::Kind::Flags, false, false};

void tap(SourceProbe& probe, double at) {
    probe.sink(altDown, at);
    probe.sink(altUp, at + 0.05);
}

} // namespace

Q_DECLARE_METATYPE(KeyReport)
Q_DECLARE_METATYPE(HotkeyStatus)

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
        QTest::newRow("hot key let go modifiers first, its keys reported raw and again by the grab")
            << "+Control_L +Alt_L +t +t -Control_L -Alt_L -t -t +Alt_L -Alt_L"
            << "up+other down+other cancel cancel down up none none down up";
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
        OptionDoubleTap monitor([](quint32) {}, std::make_unique<FakeKeySource>(probe));
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
        OptionDoubleTap monitor([&calls](quint32) { ++calls; },
                                std::make_unique<FakeKeySource>(probe));
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

    // The callback runs after the event handler returns, never inside it, with the second tap's
    // server time in milliseconds, and a call still pending when the monitor dies is dropped.
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
        auto monitor = std::make_unique<OptionDoubleTap>(
            [&called](quint32 userTime) {
                ++called;
                QCOMPARE(userTime, 4'000'010'250u);
            },
            std::make_unique<FakeKeySource>(probe));
        monitor->start(true);
        tap(probe, 4'000'010.0);
        for (const KeyReport& report : between)
            probe.sink(report, 4'000'010.1);
        tap(probe, 4'000'010.2);
        QCOMPARE(called, 0);
        if (destroyed) {
            monitor.reset();
            QCOMPARE(probe.removes, 1);
        }
        QCoreApplication::processEvents();
        QTEST(called, "calls");
    }

    // Each press runs the callback once with its time, queued after the platform's handler; the
    // outcome arrives later, once per change, as a sentence; the hot key's end releases the
    // registration and drops a press still pending.
    void hotkey() {
        using State = HotkeyStatus::State;
        for (const HotkeyStatus& outcome :
             {HotkeyStatus{State::registered, {}}, HotkeyStatus{State::taken, {}}}) {
            HotkeyBackend::Pressed press;
            HotkeyBackend::Reported report;
            QList<quint32> calls;
            int alive = 0;
            auto hotkey = std::make_unique<Hotkey>(
                ctrlAltT, [&calls](quint32 userTime) { calls << userTime; },
                [&](QKeyCombination, HotkeyBackend::Pressed pressed,
                    HotkeyBackend::Reported reported) {
                    press = std::move(pressed);
                    report = reported;
                    return std::make_unique<FakeBackend>(outcome, reported, alive);
                });
            QSignalSpy changed(hotkey.get(), &Hotkey::statusChanged);
            QCOMPARE(hotkey->status().state, State::pending);
            QCoreApplication::processEvents();
            QCOMPARE(hotkey->status(), outcome);
            report(outcome);
            QCOMPARE(changed.size(), 1);
            QVERIFY(hotkey->statusText().startsWith("Ctrl+Alt+T "));
            press(7);
            press(4'000'000'000u);
            QVERIFY(calls.isEmpty());
            QCoreApplication::processEvents();
            QCOMPARE(calls, (QList<quint32>{7, 4'000'000'000u}));
            press(9);
            hotkey.reset();
            QCOMPARE(alive, 0);
            QCoreApplication::processEvents();
            QCOMPARE(calls.size(), 2);
        }
    }

    // Where the desktop binds the key it is never registered and its holder is named; where the
    // desktop leaves it free, the registration's own outcome is what counts.
    void desktopFirst_data() {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<HotkeyStatus>("status");
        QTest::addColumn<int>("registrations");
        using State = HotkeyStatus::State;
        QTest::newRow("free") << "" << HotkeyStatus{State::registered, {}} << 1;
        QTest::newRow("bound") << "GNOME: Terminal"
                               << HotkeyStatus{State::desktopBinds, "GNOME: Terminal"} << 0;
    }
    void desktopFirst() {
        QFETCH(QString, owner);
        int alive = 0;
        QList<HotkeyStatus> reports;
        const HotkeyBackend::Reported reported = [&](const HotkeyStatus& s) { reports << s; };
        {
            DesktopFirstHotkey hotkey(
                ctrlAltT, std::make_unique<FakeDesktop>(owner),
                [&] {
                    return std::make_unique<FakeBackend>(
                        HotkeyStatus{HotkeyStatus::State::registered, {}}, reported, alive);
                },
                reported);
            QCOMPARE(alive, 0);
            QTRY_COMPARE(reports.size(), 1);
            QTEST(alive, "registrations");
            QTEST(reports.front(), "status");
        }
        QCOMPARE(alive, 0);
    }

    // What `gsettings list-recursively` prints, custom bindings each after "custom PATH".
    void gnomeOwner_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("owner");
        const QString media = "org.gnome.settings-daemon.plugins.media-keys ";
        const QString custom = media.trimmed() + ".custom-keybinding ";
        const auto binding = [&](const QString& path, const QString& accel, const QString& name) {
            return "custom " + path + "\n" + custom + "binding '" + accel + "'\n" + custom +
                   "command 'run-" + path + "'\n" + custom + "name " + name + "\n";
        };
        const QString debian = media + "custom-keybindings @as []\n" + media +
                               "screensaver ['<Super>l']\n"
                               "org.gnome.desktop.wm.keybindings close ['<Alt>F4']\n"
                               "org.gnome.desktop.wm.keybindings minimize @as []\n";
        // clang-format off
        QTest::newRow("Debian: nothing") << debian << "";
        QTest::newRow("Ubuntu: custom Terminal")
            << debian + binding("c0", "<Primary><Alt>t", "'Terminal'") << "GNOME: Terminal";
        QTest::newRow("the second of two customs, names kept apart")
            << debian + binding("c0", "<Super>t", "'Notes'") + binding("c1", "<Control><Alt>T", "\"Bob's term\"")
            << "GNOME: Bob's term";
        QTest::newRow("the first of two customs")
            << debian + binding("c0", "<Ctrl><Alt>t", "''") + binding("c1", "<Super>t", "'Notes'")
            << "GNOME: run-c0";
        QTest::newRow("another chord or a longer one")
            << debian + binding("c0", "<Primary><Alt><Shift>t", "'A'") + binding("c1", "<Alt>t", "'B'") +
               binding("c2", "<Primary><Alt>y", "'C'") + binding("c3", "<Primary><Alt>", "'D'") << "";
        QTest::newRow("media-keys terminal, string form") << debian + media + "terminal '<Primary><Alt>t'\n" << "GNOME: terminal";
        QTest::newRow("window manager, second of a list")
            << debian + "org.gnome.desktop.wm.keybindings panel-run-dialog ['<Alt>F2', '<Mod1><Control>t']\n"
            << "GNOME: panel-run-dialog";
        QTest::newRow("unknown modifier") << debian + media + "terminal ['<Release><Alt><Control>t']\n" << "";
        // clang-format on
    }
    void gnomeOwner() {
        QFETCH(QString, output);
        QTEST(GnomeShortcuts::ownerIn(output.toUtf8(), ctrlAltT), "owner");
    }

    // What `xfconf-query -c xfce4-keyboard-shortcuts -lv` prints: a user's own set of a provider,
    // once it exists, replaces that provider's defaults.
    void xfceOwner_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("owner");
        const QString defaults =
            "/commands/default/<Alt>F2          xfce4-appfinder --collapsed\n"
            "/commands/default/<Primary><Alt>t  exo-open --launch TerminalEmulator\n"
            "/providers                         commands xfwm4\n"
            "/xfwm4/default/<Alt>F4             close_window_key\n";
        // clang-format off
        QTest::newRow("Debian's defaults") << defaults << "Xfce: exo-open --launch TerminalEmulator";
        QTest::newRow("own set without it")
            << defaults + "/commands/custom/<Alt>F2  xfce4-appfinder\n/commands/custom/override  true\n" << "";
        QTest::newRow("own set rebinds it")
            << defaults + "/commands/custom/<Control><Alt>T  xfce4-terminal --drop-down\n" << "Xfce: xfce4-terminal --drop-down";
        QTest::newRow("window manager's own set")
            << "/xfwm4/custom/<Primary><Alt>t  maximize_window_key\n/xfwm4/default/<Super>t  x\n" << "Xfce: maximize_window_key";
        QTest::newRow("other chords") << "/commands/custom/<Primary><Alt>Delete  xflock4\n"
                                         "/commands/custom/<Primary><Shift><Alt>t  x\n" << "";
        // clang-format on
    }
    void xfceOwner() {
        QFETCH(QString, output);
        QTEST(XfceShortcuts::ownerIn(output.toUtf8(), ctrlAltT), "owner");
    }
};

QTEST_MAIN(TestSummon)
#include "test_summon.moc"
