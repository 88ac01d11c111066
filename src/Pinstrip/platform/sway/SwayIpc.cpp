#include "SwayIpc.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <algorithm>
#include <cstring>

namespace {

const QByteArray magic = QByteArrayLiteral("i3-ipc");
constexpr qsizetype headerBytes = 14; // the magic, the payload's length, the type
constexpr quint32 maxPayload = 64u << 20;
constexpr quint32 eventBit = 0x80000000u;
constexpr int answerMs = 1000;

QByteArray frame(SwayIpc::Type type, const QByteArray& payload) {
    const quint32 header[2] = {static_cast<quint32>(payload.size()), static_cast<quint32>(type)};
    return magic + QByteArray(reinterpret_cast<const char*>(header), sizeof header) + payload;
}

} // namespace

std::unique_ptr<SwayIpc> SwayIpc::open(const QString& path) {
    if (path.isEmpty())
        return nullptr;
    std::unique_ptr<SwayIpc> ipc(new SwayIpc);
    ipc->m_socket.connectToServer(path);
    if (!ipc->m_socket.waitForConnected(answerMs))
        return nullptr;
    return ipc;
}

std::optional<std::pair<quint32, QByteArray>> SwayIpc::take() {
    if (m_pending.size() < headerBytes)
        return std::nullopt;
    quint32 header[2];
    std::memcpy(header, m_pending.constData() + magic.size(), sizeof header);
    if (!m_pending.startsWith(magic) || header[0] > maxPayload) {
        m_socket.abort();
        m_pending.clear();
        return std::nullopt;
    }
    const qsizetype size = headerBytes + qsizetype(header[0]);
    if (m_pending.size() < size)
        return std::nullopt;
    std::pair<quint32, QByteArray> message{header[1], m_pending.mid(headerBytes, header[0])};
    m_pending.remove(0, size);
    return message;
}

std::optional<QJsonDocument> SwayIpc::request(Type type, const QByteArray& payload) {
    if (m_received || m_socket.state() != QLocalSocket::ConnectedState)
        return std::nullopt;
    m_socket.write(frame(type, payload));
    const QDeadlineTimer deadline(answerMs);
    while (m_socket.state() == QLocalSocket::ConnectedState) {
        if (const auto message = take()) {
            if (message->first != quint32(type))
                continue;
            QJsonParseError error{};
            QJsonDocument reply = QJsonDocument::fromJson(message->second, &error);
            if (error.error != QJsonParseError::NoError)
                return std::nullopt;
            return reply;
        }
        if (!m_socket.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
        m_pending += m_socket.readAll();
    }
    return std::nullopt;
}

bool SwayIpc::run(const QByteArray& commands) {
    const std::optional<QJsonDocument> reply = request(Type::runCommand, commands);
    if (!reply || !reply->isArray() || reply->array().isEmpty())
        return false;
    const QJsonArray outcomes = reply->array();
    return std::all_of(outcomes.begin(), outcomes.end(), [](const QJsonValue& outcome) {
        return outcome[QLatin1String("success")].toBool();
    });
}

bool SwayIpc::subscribe(const QByteArray& events,
                        std::function<void(const QJsonDocument&)> received) {
    const std::optional<QJsonDocument> reply = request(Type::subscribe, events);
    if (!reply || !reply->object().value(QLatin1String("success")).toBool())
        return false;
    m_received = std::move(received);
    connect(&m_socket, &QLocalSocket::readyRead, this, &SwayIpc::readEvents);
    // Events that came with the reply wait in the buffer already.
    QMetaObject::invokeMethod(this, &SwayIpc::readEvents, Qt::QueuedConnection);
    return true;
}

void SwayIpc::readEvents() {
    m_pending += m_socket.readAll();
    while (const auto message = take()) {
        if (!(message->first & eventBit))
            continue;
        const QJsonDocument event = QJsonDocument::fromJson(message->second);
        if (!event.isNull())
            m_received(event);
    }
}
