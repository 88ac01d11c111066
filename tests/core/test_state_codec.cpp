#include "StateCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

QByteArray item(const QByteArray& members) {
    return R"({"archive":[],"items":[{)" + members + "}]}";
}

// Qt's own indented layout of the state: the writer must match it byte for byte.
QByteArray qtLayout(const TodoState& state) {
    const auto items = [](const QList<TodoItem>& list) {
        QJsonArray array;
        for (const TodoItem& entry : list)
            array.append(QJsonObject{{"id", entry.idText()},
                                     {"status", itemStatusText(entry.status)},
                                     {"title", entry.title}});
        return array;
    };
    QJsonArray archive;
    for (const ArchivedDay& day : state.archive)
        archive.append(QJsonObject{{"date", day.date}, {"items", items(day.items)}});
    return QJsonDocument(QJsonObject{{"archive", archive}, {"items", items(state.items)}})
        .toJson(QJsonDocument::Indented)
        .chopped(1)
        .replace("\xEF\xBB\xBF", "\\ufeff");
}

} // namespace

// The files of tests/data cover most decoding rules; these are the ones they leave open.
class TestStateCodec : public QObject {
    Q_OBJECT

private slots:
    void decodes_data();
    void decodes();
    void missingIdIsFreshEachTime();
    void titlesRoundTrip_data();
    void titlesRoundTrip();
};

void TestStateCodec::decodes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("first"); // title/status of the first entry; empty: rejected
    // clang-format off
    QTest::newRow("every escape") << item(R"("title":"a\/b \u00e9 \ud83d\ude00 \"\\\b\f\n\r\t")")
                                  << QString::fromUtf8("a/b é 😀 \"\\\b\f\n\r\t/open");
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + item(R"("title":"a")") << "a/open";
    QTest::newRow("fractions") << item(R"("title":"a","x":[0,-0.5,1.5e+3,2E-2])") << "a/open";
    QTest::newRow("trailing whitespace") << item(R"("title":"a")") + " \r\n\t" << "a/open";
    QTest::newRow("hexadecimal escape") << item(R"("title":"Ring \x41")") << "";
    QTest::newRow("escaped apostrophe") << item(R"("title":"it\'s")") << "";
    QTest::newRow("no integer part") << item(R"("title":"a","x":.5)") << "";
    QTest::newRow("no fraction") << item(R"("title":"a","x":-1.)") << "";
    QTest::newRow("byte order mark between tokens")
        << QByteArray("{\"archive\":[],\xEF\xBB\xBF\"items\":[]}") << "";
    QTest::newRow("escape of a byte order mark") << item("\"title\":\"\\\xEF\xBB\xBF\"") << "";
    // clang-format on
}

void TestStateCodec::decodes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, first);
    const std::optional<TodoState> state = StateCodec::decode(bytes);
    QCOMPARE(state.has_value(), !first.isEmpty());
    if (state)
        QCOMPARE(state->items.first().title + '/' + itemStatusText(state->items.first().status),
                 first);
}

void TestStateCodec::missingIdIsFreshEachTime() {
    const QByteArray bytes = R"({"archive":[],"items":[{"title":"a"},{"title":"b","id":null}]})";
    QSet<QUuid> ids;
    for (const TodoItem& entry :
         StateCodec::decode(bytes)->items + StateCodec::decode(bytes)->items)
        ids << entry.id;
    QCOMPARE(ids.size(), 4);
    QCOMPARE(ids.begin()->version(), QUuid::Random);
}

void TestStateCodec::titlesRoundTrip_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("copies"); // of each entry
    QTest::newRow("looks like the key the encoding is split at")
        << QStringLiteral("\n    \"items\": [\n\"items\"") << 1;
    // Six bytes a unit: far past any first guess at the size.
    QTest::newRow("long escaped title, many entries") << QString(5000, QChar(1)) << 400;
    QString everyUnit; // lone surrogates included, then mispaired ones
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit)
        everyUnit.append(QChar(static_cast<char16_t>(unit))).append(u'b');
    for (char16_t unit : {0xDBFF, 0xDC00, 0xDC00, 0xD800, 0xD800})
        everyUnit.append(QChar(unit));
    QTest::newRow("every code unit") << everyUnit << 1;
}

void TestStateCodec::titlesRoundTrip() {
    QFETCH(QString, title);
    QFETCH(int, copies);
    TodoState state;
    state.archive = {{title, {}}, {"d", {}}};
    for (int i = 0; i < copies; ++i) {
        state.items << TodoItem{QUuid::createUuid(), title, ItemStatus::inProgress}
                    << TodoItem{QUuid::createUuid(), "second", ItemStatus::done};
        state.archive[0].items << TodoItem{QUuid::createUuid(), title, ItemStatus::open};
    }
    const QByteArray bytes = StateCodec::encode(state);
    QCOMPARE(bytes, qtLayout(state));
    QCOMPARE(StateCodec::decode(bytes), std::optional<TodoState>(state));
}

QTEST_GUILESS_MAIN(TestStateCodec)
#include "test_state_codec.moc"
