#pragma once

#include "StateCodec.h"
#include "TodoState.h"

#include <QDateTime>
#include <QString>
#include <functional>

// The one state file, "todo.json" in a private per-user folder.
// Reads once; every write replaces the whole file atomically (temporary file, fsync, rename).
// A file that existed but could not be read or decoded is moved aside before the first
// write would replace it, so the user's data is never silently destroyed.
class StateFile {
public:
    using Clock = std::function<QDateTime()>;

    // Creates the folder (and its missing parents) readable by the user alone; failure is ignored.
    StateFile(const QString& folder, Clock clock);

    // $XDG_DATA_HOME/Pinstrip on Linux (QStandardPaths::AppDataLocation for "Pinstrip").
    [[nodiscard]] static QString defaultFolder();

    [[nodiscard]] QString folder() const;
    // The path of todo.json.
    [[nodiscard]] QString fileURL() const;

    // The decoded state, or the empty state on any failure. Temporary files left by a write
    // that was cut short are removed first: only one copy of the program runs at a time.
    [[nodiscard]] TodoState read();
    // False when an unreadable file could not be set aside or the write failed; the previous
    // file is then untouched.
    bool write(const TodoState& state);

private:
    // Moves an unreadable todo.json to "todo.json.unreadable-<stamp>", never replacing a file.
    bool setAside();
    void removeLeftoverTemporaries() const;

    QString m_folder;
    QString m_path;
    Clock m_clock;
    bool m_setAsidePending = false;
    StateCodec m_codec;
};
