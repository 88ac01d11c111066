#include "platform/RawKeyTranslator.h"

#include <QHash>
#include <QStringList>
#include <QTest>

// Keycodes of the usual PC layout under X, with the keysym each carries first.
static const QHash<QString, std::pair<std::uint8_t, std::uint32_t>> keys = {
    {"Alt_L", {64, Keysym::AltL}},
    {"Alt_R", {108, Keysym::AltR}},
    {"Shift_L", {50, Keysym::ShiftL}},
    {"Shift_R", {62, Keysym::ShiftR}},
    {"Control_L", {37, Keysym::ControlL}},
    {"Control_R", {105, Keysym::ControlR}},
    {"Super_L", {133, Keysym::SuperL}},
    {"Meta_R", {134, Keysym::MetaR}},
    {"Hyper_L", {207, Keysym::HyperL}},
    {"ISO_Level3_Shift", {92, Keysym::IsoLevel3Shift}},
    {"Mode_switch", {203, Keysym::ModeSwitch}},
    {"Caps_Lock", {66, Keysym::CapsLock}},
    {"Num_Lock", {77, Keysym::NumLock}},
    {"e", {26, 'e'}},
    {"Return", {36, 0xff0d}},
    {"unmapped", {206, Keysym::NoSymbol}},
};

static RawKeyTranslator::Keymap usualKeymap() {
    RawKeyTranslator::Keymap keymap{};
    for (const auto& [keycode, keysym] : keys)
        keymap[keycode] = keysym;
    return keymap;
}

static QString describe(const KeyReport& report) {
    switch (report.kind) {
    case KeyReport::Kind::None:
        return "none";
    case KeyReport::Kind::Cancel:
        return "cancel";
    case KeyReport::Kind::Flags:
        return QString(report.modifierDown ? "down" : "up") +
               (report.otherModifiers ? "+other" : "");
    }
    return {};
}

// Events: "+Key" press, "-Key" release, "click<n>" button press.
static QString run(RawKeyTranslator& translator, const QString& events) {
    QStringList out;
    for (const QString& event : events.split(' ', Qt::SkipEmptyParts)) {
        if (event.startsWith("click")) {
            out << describe(RawKeyTranslator::buttonPress(event.mid(5).toUInt()));
            continue;
        }
        const std::uint8_t keycode = keys.value(event.mid(1)).first;
        out << describe(event.startsWith('+') ? translator.keyPress(keycode)
                                              : translator.keyRelease(keycode));
    }
    return out.join(' ');
}

class TestRawKeyTranslator : public QObject {
    Q_OBJECT

private slots:
    void translates_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("reports");

        QTest::newRow("left Alt tap") << QString("+Alt_L -Alt_L") << "down up";
        QTest::newRow("right Alt tap") << QString("+Alt_R -Alt_R") << "down up";
        QTest::newRow("both Alts overlap")
            << QString("+Alt_L +Alt_R -Alt_L -Alt_R") << "down down down up";
        QTest::newRow("Shift joins a held Alt")
            << QString("+Alt_L +Shift_L -Shift_L -Alt_L") << "down down+other down up";
        for (const char* other : {"Shift_R", "Control_L", "Control_R", "Super_L", "Meta_R",
                                  "Hyper_L", "ISO_Level3_Shift", "Mode_switch"}) {
            QTest::addRow("Alt tap while %s is held", other)
                << QString("+%1 +Alt_L -Alt_L -%1").arg(other) << "up+other down+other up+other up";
        }
        QTest::newRow("Caps Lock is ignored")
            << QString("+Caps_Lock +Alt_L -Caps_Lock -Alt_L") << "none down none up";
        QTest::newRow("Num Lock is ignored")
            << QString("+Alt_L +Num_Lock -Num_Lock -Alt_L") << "down none none up";
        QTest::newRow("another key cancels")
            << QString("+Alt_L +e -e -Alt_L") << "down cancel none up";
        QTest::newRow("Return cancels") << QString("+Return -Return") << "cancel none";
        QTest::newRow("a key without keysym is no Alt")
            << QString("+unmapped -unmapped") << "cancel none";
        QTest::newRow("held key auto-repeats keep cancelling")
            << QString("+e +e +e -e") << "cancel cancel cancel none";
        QTest::newRow("Alt auto-repeat changes nothing")
            << QString("+Alt_L +Alt_L +Alt_L -Alt_L") << "down none none up";
        QTest::newRow("duplicate release changes nothing")
            << QString("+Alt_L -Alt_L -Alt_L") << "down up none";
        QTest::newRow("release never seen pressed") << QString("-Alt_L -Shift_L") << "none none";
        QTest::newRow("left button cancels") << QString("click1") << "cancel";
        QTest::newRow("middle and right buttons cancel")
            << QString("click2 click3") << "cancel cancel";
        QTest::newRow("side buttons cancel") << QString("click8 click9") << "cancel cancel";
        QTest::newRow("scrolling is no click")
            << QString("click4 click5 click6 click7") << "none none none none";
    }

    void translates() {
        QFETCH(QString, events);
        QFETCH(QString, reports);
        RawKeyTranslator translator;
        translator.setKeymap(usualKeymap());
        QCOMPARE(run(translator, events), reports);
    }

    // A layout switch while Alt is held must not leave Alt stuck down for ever after.
    void remapWhileHeldKeepsCountsRight() {
        RawKeyTranslator translator;
        translator.setKeymap(usualKeymap());
        QCOMPARE(run(translator, "+Alt_L"), "down");

        RawKeyTranslator::Keymap moved = usualKeymap();
        moved[64] = 'e';
        moved[108] = Keysym::AltL;
        translator.setKeymap(moved);
        QCOMPARE(run(translator, "-Alt_L +Alt_R -Alt_R"), "none down up");
    }

    void remapKeepsAHeldModifierHeld() {
        RawKeyTranslator translator;
        translator.setKeymap(usualKeymap());
        QCOMPARE(run(translator, "+Shift_L"), "up+other");
        translator.setKeymap(usualKeymap());
        QCOMPARE(run(translator, "+Alt_L -Alt_L -Shift_L"), "down+other up+other up");
    }

    void releaseAllForgetsHeldKeys() {
        RawKeyTranslator translator;
        translator.setKeymap(usualKeymap());
        QCOMPARE(run(translator, "+Alt_L +Shift_L"), "down down+other");
        translator.releaseAll();
        QCOMPARE(run(translator, "-Shift_L +Alt_R -Alt_R"), "none down up");
    }
};

QTEST_APPLESS_MAIN(TestRawKeyTranslator)
#include "test_raw_key_translator.moc"
