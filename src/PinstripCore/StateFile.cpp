#include "StateFile.h"

#include <QDir>
#include <QLocale>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace {

Q_LOGGING_CATEGORY(lcStorage, "pinstrip.storage", QtWarningMsg)

const QString fileName = QStringLiteral("todo.json");
// mkostemp() replaces the six X of the template.
const QString temporaryPrefix = QStringLiteral(".todo.json.");

// Creates every missing folder of the path, each readable by the user alone.
void makePrivatePath(const QString& folder) {
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end != path.size() && path.at(end) != '/')
            continue;
        const QByteArray prefix = path.left(end);
        if (::mkdir(prefix.constData(), 0700) != 0 && errno != EEXIST)
            return;
    }
}

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd = -1;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

std::optional<QByteArray> readRegularFile(const QByteArray& path) {
    // Non-blocking so that a FIFO planted under the name cannot hang the start.
    const int fd = openRetrying(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (count == 0)
            break;
        bytes.append(buffer, count);
    }
    ::close(fd);
    return bytes;
}

// Writes the pieces in order without joining them first, resuming after short writes.
bool writeAll(int fd, const QByteArrayList& pieces) {
    std::vector<iovec> vectors;
    vectors.reserve(static_cast<size_t>(pieces.size()));
    for (const QByteArray& piece : pieces) {
        if (!piece.isEmpty())
            vectors.push_back(
                {const_cast<char*>(piece.constData()), static_cast<size_t>(piece.size())});
    }
    size_t next = 0;
    while (next < vectors.size()) {
        const int count = static_cast<int>(std::min<size_t>(vectors.size() - next, IOV_MAX));
        const ssize_t written = ::writev(fd, &vectors[next], count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        for (auto left = static_cast<size_t>(written); left > 0;) {
            iovec& vector = vectors[next];
            const size_t step = std::min(left, vector.iov_len);
            vector.iov_base = static_cast<char*>(vector.iov_base) + step;
            vector.iov_len -= step;
            left -= step;
            if (vector.iov_len == 0)
                ++next;
        }
    }
    return true;
}

void syncFolder(const QByteArray& folder) {
    const int fd = openRetrying(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Renames without ever replacing an existing target.
bool renameNoReplace(const QByteArray& from, const QByteArray& to, bool* targetTaken) {
    *targetTaken = false;
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST) {
        *targetTaken = true;
        return false;
    }
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the flag: check first; this folder is private to the user.
    struct stat info {};
    if (::lstat(to.constData(), &info) == 0) {
        *targetTaken = true;
        return false;
    }
    return ::rename(from.constData(), to.constData()) == 0;
}

} // namespace

StateFile::StateFile(const QString& folder, Clock clock)
    : m_folder(QDir::cleanPath(folder)), m_path(m_folder + QLatin1Char('/') + fileName),
      m_clock(std::move(clock)) {
    makePrivatePath(m_folder);
}

QString StateFile::defaultFolder() {
    // AppDataLocation would depend on the application and organisation names someone set on
    // QCoreApplication; the folder is "Pinstrip" under the user's data folder whatever they are.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Pinstrip");
}

QString StateFile::folder() const {
    return m_folder;
}

QString StateFile::fileURL() const {
    return m_path;
}

TodoState StateFile::read() {
    removeLeftoverTemporaries();
    const QByteArray path = QFile::encodeName(m_path);
    const std::optional<QByteArray> bytes = readRegularFile(path);
    if (bytes) {
        if (std::optional<TodoState> state = StateCodec::decode(*bytes)) {
            qCInfo(lcStorage).noquote() << "read" << state->items.size() << "entries and"
                                        << state->archive.size() << "archived days from" << m_path;
            return std::move(*state);
        }
    }
    struct stat info {};
    m_setAsidePending = ::lstat(path.constData(), &info) == 0;
    if (m_setAsidePending)
        qCInfo(lcStorage).noquote()
            << m_path
            << (bytes ? "holds no state this version reads" : "cannot be read as a regular file")
            << "and is set aside before the first save";
    return {};
}

void StateFile::removeLeftoverTemporaries() const {
    // Matched by hand: a wildcard filter would load the regular-expression engine at start-up.
    const QDir folder(m_folder);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name.size() == temporaryPrefix.size() + 6 && name.startsWith(temporaryPrefix))
            ::unlink(QFile::encodeName(folder.filePath(name)).constData());
    }
}

bool StateFile::setAside() {
    const QString stamp =
        QLocale::c().toString(m_clock().toLocalTime(), QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = m_path + QStringLiteral(".unreadable-") + stamp;
    const QByteArray from = QFile::encodeName(m_path);
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const QString target =
            attempt == 1 ? base : base + QLatin1Char('-') + QString::number(attempt);
        bool taken = false;
        if (renameNoReplace(from, QFile::encodeName(target), &taken)) {
            qCInfo(lcStorage).noquote() << "kept the unreadable file as" << target;
            return true;
        }
        if (!taken)
            return errno == ENOENT; // gone meanwhile: nothing left to keep
    }
    return false;
}

bool StateFile::write(const TodoState& state) {
    const auto failed = [this](const char* step) {
        qCInfo(lcStorage).noquote()
            << "not saved to" << m_path << "-" << step << "failed:" << std::strerror(errno);
        return false;
    };
    if (m_setAsidePending) {
        if (!setAside())
            return failed("setting the unreadable file aside"); // rather than replace it
        m_setAsidePending = false;
    }

    const QByteArrayList pieces = m_codec.encodePieces(state);
    const QByteArray folder = QFile::encodeName(m_folder);
    QByteArray temporary = folder + '/' + QFile::encodeName(temporaryPrefix) + "XXXXXX";
    // mkostemp creates the file with O_CREAT | O_EXCL and mode 0600.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failed("creating a temporary file");
    const bool written = writeAll(fd, pieces) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written) {
        failed("writing");
        ::unlink(temporary.constData());
        return false;
    }
    // rename() replaces the name itself: a symbolic link planted as todo.json is replaced by
    // the new regular file, never written through.
    if (::rename(temporary.constData(), QFile::encodeName(m_path).constData()) != 0) {
        failed("renaming into place");
        ::unlink(temporary.constData());
        return false;
    }
    // The new content is in place; syncing the folder only makes the rename itself durable.
    syncFolder(folder);
    return true;
}
