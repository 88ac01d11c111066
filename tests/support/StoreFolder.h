#pragma once

#include "StateCodec.h"

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>

// A throw-away "Pinstrip" data folder under a fresh temporary root, made only on demand, and
// the file chores the tests share.
class StoreFolder {
public:
    [[nodiscard]] QString root() const { return m_root.path(); }
    [[nodiscard]] QString path() const { return root() + QStringLiteral("/Pinstrip"); }
    [[nodiscard]] QString file(const QString& name = QStringLiteral("todo.json")) const {
        return path() + QLatin1Char('/') + name;
    }
    [[nodiscard]] QStringList entries() const { return list(path()); }
    // todo.json decoded; nullopt when it is missing or unreadable.
    [[nodiscard]] std::optional<TodoState> state() const {
        return StateCodec::decode(read(file()));
    }
    [[nodiscard]] bool setState(const TodoState& state) const {
        return write(file(), StateCodec::encode(state));
    }

    // Every name in a folder, hidden ones included, sorted.
    [[nodiscard]] static QStringList list(const QString& folder);
    // Empty when the file cannot be read.
    [[nodiscard]] static QByteArray read(const QString& path);
    // Replaces the file's bytes, making its folder first.
    [[nodiscard]] static bool write(const QString& path, const QByteArray& bytes);
    // 2 June 2025, 18:40:05 local time, at every call.
    [[nodiscard]] static std::function<QDateTime()> clock();

private:
    QTemporaryDir m_root;
};
