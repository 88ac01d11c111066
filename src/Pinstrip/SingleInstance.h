#pragma once

#include <QLockFile>
#include <QString>

// One running copy per user: a lock file in the user's runtime folder, held until exit.
// A lock left behind by a copy that died is taken over; a live holder is never timed out.
class SingleInstance {
public:
    // $XDG_RUNTIME_DIR/pinstrip.lock (a per-user name in the temporary folder without one).
    SingleInstance();
    explicit SingleInstance(const QString& lockPath);

    [[nodiscard]] static QString defaultLockPath();

    // True when this process now holds the lock (or already did).
    [[nodiscard]] bool acquire();

private:
    QLockFile m_lock;
};
