#pragma once

#include "StateCodec.h"

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>

// A throw-away "Pinstrip" data folder under a fresh temporary root, and chores the store tests
// share.
class StoreFolder {
public:
    [[nodiscard]] QString root() const { return m_root.path(); }
    [[nodiscard]] QString path() const { return root() + QStringLiteral("/Pinstrip"); }
    [[nodiscard]] QString file(const QString& name = QStringLiteral("todo.json")) const {
        return path() + QLatin1Char('/') + name;
    }
    [[nodiscard]] QStringList entries() const { return list(path()); }
    [[nodiscard]] std::optional<TodoState> state() const {
        return StateCodec::decode(read(file()));
    }
    [[nodiscard]] bool setState(const TodoState& state) const {
        return write(file(), StateCodec::encode(state));
    }

    // Every name in a folder, hidden ones included, sorted; a file's bytes, empty if unreadable;
    // replacing them, making the folder first; a clock at 2 June 2025, 18:40:05 local time.
    [[nodiscard]] static QStringList list(const QString& folder);
    [[nodiscard]] static QByteArray read(const QString& path);
    [[nodiscard]] static bool write(const QString& path, const QByteArray& bytes);
    [[nodiscard]] static std::function<QDateTime()> clock();
    // Today's list with an entry titled A, B, C… per letter: o open, p in progress, d done; and
    // back, each entry's title and letter: "Ap Bo".
    [[nodiscard]] static TodoState stateOf(QStringView statuses);
    [[nodiscard]] static QString summary(const QList<TodoItem>& items);

private:
    QTemporaryDir m_root;
};
