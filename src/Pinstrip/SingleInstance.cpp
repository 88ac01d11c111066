#include "SingleInstance.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstance::SingleInstance() : SingleInstance(defaultLockPath()) {}

SingleInstance::SingleInstance(const QString& lockPath) : m_path(lockPath) {}

// The file stays: removing it could let a copy that opened it just before lock the removed file
// while a third copy locks a new one.
SingleInstance::~SingleInstance() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QString SingleInstance::defaultLockPath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return QDir::tempPath() + QStringLiteral("/pinstrip-%1.lock").arg(getuid());
    return folder + QStringLiteral("/pinstrip.lock");
}

// A lock the kernel holds needs no file written to disk and synced before the strip can start,
// and nothing has to tell a dead holder's lock from a live one.
bool SingleInstance::acquire() {
    if (m_fd >= 0)
        return true;
    // Never through a link: the file is truncated, and without a runtime folder it lies in the
    // shared temporary folder.
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    const QByteArray pid = QByteArray::number(static_cast<qint64>(getpid())) + '\n';
    if (::ftruncate(fd, 0) != 0 || ::write(fd, pid.constData(), size_t(pid.size())) != pid.size()) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}
