#include "SingleInstance.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

SingleInstance::SingleInstance() : SingleInstance(defaultLockPaths()) {}

SingleInstance::SingleInstance(QStringList lockPaths) : m_paths(std::move(lockPaths)) {}

// The file stays: removing it could let a copy that opened it just before lock the removed file
// while a third copy locks a new one.
SingleInstance::~SingleInstance() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QStringList SingleInstance::defaultLockPaths() {
    QStringList paths;
    // Qt makes a private folder in the temporary folder when the session has no runtime
    // folder, and gives none when that name is taken by another user.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        paths << runtime + QStringLiteral("/pinstrip.lock");
    paths << QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                 QStringLiteral("/pinstrip/pinstrip.lock");
    return paths;
}

QString SingleInstance::channelPath(const QString& lockPath) {
    return QFileInfo(lockPath).path() + QStringLiteral("/pinstrip.socket");
}

QString SingleInstance::channelPath() const {
    return m_heldPath.isEmpty() ? QString() : channelPath(m_heldPath);
}

bool SingleInstance::acquire() {
    if (m_acquired)
        return true;
    for (const QString& path : std::as_const(m_paths)) {
        switch (tryLock(path)) {
        case Outcome::held:
            m_heldPath = path;
            m_acquired = true;
            return true;
        case Outcome::busy:
            return false;
        case Outcome::unusable:
            break;
        }
    }
    m_acquired = true;
    return true;
}

// A lock the kernel holds needs no file written to disk and synced before the strip can start,
// and nothing has to tell a dead holder's lock from a live one.
SingleInstance::Outcome SingleInstance::tryLock(const QString& path) {
    const QString folder = QFileInfo(path).path();
    if (!QFileInfo::exists(folder) &&
        (!QDir().mkpath(folder) || ::chmod(QFile::encodeName(folder).constData(), S_IRWXU) != 0))
        return Outcome::unusable;
    // Never through a link: the file is truncated.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Outcome::unusable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Outcome::busy : Outcome::unusable;
    }
    const QByteArray pid = QByteArray::number(static_cast<qint64>(getpid())) + '\n';
    if (::ftruncate(fd, 0) != 0 || ::write(fd, pid.constData(), size_t(pid.size())) != pid.size()) {
        ::close(fd);
        return Outcome::unusable;
    }
    m_fd = fd;
    return Outcome::held;
}
