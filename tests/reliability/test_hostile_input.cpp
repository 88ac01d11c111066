// Malformed and hostile state files: each is decoded and started from by a real store, under
// the sanitizers, and must give exactly the outcome its manifest entry names. Titles of every
// awkward kind go through the file and come back unchanged.
#include "DaylaStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

DaylaStore::Clock fixedClock() {
    return [] { return QDateTime(QDate(2026, 4, 1), QTime(9, 30)); };
}

// Compares a list with its expected JSON form; an expected null id stands for a fresh one.
QString itemsDiffer(const QList<DaylaItem>& items, const QJsonArray& expected) {
    if (items.size() != expected.size())
        return QStringLiteral("%1 entries instead of %2").arg(items.size()).arg(expected.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QJsonObject want = expected.at(i).toObject();
        const DaylaItem& item = items.at(i);
        if (item.title != want.value(QLatin1String("title")).toString())
            return QStringLiteral("entry %1 has title \"%2\"").arg(i).arg(item.title);
        if (itemStatusText(item.status) != want.value(QLatin1String("status")).toString())
            return QStringLiteral("entry %1 has status %2").arg(i).arg(itemStatusText(item.status));
        const QJsonValue id = want.value(QLatin1String("id"));
        if (id.isNull() ? item.id.isNull() : item.id != QUuid::fromString(id.toString()))
            return QStringLiteral("entry %1 has id %2").arg(i).arg(item.idText());
    }
    return {};
}

QString stateDiffers(const DaylaState& state, const QJsonObject& expected) {
    if (QString why = itemsDiffer(state.items, expected.value(QLatin1String("items")).toArray());
        !why.isEmpty())
        return QStringLiteral("today: ") + why;
    const QJsonArray archive = expected.value(QLatin1String("archive")).toArray();
    if (state.archive.size() != archive.size())
        return QStringLiteral("%1 archived days").arg(state.archive.size());
    for (qsizetype d = 0; d < archive.size(); ++d) {
        const QJsonObject day = archive.at(d).toObject();
        if (state.archive.at(d).date != day.value(QLatin1String("date")).toString())
            return QStringLiteral("day %1 is dated %2").arg(d).arg(state.archive.at(d).date);
        if (QString why =
                itemsDiffer(state.archive.at(d).items, day.value(QLatin1String("items")).toArray());
            !why.isEmpty())
            return QStringLiteral("day %1: ").arg(d) + why;
    }
    return {};
}

// Empty when the state is one of the expected ones, else why not.
QString matchesOneOf(const DaylaState& state, const QJsonArray& states) {
    QString why = QStringLiteral("no expected state");
    for (const QJsonValue& expected : states) {
        why = stateDiffers(state, expected.toObject());
        if (why.isEmpty())
            break;
    }
    return why;
}

QJsonObject referenceState() {
    return QJsonDocument::fromJson(
               contents(QStringLiteral(PINSTRIP_TEST_DATA "/valid-pretty.json")))
        .object();
}

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT

private slots:
    void init();
    void decodesAsExpected_data();
    void decodesAsExpected();
    void storeStartsAsExpected_data() { decodesAsExpected_data(); }
    void storeStartsAsExpected();
    void titlesSurviveTheFile_data();
    void titlesSurviveTheFile();
};

void TestHostileInput::init() {
    // Nothing about a bad file is ever reported.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestHostileInput::decodesAsExpected_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expect"); // "accept", "reject" or "either"
    QTest::addColumn<QJsonArray>("states");

    const QJsonObject manifest =
        QJsonDocument::fromJson(contents(QStringLiteral(PINSTRIP_TEST_DATA "/manifest.json")))
            .object();
    const QJsonArray cases = manifest.value(QLatin1String("cases")).toArray();
    QVERIFY(cases.size() >= 50);
    QSet<QString> listed;
    for (const QJsonValue& value : cases) {
        const QJsonObject entry = value.toObject();
        const QString file = entry.value(QLatin1String("file")).toString();
        listed.insert(file);
        QTest::newRow(qPrintable(file)) << contents(QStringLiteral(PINSTRIP_TEST_DATA "/") + file)
                                        << entry.value(QLatin1String("expect")).toString()
                                        << entry.value(QLatin1String("states")).toArray();
    }
    // Every file of the corpus, found crashes included, needs its entry.
    const QStringList present = QDir(QStringLiteral(PINSTRIP_TEST_DATA))
                                    .entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : present)
        QVERIFY2(name == QLatin1String("manifest.json") || listed.contains(name),
                 qPrintable(name + QStringLiteral(" is missing from the manifest")));

    // Too big to keep in the repository.
    const QJsonObject reference = referenceState();
    const QByteArray compact = QJsonDocument(reference).toJson(QJsonDocument::Compact);
    QByteArray whitespace;
    whitespace.reserve(5 << 20);
    while (whitespace.size() < (5 << 20))
        whitespace.append(" \t\r\n  \n ");
    QTest::newRow("generated: 10 MB of whitespace round a list")
        << whitespace + compact + whitespace << QStringLiteral("accept") << QJsonArray{reference};
    QTest::newRow("generated: 10 MB of whitespace alone")
        << whitespace + whitespace << QStringLiteral("reject") << QJsonArray{};

    QString title;
    title.reserve(1 << 20);
    for (int i = 0; title.size() < (1 << 20); ++i)
        title += QStringLiteral("%1 \u00e9\u0301 \u05d0 \U0001F600 / \"q\" \\ ").arg(i);
    QJsonObject big = reference;
    QJsonArray items = big.value(QLatin1String("items")).toArray();
    QJsonObject first = items.at(0).toObject();
    first.insert(QLatin1String("title"), title);
    items.replace(0, first);
    big.insert(QLatin1String("items"), items);
    QTest::newRow("generated: 1 MB title")
        << QJsonDocument(big).toJson() << QStringLiteral("accept") << QJsonArray{big};
}

void TestHostileInput::decodesAsExpected() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expect);
    QFETCH(QJsonArray, states);

    const std::optional<DaylaState> state = DaylaState::decode(bytes);
    if (expect == QLatin1String("reject")) {
        QVERIFY2(!state, "read a file that must be rejected");
        return;
    }
    if (expect == QLatin1String("accept"))
        QVERIFY2(state, "rejected a file that must be read");
    if (!state)
        return;
    const QString why = matchesOneOf(*state, states);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    // What was read must survive the next write and read unchanged.
    QCOMPARE(DaylaState::decode(state->encode()), state);
}

void TestHostileInput::storeStartsAsExpected() {
    QFETCH(QByteArray, bytes);
    QFETCH(QJsonArray, states);

    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("Pinstrip"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/todo.json");
    put(path, bytes);
    const bool readable = DaylaState::decode(bytes).has_value();

    DaylaStore store(folder, fixedClock());
    if (readable) {
        const QString why = matchesOneOf(store.state(), states);
        QVERIFY2(why.isEmpty(), qPrintable(why));
    } else {
        QCOMPARE(store.state(), DaylaState{});
    }
    QCOMPARE(contents(path), bytes); // starting alone changes nothing

    store.add(QStringLiteral("after the start"));
    QCOMPARE(DaylaState::decode(contents(path)), store.state());
    const QStringList setAside =
        QDir(folder).entryList({QStringLiteral("todo.json.unreadable-*")}, QDir::Files);
    if (readable) {
        QCOMPARE(setAside.size(), 0);
    } else {
        QCOMPARE(setAside.size(), 1);
        QCOMPARE(contents(folder + QLatin1Char('/') + setAside.first()), bytes);
    }
}

void TestHostileInput::titlesSurviveTheFile_data() {
    QTest::addColumn<QString>("title");

    QTest::newRow("control characters inside")
        << QStringLiteral("a\u0001b\u0007c\u001bd\u007fe\u0080f\u0000g\u0008h\u0085i");
    QTest::newRow("right-to-left with overrides") << QStringLiteral(
        "\u05e9\u05dc\u05d5\u05dd \u0645\u0631\u062d\u0628\u0627 \u202egnp.exe\u202c "
        "\u200f(1)\u200e");
    QTest::newRow("stacked combining marks") << QStringLiteral(
        "e\u0301\u0302\u0303\u0304\u0305\u0306\u0307\u0308 Z\u0351\u036b\u0343\u036a");
    QTest::newRow("emoji sequences")
        << QStringLiteral("\U0001F469\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466 "
                          "\U0001F1E9\U0001F1EA \U0001F44D\U0001F3FD \u2764\uFE0F");
    QTest::newRow("noncharacters and private use")
        << QStringLiteral("\uFFFE\uFFFF\uFDD0\uE000\U0010FFFD\U000FFFFF");
    QTest::newRow("zero-width no-break space first") << QStringLiteral("\uFEFFinvisible start");
    QTest::newRow("JSON syntax") << QStringLiteral("\"}], \"items\": [{\\u0000 /* // */");

    QString mixed;
    const QString alphabet = QStringLiteral("aZ9 \u00e9\u05d0\u4e2d/\\\"\u0301");
    for (int i = 0; mixed.size() < 10000; ++i)
        mixed += alphabet.at(i % alphabet.size());
    mixed.replace(0, 1, QStringLiteral("x"));
    mixed.replace(mixed.size() - 1, 1, QStringLiteral("y"));
    QTest::newRow("10,000 characters") << mixed;
    QString emoji;
    for (int i = 0; i < 10000; ++i)
        emoji += QString::fromUcs4(U"\U0001F600\U0001F4CC\U0001F680" + i % 3, 1);
    QTest::newRow("10,000 emoji") << emoji;
}

void TestHostileInput::titlesSurviveTheFile() {
    QFETCH(QString, title);

    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("Pinstrip"));
    {
        DaylaStore store(folder, fixedClock());
        store.add(title);
        QCOMPARE(store.state().items.size(), 1);
        QCOMPARE(store.state().items.first().title, title);
        store.add(QStringLiteral("second"));
        store.archiveAndClear();
        store.add(title);
    }
    DaylaStore reread(folder, fixedClock());
    QCOMPARE(reread.state().items.size(), 1);
    QCOMPARE(reread.state().items.first().title, title);
    QCOMPARE(reread.state().archive.size(), 1);
    QCOMPARE(reread.state().archive.first().items.first().title, title);
    QVERIFY(QDir(folder).entryList({QStringLiteral("todo.json.unreadable-*")}).isEmpty());
}

QTEST_GUILESS_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
