#include "SingleInstance.h"

#include <QDir>
#include <QStandardPaths>
#include <unistd.h>

SingleInstance::SingleInstance() : SingleInstance(defaultLockPath()) {}

SingleInstance::SingleInstance(const QString& lockPath) : m_lock(lockPath) {
    // The default stale time would let a second copy steal the lock of a copy that has simply
    // been running for half a minute; only a dead holder makes a lock stale.
    m_lock.setStaleLockTime(0);
}

QString SingleInstance::defaultLockPath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return QDir::tempPath() + QStringLiteral("/pinstrip-%1.lock").arg(getuid());
    return folder + QStringLiteral("/pinstrip.lock");
}

bool SingleInstance::acquire() {
    return m_lock.isLocked() || m_lock.tryLock(0);
}
