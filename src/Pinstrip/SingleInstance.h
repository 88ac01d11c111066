#pragma once

#include <QString>

// One running copy per user: an exclusive lock on a file in the user's runtime folder, held
// until exit. The system drops the lock of a copy that dies, so the next copy takes it over; a
// live holder is never timed out. The file's first line is the holder's process id.
class SingleInstance {
public:
    // $XDG_RUNTIME_DIR/pinstrip.lock (a per-user name in the temporary folder without one).
    SingleInstance();
    explicit SingleInstance(const QString& lockPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    [[nodiscard]] static QString defaultLockPath();

    // True when this process now holds the lock (or already did).
    [[nodiscard]] bool acquire();

private:
    QString m_path;
    int m_fd = -1;
};
