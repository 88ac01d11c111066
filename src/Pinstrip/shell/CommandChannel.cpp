#include "CommandChannel.h"

#include <QFile>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A launcher's token is a few dozen printable characters; a longer line is not ours.
constexpr qsizetype maxTokenBytes = 256;
constexpr qsizetype maxLineBytes = 16 + maxTokenBytes;
// A client that connects and says nothing is dropped after this long, and no more than this
// many wait at a time: a stuck or hostile client costs the running copy nothing.
constexpr int silentClientMs = 2000;
constexpr int maxClients = 16;

const QByteArray summonWord = QByteArrayLiteral("summon");
const QByteArray toggleWord = QByteArrayLiteral("toggle");
const QByteArray tapWord = QByteArrayLiteral("tap");

bool isToken(const QByteArray& token) {
    return !token.isEmpty() && token.size() <= maxTokenBytes &&
           std::all_of(token.cbegin(), token.cend(),
                       [](char byte) { return byte > ' ' && byte < 0x7f; });
}

} // namespace

CommandChannel::CommandChannel(QObject* parent) : QObject(parent) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.setMaxPendingConnections(maxClients);
    connect(&m_server, &QLocalServer::newConnection, this, &CommandChannel::accept);
}

bool CommandChannel::listen(const QString& path) {
    if (path.isEmpty())
        return false;
    // Only the holder of the lock beside it listens, so a socket found here is a dead copy's.
    QLocalServer::removeServer(path);
    return m_server.listen(path);
}

void CommandChannel::accept() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        if (findChildren<QLocalSocket*>().size() >= maxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setParent(this);
        socket->setReadBufferSize(maxLineBytes + 1);
        QTimer::singleShot(silentClientMs, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray pending = socket->peek(maxLineBytes + 1);
            const qsizetype end = pending.indexOf('\n');
            if (end < 0 && pending.size() <= maxLineBytes)
                return; // the rest of the line is still on its way
            if (end >= 0) {
                if (const std::optional<Request> request = decode(pending.left(end)))
                    emit received(*request);
            }
            // One line per connection: whatever follows it is dropped with the connection.
            socket->abort();
            socket->deleteLater();
        });
    }
}

bool CommandChannel::send(const QString& path, const Request& request) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A copy too busy to take the connection must not hold up the command for long.
    const timeval limit{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    const QByteArray line = encode(request) + '\n';
    bool sent = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    for (qsizetype done = 0; sent && done < line.size();) {
        const ssize_t written =
            ::send(fd, line.constData() + done, size_t(line.size() - done), MSG_NOSIGNAL);
        sent = written > 0;
        done += written;
    }
    ::close(fd);
    return sent;
}

QByteArray CommandChannel::encode(const Request& request) {
    QByteArray line = request.command == Command::toggle ? toggleWord
                      : request.command == Command::tap  ? tapWord
                                                         : summonWord;
    // A token the running copy would refuse would cost the command itself: it goes without.
    if (isToken(request.token))
        line += ' ' + request.token;
    return line;
}

std::optional<CommandChannel::Request> CommandChannel::decode(const QByteArray& line) {
    const qsizetype space = line.indexOf(' ');
    const QByteArray word = space < 0 ? line : line.left(space);
    Request request;
    if (word == toggleWord)
        request.command = Command::toggle;
    else if (word == tapWord)
        request.command = Command::tap;
    else if (word != summonWord)
        return std::nullopt;
    if (space >= 0) {
        request.token = line.mid(space + 1);
        if (!isToken(request.token))
            return std::nullopt;
    }
    return request;
}
