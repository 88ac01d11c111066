#include "HistoryWindow.h"
#include "StoreFolder.h"
#include "TodoStore.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QSGRendererInterface>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(PinstripPlugin)

namespace {

// Items alive in the window's scene, delegates included.
int liveItems(const QQuickItem* item) {
    int count = 0;
    for (const QQuickItem* child : item->childItems())
        count += 1 + liveItems(child);
    return count;
}

} // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT

private slots:
    // Days archived while the window is closed cost it nothing, and once its page is full an
    // open window holds no more items however long the archive grows. Every way of closing
    // hides it, and it comes back where it was left.
    void heldItemsStayFlatAcrossOpenAndClose() {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        StoreFolder folder;
        TodoStore store(folder.path(), StoreFolder::clock());
        QQmlEngine engine;
        HistoryWindow window(engine, store);
        QList<int> open, closed;
        for (int round = 0; round < 12; ++round) {
            for (int i = 0; i < 8; ++i)
                store.add(QStringLiteral("round %1 entry %2").arg(round).arg(i));
            store.archiveAndClear();
            window.present();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            if (round == 0)
                window.setPosition(123, 77);
            QCOMPARE(window.position(), QPoint(123, 77));
            open << liveItems(window.contentItem());
            if (round % 3 == 2)
                window.close();
            else
                QTest::keyClick(&window, round % 3 ? Qt::Key_W : Qt::Key_Escape,
                                round % 3 ? Qt::ControlModifier : Qt::NoModifier);
            QTRY_VERIFY2(!window.isVisible(), QByteArray::number(round % 3));
            store.add(QStringLiteral("archived while closed"));
            store.archiveAndClear();
            closed << liveItems(window.contentItem());
        }
        QCOMPARE(closed, QList<int>(closed.size(), closed.first()));
        QCOMPARE(open.mid(4), QList<int>(open.size() - 4, open.at(4)));
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "test_history_window.moc"
