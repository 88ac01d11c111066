#pragma once

#include "StoreFolder.h"
#include "TodoStore.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <memory>

// One view of the module, loaded the way the application loads it, in a shown window, with a
// store of its own on a temporary folder that starts from `state` and a clock that never moves.
struct ViewHarness {
    explicit ViewHarness(const QString& view, const TodoState& state = {});

    // The visible items with this objectName top to bottom (rows on their way out are hidden).
    [[nodiscard]] QList<QQuickItem*> rows(const QString& objectName = "todoRow") const;
    [[nodiscard]] QQuickItem* find(const QString& name) const { return rows(name).value(0); }
    // Every descendant of `item` with this objectName, in tree order.
    [[nodiscard]] static QList<QQuickItem*> all(QQuickItem* item, const QString& objectName);
    [[nodiscard]] static QQuickItem* child(QQuickItem* item, const QString& objectName) {
        return all(item, objectName).value(0);
    }
    [[nodiscard]] static QString text(const QQuickItem* item) {
        return item->property("text").toString();
    }
    void hover(QQuickItem* item);
    void click(QQuickItem* item, Qt::MouseButton button = Qt::LeftButton);
    void type(const QString& text) {
        for (const QChar c : text)
            QTest::keyClick(&window, c.toLatin1());
    }
    // Today's list with one entry per letter: o open, p in progress, d done.
    static TodoState stateOf(const QString& statuses);

    StoreFolder folder;
    std::unique_ptr<TodoStore> store;
    QQmlEngine engine;
    QQuickWindow window;
    std::unique_ptr<QQuickItem> root;
};
