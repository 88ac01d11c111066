#pragma once

#include "DaylaState.h"
#include "DaylaStore.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

// One view of the module, loaded the way the application loads it, with a store of its own
// on a temporary folder that starts from `state`, in a shown window.
class ViewHarness {
public:
    ViewHarness(const QString& view, const DaylaState& state, const QVariantMap& properties = {});
    ~ViewHarness();

    [[nodiscard]] DaylaStore& store() { return *m_store; }
    [[nodiscard]] QQuickItem* root() const { return m_root; }
    [[nodiscard]] QQuickWindow& window() { return m_window; }

    // The module's colour and font singleton, as the views see it.
    [[nodiscard]] QObject* theme() const;
    // The visible item with this objectName, or nullptr.
    [[nodiscard]] QQuickItem* find(const QString& objectName) const;
    // The list's row items in display order (rows on their way out excluded).
    [[nodiscard]] QList<QQuickItem*> rows() const;
    // A descendant of `item` with this objectName, visible or not.
    [[nodiscard]] static QQuickItem* child(QQuickItem* item, const QString& objectName);
    // Every descendant of `item` with this objectName (any name when empty), in tree order.
    [[nodiscard]] static QList<QQuickItem*> all(QQuickItem* item, const QString& objectName);

    void click(QQuickItem* item, Qt::MouseButton button = Qt::LeftButton);
    void hover(QQuickItem* item);
    // Lets layouts and list transitions settle.
    void settle();

    // Stores of tests share a clock that never moves.
    static QDateTime clock();
    // Today's list with one entry per letter: o open, p in progress, d done.
    static DaylaState stateOf(const QString& statuses);

private:
    static bool softwareRendering();

    bool m_software;
    QTemporaryDir m_dir;
    std::unique_ptr<DaylaStore> m_store;
    QQmlEngine m_engine;
    QQuickWindow m_window;
    QQuickItem* m_root = nullptr;
};
