// Child of the crash-consistency test: drives a store on a real state file without end and
// acknowledges every finished operation on a pipe, until its parent kills it.
//
//   crash_child <folder> <seed> <ack fd> [--torn]
//
// Each acknowledgement is one line "<operation index> <SHA-1 of the encoded state>", written
// after the operation (and with it the save) has returned. A line is shorter than PIPE_BUF,
// so the parent reads whole lines only. With --torn the store's own saves go to a shadow
// folder and the child rewrites the real file in place, in two halves: the parent's check
// must then find damaged files, which shows that it can.
#include "StoreScript.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t count = ::write(fd, data, size);
        if (count <= 0)
            return false;
        data += count;
        size -= static_cast<size_t>(count);
    }
    return true;
}

bool writeInPlace(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const size_t half = static_cast<size_t>(bytes.size()) / 2;
    const bool ok =
        writeAll(fd, bytes.constData(), half) && ::fsync(fd) == 0 &&
        writeAll(fd, bytes.constData() + half, static_cast<size_t>(bytes.size()) - half);
    ::close(fd);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: crash_child <folder> <seed> <ack fd> [--torn]\n");
        return 2;
    }
    // Never outlive the parent, whatever happens to it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const auto seed = static_cast<quint32>(std::strtoul(argv[2], nullptr, 10));
    const int ackFd = std::atoi(argv[3]);
    const bool torn = argc > 4 && qstrcmp(argv[4], "--torn") == 0;

    QString storeFolder = folder;
    if (torn) {
        storeFolder = folder + QStringLiteral(".shadow");
        QDir().mkpath(folder);
        QDir().mkpath(storeFolder);
        QFile::remove(storeFolder + QStringLiteral("/todo.json"));
        QFile::copy(folder + QStringLiteral("/todo.json"),
                    storeFolder + QStringLiteral("/todo.json"));
    }
    DaylaStore store(storeFolder, StoreScript::clock(seed));
    StoreScript script(seed);
    for (quint64 index = 0;; ++index) {
        script.step(store);
        const QByteArray bytes = store.state().encode();
        if (torn && !writeInPlace(folder + QStringLiteral("/todo.json"), bytes))
            return 1;
        const QByteArray line = QByteArray::number(index) + ' ' +
                                QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex() +
                                '\n';
        if (!writeAll(ackFd, line.constData(), static_cast<size_t>(line.size())))
            return 1;
    }
}
