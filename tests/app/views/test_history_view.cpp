#include "ViewHarness.h"

#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

namespace {

QList<QQuickItem*> cards(const ViewHarness& view) {
    QList<QQuickItem*> found = ViewHarness::all(view.root(), "card");
    std::sort(found.begin(), found.end(),
              [](QQuickItem* a, QQuickItem* b) { return a->y() < b->y(); });
    return found;
}

ArchivedDay dayOf(const QString& date, const QString& statuses) {
    return {date, ViewHarness::stateOf(statuses).items};
}

} // namespace

class TestHistoryView : public QObject {
    Q_OBJECT

private slots:
    void emptyArchive() {
        ViewHarness view("HistoryView", ViewHarness::stateOf("od"));
        QCOMPARE(view.root()->size(), QSizeF(360, 420));
        QCOMPARE(view.find("heading")->property("text").toString(), "Archive");
        QCOMPARE(view.find("emptyText")->property("text").toString(),
                 "Nothing archived yet. The archive button (📦) stores today's list and clears "
                 "the dayla.");
        QVERIFY(cards(view).isEmpty());
    }

    void summaries_data() {
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("colour");
        QTest::newRow("two of four") << QString("pood") << QString("1/4 done") << "secondary";
        QTest::newRow("all done") << QString("dd") << QString("2/2 done") << "green";
        QTest::newRow("nothing in it") << QString("") << QString("0/0 done") << "green";
    }
    void summaries() {
        QFETCH(QString, statuses);
        QFETCH(QString, colour);
        DaylaState state;
        state.archive.append(dayOf("2026-03-14 18:05", statuses));
        ViewHarness view("HistoryView", state);
        QQuickItem* card = cards(view).value(0);
        QVERIFY(card);
        QQuickItem* summary = ViewHarness::child(card, "summary");
        QTEST(summary->property("text").toString(), "summary");
        QCOMPARE(summary->property("color").value<QColor>().rgba(),
                 view.theme()->property(qPrintable(colour)).value<QColor>().rgba());
        QCOMPARE(ViewHarness::child(card, "stamp")->property("text").toString(),
                 "2026-03-14 18:05");
    }

    // Only done entries get the check and the strike; one left in progress looks open.
    void entries() {
        DaylaState state;
        state.archive.append(dayOf("2026-03-14 18:05", "pod"));
        state.archive[0].items[1].title = QString(500, u'w');
        ViewHarness view("HistoryView", state);
        QQuickItem* card = cards(view).value(0);
        auto icons = ViewHarness::all(card, "entryIcon");
        auto titles = ViewHarness::all(card, "entryTitle");
        QCOMPARE(icons.size(), 3);
        const QStringList symbols{"circle", "circle", "checkmark.circle.fill"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(icons.at(i)->property("name").toString(), symbols.at(i));
            QCOMPARE(titles.at(i)->property("text").toString(), state.archive[0].items[i].title);
            QCOMPARE(titles.at(i)->property("font").value<QFont>().strikeOut(), i == 2);
        }
        QCOMPARE(titles.at(1)->property("lineCount").toInt(), 1);
        QVERIFY(titles.at(1)->property("truncated").toBool());
    }

    // Archiving while the window is open shows at once; equal stamps stay two cards.
    void liveAndSeparate() {
        ViewHarness view("HistoryView", ViewHarness::stateOf("od"));
        view.store().archiveAndClear();
        view.store().add("later the same minute");
        view.store().archiveAndClear();
        QTRY_COMPARE(cards(view).size(), 2);
        QVERIFY(!view.find("emptyText"));
        const auto shown = cards(view);
        QCOMPARE(ViewHarness::child(shown.at(0), "summary")->property("text").toString(),
                 "0/1 done");
        QCOMPARE(ViewHarness::child(shown.at(1), "summary")->property("text").toString(),
                 "1/2 done");
    }

    void manyDaysScroll() {
        DaylaState state;
        for (int day = 0; day < 120; ++day)
            state.archive.append(dayOf(QStringLiteral("2026-01-%1 09:00").arg(day % 28 + 1), "od"));
        ViewHarness view("HistoryView", state);
        QCOMPARE(view.root()->size(), QSizeF(360, 420));
        auto* scroller = ViewHarness::child(view.root(), "scroller");
        QVERIFY(scroller->property("contentHeight").toReal() > 420 * 10);
        QCOMPARE(cards(view).size(), 120);
    }
};

QTEST_MAIN(TestHistoryView)
#include "test_history_view.moc"
