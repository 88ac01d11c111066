#pragma once

#include <QString>
#include <QStringList>

// One running copy per user: an exclusive lock on a file in a folder only the user can open,
// held until exit. The system drops the lock of a copy that dies, so the next copy takes it
// over; a live holder is never timed out. The file's first line is the holder's process id.
// The running copy listens for commands on a socket beside the lock it holds.
class SingleInstance {
public:
    // The default places, in order.
    SingleInstance();
    // Lock files to try in order; their folders are made owner-only when created.
    explicit SingleInstance(QStringList lockPaths);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // $XDG_RUNTIME_DIR/pinstrip.lock, then one in the user's cache folder for when that
    // cannot be used (no runtime folder, or something else sits at the path).
    [[nodiscard]] static QStringList defaultLockPaths();
    [[nodiscard]] static QString channelPath(const QString& lockPath);

    // False only while another live process holds the lock: then this copy hands over and
    // leaves. A lock that cannot be had for any other reason moves on to the next place, and
    // with none left the program runs unguarded rather than not at all.
    [[nodiscard]] bool acquire();
    // The command socket beside the lock this process holds; empty while it holds none.
    [[nodiscard]] QString channelPath() const;

private:
    enum class Outcome { held, busy, unusable };
    [[nodiscard]] Outcome tryLock(const QString& path);

    QStringList m_paths;
    QString m_heldPath;
    int m_fd = -1;
    bool m_acquired = false;
};
