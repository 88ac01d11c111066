#include "GnomeShortcuts.h"
#include "Hotkey.h"
#include "HotkeyBackend.h"
#include "KWinLegacyKeySource.h"
#include "KeyNotation.h"
#include "KeySource.h"
#include "OptionDoubleTap.h"
#include "Platform.h"
#include "PortalHotkey.h"
#include "RawKeyTranslator.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

namespace {

const QKeyCombination ctrlAltT(Qt::ControlModifier | Qt::AltModifier, Qt::Key_T);

// Keycodes of the usual PC layout under X, with the keysym each carries first.
// clang-format off
const QHash<QString, std::pair<std::uint8_t, std::uint32_t>> keys = {
    {"Alt_L", {64, Keysym::AltL}}, {"Alt_R", {108, Keysym::AltR}}, {"e", {26, 'e'}},
    {"Super_L", {133, Keysym::SuperL}}, {"ISO_Level3_Shift", {92, Keysym::IsoLevel3Shift}},
    {"Caps_Lock", {66, Keysym::CapsLock}}, {"Num_Lock", {77, Keysym::NumLock}},
    {"unmapped", {206, Keysym::NoSymbol}}};
// clang-format on

QString describe(const KeyReport& report) {
    if (report.kind != KeyReport::Kind::Flags)
        return report.kind == KeyReport::Kind::Cancel ? "cancel" : "none";
    return QString(report.modifierDown ? "down" : "up") + (report.otherModifiers ? "+other" : "");
}

// What the monitor's source saw; outlives the monitor that owns the source.
struct SourceProbe {
    bool installWorks = true;
    int installs = 0, removes = 0;
    KeySource::Sink sink;
};

struct FakeKeySource : KeySource {
    explicit FakeKeySource(SourceProbe& probe) : p(probe) {}
    bool trusted() override { return true; }
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

// The portal's global shortcuts on a private bus: each request answered through its Response
// signal; the shortcuts bound on creation (Plasma 5.27) or on BindShortcuts (documented), each
// given `trigger`.
using Shortcuts = QList<std::pair<QString, QVariantMap>>;
struct FakePortal : QDBusVirtualObject {
    FakePortal(QDBusConnection bus, bool plasma527, QString trigger)
        : bus(std::move(bus)), plasma527(plasma527), trigger(std::move(trigger)) {}
    void bind(const QVariant& shortcuts) {
        bound = qdbus_cast<Shortcuts>(shortcuts);
        for (auto& [id, properties] : bound)
            properties["trigger_description"] = trigger;
    }
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection&) override {
        const QString method = call.member();
        const QVariantList args = call.arguments();
        if (method == "Close")
            return closed = bus.send(call.createReply());
        if (method == "Get")
            return bus.send(call.createReply(QVariant::fromValue(QDBusVariant(1u))));
        const QVariantMap options = qdbus_cast<QVariantMap>(args.last());
        QVariantMap results;
        if (method == "CreateSession") {
            session = "/org/freedesktop/portal/desktop/session/x/pinstrip";
            results["session_handle"] = session;
            if (plasma527)
                bind(options.value("shortcuts"));
        } else if (method == "BindShortcuts" && !plasma527) {
            bind(args.at(1));
            results["shortcuts"] = QVariant::fromValue(bound);
        } else if (method == "ListShortcuts") {
            results["shortcuts"] = QVariant::fromValue(bound);
        }
        const QString request = "/org/freedesktop/portal/desktop/request/" +
                                call.service().mid(1).replace('.', '_') + "/" +
                                options.value("handle_token").toString();
        bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        return bus.send(
            QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response")
            << 0u << results);
    }
    QDBusConnection bus;
    bool plasma527;
    QString trigger;
    Shortcuts bound;
    QString session;
    bool closed = false;
};

} // namespace

class TestSummon : public QObject {
    Q_OBJECT

private slots:
    // Events: "+Key" press, "-Key" release, "click<n>" button press, "remap" a layout switch.
    void translator_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("reports");
        // clang-format off
        QTest::newRow("Alts overlap, repeat, release twice or unseen")
            << "-Alt_L +Alt_L +Alt_R +Alt_R -Alt_L -Alt_R -Alt_R" << "none down down none down up none";
        QTest::newRow("other modifiers, locks are nothing")
            << "+Super_L +Alt_L +Caps_Lock -Alt_L -Super_L +ISO_Level3_Shift -ISO_Level3_Shift -Caps_Lock +Num_Lock"
            << "up+other down+other none up+other up up+other up none none";
        QTest::newRow("other keys cancel, repeats too")
            << "+Alt_L +e +e -e -Alt_L +unmapped" << "down cancel cancel none up cancel";
        QTest::newRow("buttons cancel, scrolling does not") << "click1 click8 click4 click7" << "cancel cancel none none";
        QTest::newRow("Alt remapped") << "+Alt_L remap -Alt_L +Alt_R -Alt_R" << "down none down up";
        // clang-format on
    }
    void translator() {
        QFETCH(QString, events);
        RawKeyTranslator translator;
        RawKeyTranslator::Keymap map{};
        for (const auto& [keycode, keysym] : keys)
            map[keycode] = keysym;
        translator.setKeymap(map);
        QStringList out;
        for (const QString& event : events.split(' ')) {
            const std::uint8_t keycode = keys.value(event.mid(1)).first;
            if (event == "remap") // a layout switch: left Alt types 'e', right Alt is a left Alt
                translator.setKeymap((map[64] = 'e', map[108] = Keysym::AltL, map));
            else if (event.startsWith("click"))
                out << describe(RawKeyTranslator::buttonPress(event.mid(5).toUInt()));
            else if (event[0] == '+')
                out << describe(translator.keyPress(keycode));
            else
                out << describe(translator.keyRelease(keycode));
        }
        QTEST(out.join(' '), "reports");
    }

    // Reports, each a letter and a time in seconds: d/u Alt down/up, c a key or click, t a tap a
    // binding reported (no user time: it counts 1000); then
    // "works" the source accepting installs again, "stop", "start", "gone" the monitor destroyed.
    // The callback runs after the event handler returns, with the second tap's server time in
    // milliseconds; a source that refused is retried.
    void monitor_data() {
        QTest::addColumn<bool>("installWorks");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QList<int>>("counts"); // calls, installs, removes
        // clang-format off
        QTest::newRow("double tap") << true << "d0 u0.05 d0.2 u0.25" << QList{1, 1, 0};
        QTest::newRow("a key or click cancels") << true << "d0 u0.05 c0.1 d0.2 u0.25" << QList{0, 1, 0};
        QTest::newRow("monitor gone before the call") << true << "d0 u0.05 d0.2 u0.25 gone" << QList{0, 1, 1};
        QTest::newRow("stopping forgets the first tap") << true << "d0 u0.05 stop start d0.2 u0.25" << QList{0, 2, 1};
        QTest::newRow("install refused") << false << "stop works start d0 u0.05 d0.2 u0.25" << QList{1, 3, 0};
        QTest::newRow("reported taps") << true << "t0 t0.4 t0.5 t1.5 t2.1 t2.2" << QList{2000, 1, 0};
        QTest::newRow("a tap seen both ways counts once") << true << "d0 u0.05 t0.06" << QList{0, 1, 0};
        QTest::newRow("reported taps while stopped") << true << "stop t0 t0.1 start t0.2" << QList{0, 2, 1};
        // clang-format on
    }
    void monitor() {
        QFETCH(QString, script);
        SourceProbe probe;
        QFETCH(bool, installWorks);
        probe.installWorks = installWorks;
        int calls = 0;
        auto monitor = std::make_unique<OptionDoubleTap>(
            [&calls](quint32 userTime) {
                calls += userTime == 4'000'010'250u ? 1 : userTime == 0 ? 1000 : 100;
            },
            std::make_unique<FakeKeySource>(probe));
        monitor->start(true);
        monitor->start(true);
        for (const QString& step : script.split(' ')) {
            const QChar kind = step.at(0);
            if (step == "works")
                probe.installWorks = true;
            else if (step == "stop")
                monitor->stop();
            else if (step == "start")
                monitor->start(true);
            else if (step == "gone")
                monitor.reset();
            else if (kind == 't')
                monitor->commandTap(4'000'010.0 + step.mid(1).toDouble());
            else
                probe.sink(kind == 'c' ? KeyReport{KeyReport::Kind::Cancel}
                                       : KeyReport{KeyReport::Kind::Flags, kind == 'd', false},
                           4'000'010.0 + step.mid(1).toDouble());
        }
        QCOMPARE(calls, 0);
        QCoreApplication::processEvents();
        QTEST((QList{calls, probe.installs, probe.removes}), "counts");
    }

    // Each press runs the callback once with its time, queued after the platform's handler; the
    // hot key's end drops a press still pending.
    void hotkey() {
        HotkeyBackend::Pressed press;
        QList<quint32> calls;
        auto hotkey = std::make_unique<Hotkey>(
            ctrlAltT, [&calls](quint32 userTime) { calls << userTime; },
            [&](QKeyCombination, HotkeyBackend::Pressed pressed, HotkeyBackend::Reported) {
                press = std::move(pressed);
                return std::unique_ptr<HotkeyBackend>();
            });
        press(4'000'000'000u);
        QVERIFY(calls.isEmpty());
        QCoreApplication::processEvents();
        press(9);
        hotkey.reset();
        QCoreApplication::processEvents();
        QCOMPARE(calls, QList<quint32>{4'000'000'000u});
    }

    // What `gsettings list-recursively` prints, custom bindings each after "custom PATH": who
    // holds Ctrl+Alt+T, and the key of the binding that runs our summon command.
    void gnomeOwner_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("ours"); // "none": no binding of ours
        const QString media = "org.gnome.settings-daemon.plugins.media-keys";
        const auto custom = [&](const QString& key, const QString& value) {
            return media + ".custom-keybinding " + key + " " + value + "\n";
        };
        const QString chords = "org.gnome.desktop.wm.keybindings close ['<Alt>F4']\ncustom c0\n" +
                               custom("binding", "'<Primary><Alt><Shift>t'") +
                               custom("name", "'A'");
        // clang-format off
        QTest::newRow("a custom binding by name, after other chords")
            << chords + "custom c1\n" + custom("binding", "'<Control><Alt>T'") + custom("command", "'run'") +
               custom("name", "\"Bob's term\"") + media + " terminal ['<Release><Alt><Control>t']\n"
            << "GNOME: Bob's term" << "none";
        QTest::newRow("second of a list") << chords + media + " run ['<Alt>F2', '<Mod1><Control>t']\n" << "GNOME: run" << "none";
        QTest::newRow("ours, by path, on another key")
            << chords + "custom c1\n" + custom("command", "'\"/opt/my apps/pinstrip\" --summon'") +
               custom("binding", "'<Super>t'")
            << "" << "<Super>t";
        QTest::newRow("ours, without a key, and one that only looks like it")
            << chords + "custom c1\n" + custom("command", "'pinstrip-helper --summon'") + custom("binding", "'<Super>p'") +
               "custom c2\n" + custom("binding", "''") + custom("command", "'pinstrip --summon'")
            << "" << "";
        // clang-format on
    }
    void gnomeOwner() {
        QFETCH(QString, output);
        QTEST(GnomeShortcuts::ownerIn(output.toUtf8(), ctrlAltT), "owner");
        QTEST(GnomeShortcuts::summonBindingIn(output.toUtf8()).value_or("none"), "ours");
        QCOMPARE(KeyNotation::spell(ctrlAltT, KeyNotation::gtk), "<Control><Alt>t");
    }

    // Which backends a session gets: KDE's service wherever it runs; under Wayland no X11 grab,
    // which would see keys only while an X11 window has the keyboard.
    void chooser_data() {
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("x11");
        QTest::addColumn<bool>("bus");
        QTest::addColumn<Platform::Hotkeys>("hotkeys");
        QTest::addColumn<Platform::DoubleTap>("doubleTap");
        using H = Platform::Hotkeys;
        using D = Platform::DoubleTap;
        // clang-format off
        QTest::newRow("Plasma, X11") << QByteArray("KDE") << false << true << true << H::kglobalaccel << D::xinput;
        QTest::newRow("Plasma, Wayland") << QByteArray("KDE") << true << true << true << H::kglobalaccel << D::kwinLegacyX11;
        QTest::newRow("Plasma without a bus") << QByteArray("KDE") << false << true << false << H::grab << D::xinput;
        QTest::newRow("Ubuntu, X11") << QByteArray("ubuntu:GNOME") << false << true << true << H::desktopFirstGrab << D::xinput;
        QTest::newRow("Ubuntu, Wayland") << QByteArray("ubuntu:GNOME") << true << true << true << H::portalOrGnomeBinding << D::noneOnGnome;
        QTest::newRow("Xfce") << QByteArray("XFCE") << false << true << true << H::desktopFirstGrab << D::xinput;
        QTest::newRow("openbox") << QByteArray() << false << true << false << H::grab << D::xinput;
        QTest::newRow("sway") << QByteArray("sway") << true << true << true << H::swayBinding << D::swayBindings;
        QTest::newRow("Hyprland") << QByteArray("Hyprland") << true << true << true << H::portal << D::noneOnWayland;
        QTest::newRow("Wayland, no Xwayland") << QByteArray("KDE") << true << false << true << H::kglobalaccel << D::noneOnWayland;
        QTest::newRow("no display") << QByteArray() << false << false << false << H::none << D::xinput;
        // clang-format on
    }
    void chooser() {
        QFETCH(QByteArray, desktop);
        QFETCH(bool, wayland);
        QFETCH(bool, x11);
        QFETCH(bool, bus);
        const Platform::Session session{desktop.toLower().split(':'), wayland, x11, bus,
                                        desktop == "sway" ? "/run/sway-ipc.sock" : ""};
        QTEST(Platform::hotkeysFor(session), "hotkeys");
        QTEST(Platform::doubleTapFor(session), "doubleTap");
    }

    // Under KWin the double tap reaches us only when "Legacy X11 App Support" lets modifiers
    // through; the setting is read anew each time.
    void kwinLegacySetting() {
        QTemporaryDir dir;
        const QString kwinrc = dir.filePath("kwinrc");
        SourceProbe probe;
        KWinLegacyKeySource source(std::make_unique<FakeKeySource>(probe), kwinrc);
        QList<bool> trusted;
        for (const char* level : {"", "None", "Modifiers", "Combinations", "All", "Everything"}) {
            QFile file(kwinrc);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("[Xwayland]\nXwaylandEavesdrops=") + level + "\n");
            file.close();
            trusted << source.trusted();
        }
        QCOMPARE(trusted, (QList{false, false, true, true, true, false}));
        QVERIFY(!source.install([](const KeyReport&, double) {}));
        QCOMPARE(probe.installs, 0);
    }

    // The desktop portal as documented (BindShortcuts binds what it is given) and as Plasma 5.27
    // has it (the session's creation binds, BindShortcuts answers nothing): either way the key
    // is ours and an activation of it summons. Without a portal the stand-in takes over.
    void portal_data() {
        QTest::addColumn<bool>("plasma527");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("trigger"); // how the portal describes the key it bound
        QTest::newRow("documented") << false << true << "Ctrl+Alt+T";
        QTest::newRow("Plasma 5.27, another key") << true << true << "Meta+T";
        QTest::newRow("no key given") << false << true << "";
        QTest::newRow("no portal") << false << false << "";
    }
    void portal() {
        QFETCH(bool, plasma527);
        QFETCH(bool, present);
        QFETCH(QString, trigger);
        // A bus that starts no services: the machine's own portal must not answer.
        QTemporaryFile config;
        QVERIFY(config.open());
        config.write("<busconfig><listen>unix:tmpdir=/tmp</listen><policy context='default'>"
                     "<allow send_destination='*'/><allow receive_sender='*'/><allow own='*'/>"
                     "</policy></busconfig>");
        config.flush();
        QProcess daemon;
        daemon.start("dbus-daemon",
                     {"--config-file=" + config.fileName(), "--nofork", "--print-address"});
        QVERIFY(daemon.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        QDBusConnection client = QDBusConnection::connectToBus(address, QTest::currentDataTag());
        QDBusConnection side = QDBusConnection::connectToBus(address, address);
        FakePortal fake(side, plasma527, trigger);
        if (present) {
            QVERIFY(side.registerService("org.freedesktop.portal.Desktop"));
            QVERIFY(side.registerVirtualObject("/org/freedesktop/portal/desktop", &fake,
                                               QDBusConnection::SubPath));
        }
        int presses = 0, standIns = 0;
        QList<HotkeyStatus> reports;
        {
            PortalHotkey hotkey(
                ctrlAltT, [&](quint32) { ++presses; }, [&](const HotkeyStatus& s) { reports << s; },
                [&] { return ++standIns, std::unique_ptr<HotkeyBackend>(); }, client);
            QTRY_VERIFY(!reports.isEmpty() || standIns);
            QCOMPARE(standIns, int(!present));
            if (present) {
                QCOMPARE(reports.size(), 1);
                QCOMPARE(reports[0].state, trigger.isEmpty() ? HotkeyStatus::State::unavailable
                                                             : HotkeyStatus::State::registered);
                QCOMPARE(reports[0].key, trigger == "Meta+T" ? trigger : QString());
                for (const char* id : {"other", "summon"})
                    side.send(QDBusMessage::createSignal("/org/freedesktop/portal/desktop",
                                                         "org.freedesktop.portal.GlobalShortcuts",
                                                         "Activated")
                              << QVariant::fromValue(QDBusObjectPath(fake.session)) << id
                              << qulonglong(0) << QVariantMap());
                QTRY_COMPARE(presses, 1);
            }
        }
        QTRY_COMPARE(fake.closed, present);
        daemon.kill();
        daemon.waitForFinished();
    }
};

QTEST_MAIN(TestSummon)
#include "test_summon.moc"
