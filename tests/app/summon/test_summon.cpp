#include "Hotkey.h"
#include "OptionDoubleTap.h"
#include "platform/DesktopFirstHotkey.h"
#include "platform/HotkeyBackend.h"
#include "platform/KeySource.h"
#include "platform/RawKeyTranslator.h"
#include "platform/gnome/GnomeShortcuts.h"

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
    explicit FakeKeySource(SourceProbe& probe) : p(probe) {}
    bool trusted() override { return p.trusted; }
    bool install(Sink sink) override {
        ++p.installs;
        p.sink = p.installWorks ? std::move(sink) : nullptr;
        return p.installWorks;
    }
    void remove() override {
        ++p.removes;
        p.sink = nullptr;
    }
    SourceProbe& p;
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

} // namespace

class TestSummon : public QObject {
    Q_OBJECT

private slots:
    // Events: "+Key" press, "-Key" release, "click<n>" button press, "remap" a layout switch,
    // "forget" releasing every held key.
    void translator_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("reports");
        // clang-format off
        QTest::newRow("Alts overlap, repeat, release twice or unseen")
            << "-Alt_L +Alt_L +Alt_R +Alt_R -Alt_L -Alt_R -Alt_R" << "none down down none down up none";
        QTest::newRow("Shift in") << "+Alt_L +Shift_L -Shift_L -Alt_L" << "down down+other down up";
        for (const char* other : {"Shift_R", "Control_L", "Control_R", "Super_L", "Meta_R",
                                  "Hyper_L", "ISO_Level3_Shift", "Mode_switch"})
            QTest::addRow("Alt tap while %s is held", other)
                << QString("+%1 +Alt_L -Alt_L -%1").arg(other) << "up+other down+other up+other up";
        QTest::newRow("locks are nothing")
            << "+Caps_Lock +Alt_L +Num_Lock -Caps_Lock -Num_Lock -Alt_L" << "none down none none none up";
        QTest::newRow("other keys cancel, repeats too")
            << "+Alt_L +e +e -e -Alt_L +Return +unmapped" << "down cancel cancel none up cancel cancel";
        QTest::newRow("hot key let go modifiers first, its keys reported raw and again by the grab")
            << "+Control_L +Alt_L +t +t -Control_L -Alt_L -t -t +Alt_L -Alt_L"
            << "up+other down+other cancel cancel down up none none down up";
        QTest::newRow("buttons cancel, scrolling does not") << "click1 click8 click4 click7" << "cancel cancel none none";
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

    // Reports, each a letter and a time in seconds: d/u Alt down/up, D Alt down with another
    // modifier, c a key or click, n an event that means nothing; then "trust" raw input
    // appearing, "works" the source accepting installs again, "stop", "start", "gone" the
    // monitor destroyed. The callback runs after the event handler returns, never inside it,
    // with the second tap's server time in milliseconds; a source that refused is retried.
    void monitor_data() {
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("installWorks");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QList<int>>("counts"); // calls, installs, removes
        // clang-format off
        QTest::newRow("double tap") << true << true << "d0 u0.05 d0.2 u0.25" << QList{1, 1, 0};
        QTest::newRow("an event that means nothing") << true << true << "d0 u0.05 n0.1 d0.2 u0.25" << QList{1, 1, 0};
        QTest::newRow("a key or click cancels") << true << true << "d0 u0.05 c0.1 d0.2 u0.25" << QList{0, 1, 0};
        QTest::newRow("a chord spoils the first tap") << true << true << "d0 u0.05 D0.1 u0.15 d0.2 u0.25" << QList{0, 1, 0};
        QTest::newRow("a held Alt is no tap") << true << true << "d-0.35 u0.05 d0.2 u0.25" << QList{0, 1, 0};
        QTest::newRow("monitor gone before the call") << true << true << "d0 u0.05 d0.2 u0.25 gone" << QList{0, 1, 1};
        QTest::newRow("stopping forgets the first tap") << true << true << "d0 u0.05 stop start d0.2 u0.25" << QList{0, 2, 1};
        QTest::newRow("raw input appears later") << false << true << "trust d0 u0.05 d0.2 u0.25" << QList{1, 1, 0};
        QTest::newRow("install refused") << true << false << "stop works start d0 u0.05 d0.2 u0.25" << QList{1, 3, 0};
        // clang-format on
    }
    void monitor() {
        QFETCH(bool, trusted);
        QFETCH(bool, installWorks);
        QFETCH(QString, script);
        SourceProbe probe;
        probe.trusted = trusted;
        probe.installWorks = installWorks;
        int calls = 0;
        auto monitor = std::make_unique<OptionDoubleTap>(
            [&calls](quint32 userTime) {
                ++calls;
                QCOMPARE(userTime, 4'000'010'250u);
            },
            std::make_unique<FakeKeySource>(probe));
        monitor->start(true);
        monitor->start(true);
        for (const QString& step : script.split(' ')) {
            const QChar kind = step.at(0);
            if (step == "trust") {
                probe.trusted = true;
                QTRY_VERIFY(monitor->active());
            } else if (step == "works") {
                probe.installWorks = true;
            } else if (step == "stop") {
                monitor->stop();
                QVERIFY(!monitor->active() && !probe.sink);
            } else if (step == "start") {
                monitor->start(true);
            } else if (step == "gone") {
                monitor.reset();
            } else {
                probe.sink(kind == 'c'   ? KeyReport{KeyReport::Kind::Cancel}
                           : kind == 'n' ? KeyReport{}
                                         : KeyReport{KeyReport::Kind::Flags, kind.toLower() == 'd',
                                                     kind == 'D'},
                           4'000'010.0 + step.mid(1).toDouble());
            }
        }
        QCOMPARE(calls, 0);
        QCoreApplication::processEvents();
        QTEST((QList{calls, probe.installs, probe.removes}), "counts");
    }

    // Where the desktop binds the key it is never registered and the reason names the holder;
    // where it is free, the registration's own outcome counts. Each press runs the callback once
    // with its time, queued after the platform's handler; the outcome arrives later, once per
    // change; the hot key's end releases the registration and drops a press still pending.
    void hotkey_data() {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("text");
        QTest::newRow("free") << ""
                              << "Ctrl+Alt+T summons Pinstrip.";
        QTest::newRow("bound") << "GNOME: Terminal"
                               << "Ctrl+Alt+T belongs to the desktop (GNOME: Terminal); "
                                  "double-tap Alt instead.";
    }
    void hotkey() {
        QFETCH(QString, owner);
        HotkeyBackend::Pressed press;
        QList<quint32> calls;
        int alive = 0;
        auto hotkey = std::make_unique<Hotkey>(
            ctrlAltT, [&calls](quint32 userTime) { calls << userTime; },
            [&](QKeyCombination key, HotkeyBackend::Pressed pressed,
                const HotkeyBackend::Reported& reported) {
                press = std::move(pressed);
                return std::make_unique<DesktopFirstHotkey>(
                    key, std::make_unique<FakeDesktop>(owner),
                    [&, reported] {
                        return std::make_unique<FakeBackend>(
                            HotkeyStatus{HotkeyStatus::State::registered, {}}, reported, alive);
                    },
                    reported);
            });
        QSignalSpy changed(hotkey.get(), &Hotkey::statusChanged);
        QCOMPARE(hotkey->status().state, HotkeyStatus::State::pending);
        QTRY_COMPARE(changed.size(), 1);
        QTEST(hotkey->statusText(), "text");
        QCOMPARE(alive, owner.isEmpty() ? 1 : 0);
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
        QCOMPARE(changed.size(), 1);
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
                               "org.gnome.desktop.wm.keybindings close ['<Alt>F4']\n";
        // clang-format off
        QTest::newRow("other chords, the second of two customs, names kept apart")
            << debian + binding("c0", "<Primary><Alt><Shift>t", "'A'") + binding("c1", "<Alt>t", "'B'") +
               binding("c2", "<Primary><Alt>", "'D'") + binding("c3", "<Control><Alt>T", "\"Bob's term\"") +
               media + "terminal ['<Release><Alt><Control>t']\n"
            << "GNOME: Bob's term";
        QTest::newRow("the first of two customs, unnamed")
            << debian + binding("c0", "<Ctrl><Alt>t", "''") + binding("c1", "<Super>t", "'Notes'")
            << "GNOME: run-c0";
        QTest::newRow("media-keys terminal, string form") << debian + media + "terminal '<Primary><Alt>t'\n" << "GNOME: terminal";
        QTest::newRow("window manager, second of a list")
            << debian + "org.gnome.desktop.wm.keybindings panel-run-dialog ['<Alt>F2', '<Mod1><Control>t']\n"
            << "GNOME: panel-run-dialog";
        // clang-format on
    }
    void gnomeOwner() {
        QFETCH(QString, output);
        QTEST(GnomeShortcuts::ownerIn(output.toUtf8(), ctrlAltT), "owner");
    }
};

QTEST_MAIN(TestSummon)
#include "test_summon.moc"
