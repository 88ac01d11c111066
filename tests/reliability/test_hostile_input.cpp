// A store starts from each file of tests/data as its manifest entry says, and keeps it over a save.
#include "StoreFolder.h"
#include "TodoStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString data = QStringLiteral(PINSTRIP_TEST_DATA);

// The form read, with null wherever the listed form has null (an id made up fresh).
QJsonValue masked(const QJsonValue& got, const QJsonValue& want) {
    if (want.isNull())
        return want;
    if (got.isArray() && want.isArray()) {
        QJsonArray a = got.toArray();
        for (qsizetype i = 0; i < a.size(); ++i)
            a[i] = masked(a.at(i), want[i]);
        return a;
    }
    if (!got.isObject() || !want.isObject())
        return got;
    QJsonObject o = got.toObject();
    for (auto it = o.begin(); it != o.end(); ++it)
        it.value() = masked(it.value(), want[it.key()]);
    return o;
}

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(".*")); } // a bad file is no news
    void storeStartsAsListed_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expect"); // "accept", "reject" or "either"
        QTest::addColumn<QJsonArray>("states");
        const QJsonDocument manifest =
            QJsonDocument::fromJson(StoreFolder::read(data + "/manifest.json"));
        QStringList listed{"manifest.json"};
        for (const QJsonValue& entry : manifest["cases"].toArray()) {
            listed << entry["file"].toString();
            QTest::newRow(qPrintable(listed.last()))
                << listed.last() << entry["expect"].toString() << entry["states"].toArray();
        }
        // Every file of the corpus, found crashes included, needs its entry.
        listed.sort();
        QCOMPARE(StoreFolder::list(data), listed);
    }

    void storeStartsAsListed() {
        QFETCH(QString, file);
        QFETCH(QString, expect);
        QFETCH(QJsonArray, states);
        const QByteArray bytes = StoreFolder::read(data + '/' + file);
        StoreFolder dir;
        QVERIFY(StoreFolder::write(dir.file(), bytes));
        TodoStore store(dir.path(), StoreFolder::clock());
        const bool readable = StateCodec::decode(bytes).has_value();
        QVERIFY2(expect == "either" || readable == (expect == "accept"),
                 "decoded against the list");
        const QJsonObject got = QJsonDocument::fromJson(StateCodec::encode(store.state())).object();
        const bool listedState =
            std::any_of(states.begin(), states.end(),
                        [&](const QJsonValue& want) { return masked(got, want) == want; });
        QVERIFY2(readable ? listedState : store.state() == TodoState{},
                 QJsonDocument(got).toJson().constData());
        QCOMPARE(StoreFolder::read(dir.file()), bytes); // starting alone changes nothing
        store.add("after the start");
        QCOMPARE(dir.state(), store.state());
        QCOMPARE(dir.entries().size(), readable ? 1 : 2); // an unreadable file is set aside
        QCOMPARE(StoreFolder::read(dir.file(dir.entries().value(1))), readable ? "" : bytes);
    }
};

QTEST_GUILESS_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
