#pragma once

#include "StateFile.h"
#include "TodoState.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUuid>
#include <functional>

// The single source of truth: today's list in display order, the archive, and the two
// interface flags. objectWillChange() fires synchronously before every change step (also
// when the value does not change); the ...Changed() signals follow each step for bindings.
class TodoStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool inputActive READ inputActive WRITE setInputActive NOTIFY inputActiveChanged)
    Q_PROPERTY(bool collapsed READ collapsed WRITE setCollapsed NOTIFY collapsedChanged)
    Q_PROPERTY(int itemCount READ itemCount NOTIFY stateChanged)
    Q_PROPERTY(int doneCount READ doneCount NOTIFY stateChanged)
    Q_PROPERTY(bool allDone READ allDone NOTIFY stateChanged)

public:
    using Clock = std::function<QDateTime()>;
    static constexpr int archiveLimit = 120;

    // The user's folder and the system clock.
    explicit TodoStore(QObject* parent = nullptr);
    // For tests and tools: another folder and clock.
    TodoStore(const QString& folder, Clock clock, QObject* parent = nullptr);

    [[nodiscard]] const TodoState& state() const { return m_state; }
    [[nodiscard]] QString fileURL() const { return m_file.fileURL(); }

    [[nodiscard]] bool inputActive() const { return m_inputActive; }
    void setInputActive(bool active);
    [[nodiscard]] bool collapsed() const { return m_collapsed; }
    void setCollapsed(bool collapsed);

    // Installed by the application shell; never called by the store's own operations.
    std::function<void(bool)> onInputActiveChanged;
    // For views acting on a user's request: assigns inputActive, then calls the hook if installed.
    Q_INVOKABLE void userSetInputActive(bool active);

    [[nodiscard]] int itemCount() const { return static_cast<int>(m_state.items.size()); }
    [[nodiscard]] int doneCount() const;
    [[nodiscard]] bool allDone() const;

    Q_INVOKABLE void add(const QString& title);
    Q_INVOKABLE void cycle(const QUuid& id);
    void setStatus(const QUuid& id, ItemStatus status);
    Q_INVOKABLE void remove(const QUuid& id);
    Q_INVOKABLE void archiveAndClear();

    // Trims exactly the set add() trims: Unicode category Z, U+0009, U+000A..U+000D, U+0085.
    [[nodiscard]] static QString trimmedTitle(const QString& title);

signals:
    void objectWillChange();
    void stateChanged();
    void inputActiveChanged();
    void collapsedChanged();

private:
    // Position of the first entry with this id, or -1.
    [[nodiscard]] qsizetype indexOf(const QUuid& id) const;
    void resort();
    void save();

    StateFile m_file;
    Clock m_clock;
    TodoState m_state;
    bool m_inputActive = false;
    bool m_collapsed = false;
};
