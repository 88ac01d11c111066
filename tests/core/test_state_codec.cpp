#include "DaylaState.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

Q_DECLARE_METATYPE(DaylaState)

namespace {

const QByteArray idA = "0FB04BE2-A28A-44B5-ADA5-4E91F6E1E46A";

QByteArray file(const QByteArray& items, const QByteArray& archive = "[]") {
    return "{\"archive\":" + archive + ",\"items\":" + items + "}";
}

QByteArray item(const QByteArray& members) {
    return "[{" + members + "}]";
}

QStringList summary(const QList<DaylaItem>& items) {
    QStringList out;
    for (const DaylaItem& item : items)
        out << item.title + QLatin1Char('/') + itemStatusText(item.status);
    return out;
}

// Two entries today and one archived day, written by another encoder (" : ", "\/").
const QByteArray exampleFile = R"({
  "archive" : [
    {
      "date" : "2025-06-02 18:40",
      "items" : [
        {
          "id" : "0FB04BE2-A28A-44B5-ADA5-4E91F6E1E46A",
          "status" : "open",
          "title" : "Book train tickets"
        },
        {
          "id" : "D437099F-34AD-4875-81AD-64A5A5F7B502",
          "status" : "done",
          "title" : "Send the invoice"
        }
      ]
    }
  ],
  "items" : [
    {
      "id" : "2793DFFC-D72A-4CC7-AC1E-6EEBCA867AB6",
      "status" : "inProgress",
      "title" : "Review notes\/slides"
    },
    {
      "id" : "FED0F44F-6D19-42E2-AD65-B15DC95DAE86",
      "status" : "open",
      "title" : "Call the bank"
    }
  ]
})";

// Lines with their indentation and the spacing round colons removed, empty lines dropped.
QStringList contentLines(const QByteArray& bytes) {
    QStringList out;
    for (const QString& line : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        QString t = line.trimmed();
        t.replace(QLatin1String("\" : "), QLatin1String("\": "));
        t.replace(QLatin1String("\\/"), QLatin1String("/"));
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

} // namespace

class TestStateCodec : public QObject {
    Q_OBJECT

private slots:
    void decodesValidFiles_data();
    void decodesValidFiles();
    void rejectsFaultyFiles_data();
    void rejectsFaultyFiles();
    void missingIdGetsFreshRandomIdEachTime();
    void idIsReadInEitherCaseAndWrittenUpper();
    void legacyDoneAndExtraKeysVanishOnWrite();
    void roundTripKeepsEveryText_data();
    void roundTripKeepsEveryText();
    void encodingIsQtsLayoutOfTheWhole_data();
    void encodingIsQtsLayoutOfTheWhole();
    void exampleIsWrittenWithSameContentAndOrder();
    void emptyStateLayout();
};

void TestStateCodec::decodesValidFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("archived");

    QTest::newRow("empty lists") << file("[]") << QStringList{} << 0;
    QTest::newRow("example layout")
        << exampleFile << QStringList{"Review notes/slides/inProgress", "Call the bank/open"} << 1;
    QTest::newRow("one line, keys reversed, odd spacing")
        << QByteArray("{ \"items\" :[ {\"title\":\"a\",\"status\":\"done\",\"id\":\"" + idA +
                      "\"}],\t\n\"archive\"\r\n:[] }")
        << QStringList{"a/done"} << 0;
    QTest::newRow("status wins over done")
        << file(item(R"("title":"a","status":"inProgress","done":true)"))
        << QStringList{"a/inProgress"} << 0;
    QTest::newRow("legacy done true")
        << file(item(R"("title":"a","done":true)")) << QStringList{"a/done"} << 0;
    QTest::newRow("legacy done false")
        << file(item(R"("title":"a","done":false)")) << QStringList{"a/open"} << 0;
    QTest::newRow("status null, done true")
        << file(item(R"("title":"a","status":null,"done":true)")) << QStringList{"a/done"} << 0;
    QTest::newRow("status null, no done")
        << file(item(R"("title":"a","status":null)")) << QStringList{"a/open"} << 0;
    QTest::newRow("done null") << file(item(R"("title":"a","done":null)")) << QStringList{"a/open"}
                               << 0;
    QTest::newRow("id null") << file(item(R"("title":"a","id":null)")) << QStringList{"a/open"}
                             << 0;
    QTest::newRow("extra keys; done unread beside a status")
        << QByteArray(R"({"v":2,"archive":[{"date":"d","items":[],"x":[1,{"y":null}]}],)"
                      R"("items":[{"title":"a","color":"red","done":"not looked at",)"
                      R"("status":"open"}]})")
        << QStringList{"a/open"} << 1;
    QTest::newRow("every escape")
        << file(item(R"("title":"a\/b \u00e9 \ud83d\ude00 \"\\\b\f\n\r\t")"))
        << QStringList{QString::fromUtf8("a/b é 😀 \"\\\b\f\n\r\t") + "/open"} << 0;
    QTest::newRow("empty title") << file(item(R"("title":"")")) << QStringList{"/open"} << 0;
    QTest::newRow("U+FEFF opening a title") << file(item("\"title\":\"\xEF\xBB\xBFx\""))
                                            << QStringList{QString(QChar(0xFEFF)) + "x/open"} << 0;
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + file("[]") << QStringList{} << 0;
    QTest::newRow("duplicate key, last wins")
        << QByteArray(R"({"archive":[],"items":[],"items":[{"title":"b"}]})")
        << QStringList{"b/open"} << 0;
    QTest::newRow("numbers in extra keys")
        << file("[]").chopped(1) + R"(,"x":[0,-0.5,1.5e+3,2E-2]})" << QStringList{} << 0;
    QTest::newRow("trailing whitespace") << file("[]") + " \n\n" << QStringList{} << 0;
}

void TestStateCodec::decodesValidFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, items);
    QFETCH(int, archived);

    const std::optional<DaylaState> state = DaylaState::decode(bytes);
    QVERIFY(state);
    QCOMPARE(summary(state->items), items);
    QCOMPARE(state->archive.size(), archived);
}

void TestStateCodec::rejectsFaultyFiles_data() {
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("fault deep in the archive") << file(
        R"([{"title":"fine"}])",
        R"([{"date":"d","items":[]},{"date":"e","items":[{"title":"a","status":"DONE"}]}])");
    QTest::newRow("hexadecimal escape") << file(item(R"("title":"Ring \x41")"));
    QTest::newRow("escaped apostrophe") << file(item(R"("title":"it\'s")"));
    QTest::newRow("number without an integer part") << file("[]").chopped(1) + R"(,"x":.5})";
    QTest::newRow("number without a fraction") << file("[]").chopped(1) + R"(,"x":-1.})";
    QTest::newRow("byte order mark between tokens")
        << QByteArray("{\"archive\":[],\xEF\xBB\xBF\"items\":[]}");
    QTest::newRow("escape of a byte order mark") << file(item("\"title\":\"\\\xEF\xBB\xBF\""));
}

void TestStateCodec::rejectsFaultyFiles() {
    QFETCH(QByteArray, bytes);
    QVERIFY(!DaylaState::decode(bytes));
}

void TestStateCodec::missingIdGetsFreshRandomIdEachTime() {
    const QByteArray bytes = file(R"([{"title":"a"},{"title":"b","id":null}])");
    const std::optional<DaylaState> first = DaylaState::decode(bytes);
    const std::optional<DaylaState> second = DaylaState::decode(bytes);
    QVERIFY(first && second);
    QSet<QUuid> seen;
    for (const auto* state : {&*first, &*second}) {
        for (const DaylaItem& item : state->items) {
            QCOMPARE(item.id.version(), QUuid::Random);
            seen.insert(item.id);
        }
    }
    QCOMPARE(seen.size(), 4);
}

void TestStateCodec::idIsReadInEitherCaseAndWrittenUpper() {
    const std::optional<DaylaState> state =
        DaylaState::decode(file(item("\"title\":\"a\",\"id\":\"" + idA.toLower() + "\"")));
    QVERIFY(state);
    QCOMPARE(state->items.at(0).idText(), QString::fromLatin1(idA));
    QVERIFY(state->encode().contains(idA));
    QVERIFY(!state->encode().contains(idA.toLower()));
}

void TestStateCodec::legacyDoneAndExtraKeysVanishOnWrite() {
    const std::optional<DaylaState> state = DaylaState::decode(
        file(item("\"title\":\"a\",\"done\":true,\"note\":\"x\",\"id\":\"" + idA + "\"")));
    QVERIFY(state);
    const QJsonObject written =
        QJsonDocument::fromJson(state->encode()).object()["items"].toArray().at(0).toObject();
    QCOMPARE(written.keys(), (QStringList{"id", "status", "title"}));
    QCOMPARE(written["status"].toString(), QString("done"));
}

void TestStateCodec::roundTripKeepsEveryText_data() {
    QTest::addColumn<QString>("title");

    QTest::newRow("plain") << QString("Call the bank");
    QTest::newRow("slash, quote, backslash") << QString(R"(a/b "c" \d)");
    QTest::newRow("control characters") << QString("a\tb\nc") + QChar(0x01) + QChar(0x1F);
    QTest::newRow("NUL") << QString("a") + QChar(0) + "b";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Grüße · 東京 · 😀");
    QTest::newRow("line and paragraph separators") << QString("a") + QChar(0x2028) + QChar(0x2029);
    QTest::newRow("U+FEFF at the start") << QString(QChar(0xFEFF)) + "a" + QChar(0xFEFF);
    QTest::newRow("lone surrogate") << QString("a") + QChar(0xD800) + "b";
    QTest::newRow("empty") << QString();
}

void TestStateCodec::roundTripKeepsEveryText() {
    QFETCH(QString, title);

    DaylaState state;
    state.items = {{QUuid::createUuid(), title, ItemStatus::inProgress},
                   {QUuid::createUuid(), "second", ItemStatus::done}};
    state.archive = {{"2025-06-02 18:40", {{QUuid::createUuid(), title, ItemStatus::open}}},
                     {"2025-06-01 09:00", {}}};
    const QByteArray bytes = state.encode();
    const std::optional<DaylaState> back = DaylaState::decode(bytes);
    QVERIFY(back);
    QCOMPARE(*back, state);
}

void TestStateCodec::encodingIsQtsLayoutOfTheWhole_data() {
    QTest::addColumn<DaylaState>("state");

    // Titles that look like the member the encoding is split at.
    const QString tricky = QStringLiteral("\n    \"items\": [\n\"items\"");
    const DaylaItem item{QUuid::createUuid(), tricky, ItemStatus::open};
    const ArchivedDay day{tricky, {item, item}};
    QTest::newRow("empty") << DaylaState{};
    QTest::newRow("items only") << DaylaState{{item}, {}};
    QTest::newRow("archive only") << DaylaState{{}, {day}};
    QTest::newRow("both") << DaylaState{{item, item}, {day, day, ArchivedDay{"d", {}}}};
}

void TestStateCodec::encodingIsQtsLayoutOfTheWhole() {
    QFETCH(DaylaState, state);
    QCOMPARE(state.encode(),
             QJsonDocument(state.toJson()).toJson(QJsonDocument::Indented).chopped(1));
    QCOMPARE(DaylaState::decode(state.encode()), std::optional<DaylaState>(state));
}

void TestStateCodec::exampleIsWrittenWithSameContentAndOrder() {
    const std::optional<DaylaState> state = DaylaState::decode(exampleFile);
    QVERIFY(state);
    const QByteArray written = state->encode();
    QCOMPARE(contentLines(written), contentLines(exampleFile));
    QVERIFY(written.endsWith('}'));

    // Nested indentation: deeper after every opening line, back out at every closing one.
    int expected = 0;
    int unit = -1;
    for (const QByteArray& line : written.split('\n')) {
        const QByteArray body = line.trimmed();
        if (body.startsWith('}') || body.startsWith(']'))
            --expected;
        const auto indent = static_cast<int>(line.size() - line.trimmed().size());
        if (unit < 0 && indent > 0)
            unit = indent;
        QCOMPARE(indent, expected * std::max(unit, 0));
        if (body.endsWith('{') || body.endsWith('['))
            ++expected;
    }
    QCOMPARE(expected, 0);
}

void TestStateCodec::emptyStateLayout() {
    const QByteArray written = DaylaState{}.encode();
    QCOMPARE(contentLines(written),
             (QStringList{"{", "\"archive\": [", "],", "\"items\": [", "]", "}"}));
    QVERIFY(!written.endsWith('\n'));
    QCOMPARE(DaylaState::decode(written), std::optional<DaylaState>(DaylaState{}));
}

QTEST_GUILESS_MAIN(TestStateCodec)
#include "test_state_codec.moc"
