#include "ViewHarness.h"

#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

using V = ViewHarness;

class TestHistoryView : public QObject {
    Q_OBJECT

private slots:
    // Archiving while the window is open shows at once; equal stamps stay two cards.
    void showsArchivingLive() {
        V view("HistoryView", V::stateOf("od"));
        QCOMPARE(view.root()->size(), QSizeF(360, 420));
        QVERIFY(V::text(view.find("emptyText")).startsWith("Nothing archived yet."));
        view.store().archiveAndClear();
        view.store().add("later the same minute");
        view.store().archiveAndClear();
        QTRY_COMPARE(view.rows("card").size(), 2);
        QVERIFY(!view.find("emptyText"));
        QCOMPARE(V::text(V::child(view.rows("card").at(0), "summary")), "0/1 done");
        QCOMPARE(V::text(V::child(view.rows("card").at(1), "summary")), "1/2 done");
    }

    // Only done entries get the check and the strike; one left in progress looks open.
    void card_data() {
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("colour");
        QTest::newRow("one of three") << "pod" << QString("1/3 done") << "secondary";
        QTest::newRow("all done") << "dd" << QString("2/2 done") << "green";
        QTest::newRow("nothing in it") << "" << QString("0/0 done") << "green";
    }
    void card() {
        QFETCH(QString, statuses);
        QFETCH(QString, colour);
        DaylaState state;
        state.archive.append({"2025-06-02 18:40", V::stateOf(statuses).items});
        if (!statuses.isEmpty())
            state.archive[0].items[0].title = QString(500, u'w');
        V view("HistoryView", state);
        QQuickItem* card = view.rows("card").value(0);
        QVERIFY(card);
        QTEST(V::text(V::child(card, "summary")), "summary");
        QVERIFY(view.themed(V::child(card, "summary"), colour));
        QCOMPARE(V::text(V::child(card, "stamp")), "2025-06-02 18:40");
        const auto icons = V::all(card, "entryIcon");
        const auto titles = V::all(card, "entryTitle");
        QCOMPARE(titles.size(), statuses.size());
        for (int i = 0; i < statuses.size(); ++i) {
            const bool done = statuses[i] == u'd';
            QCOMPARE(icons.at(i)->property("name").toString(),
                     done ? "checkmark.circle.fill" : "circle");
            QCOMPARE(V::text(titles.at(i)), state.archive[0].items[i].title);
            QCOMPARE(titles.at(i)->property("font").value<QFont>().strikeOut(), done);
            QCOMPARE(titles.at(i)->property("lineCount").toInt(), 1);
        }
        if (!titles.isEmpty())
            QVERIFY(titles.at(0)->property("truncated").toBool());
    }
};

QTEST_MAIN(TestHistoryView)
#include "test_history_view.moc"
