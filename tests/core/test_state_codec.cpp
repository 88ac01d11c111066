#include "StateCodec.h"

#include <QTest>

// Decoding rules are covered by the files of tests/data; these are what they cannot show.
class TestStateCodec : public QObject {
    Q_OBJECT

private slots:
    void missingIdIsFreshEachTime() {
        const QByteArray bytes =
            R"({"archive":[],"items":[{"title":"a"},{"title":"b","id":null}]})";
        QSet<QUuid> ids;
        for (const TodoItem& entry :
             StateCodec::decode(bytes)->items + StateCodec::decode(bytes)->items)
            ids << entry.id;
        QVERIFY(ids.size() == 4 && ids.begin()->version() == QUuid::Random);
    }

    void titlesRoundTrip_data() {
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
    void titlesRoundTrip() {
        QFETCH(QString, title);
        QFETCH(int, copies);
        TodoState state;
        state.archive = {{title, {}}, {"d", {}}};
        for (int i = 0; i < copies; ++i) {
            state.items << TodoItem{QUuid::createUuid(), title, ItemStatus::inProgress}
                        << TodoItem{QUuid::createUuid(), "second", ItemStatus::done};
            state.archive[0].items << TodoItem{QUuid::createUuid(), title, ItemStatus::open};
        }
        QCOMPARE(StateCodec::decode(StateCodec::encode(state)), std::optional<TodoState>(state));
    }
};

QTEST_GUILESS_MAIN(TestStateCodec)
#include "test_state_codec.moc"
