#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// One connection to sway's IPC socket (the one SWAYSOCK names; i3's protocol: "i3-ipc", the
// payload's length and the message type, each 32 bits in the machine's order, then JSON).
// Requests wait for their reply, briefly: sway answers at once or not at all.
class SwayIpc : public QObject {
public:
    enum class Type : quint32 { runCommand = 0, subscribe = 2, getTree = 4, getConfig = 9 };

    // A connection to the socket at `path`; none when nobody listens there.
    [[nodiscard]] static std::unique_ptr<SwayIpc> open(const QString& path);

    // The reply to one request, none when sway did not answer in time or sent garbage.
    [[nodiscard]] std::optional<QJsonDocument> request(Type type, const QByteArray& payload = {});
    // Runs a command list; true when sway carried out every command of it.
    bool run(const QByteArray& commands);
    // Turns this connection into a stream of `events` (a JSON list of names such as "window"),
    // each handed to `received` with its payload, from the event loop. It answers nothing else
    // from then on.
    [[nodiscard]] bool subscribe(const QByteArray& events,
                                 std::function<void(const QJsonDocument&)> received);

private:
    SwayIpc() = default;
    // The next whole message at the front of `m_pending`, taken from there: its type and
    // payload. None while it is incomplete; a stream that is not this protocol is closed.
    [[nodiscard]] std::optional<std::pair<quint32, QByteArray>> take();
    void readEvents();

    QLocalSocket m_socket;
    QByteArray m_pending; // what arrived and is not yet a whole message
    std::function<void(const QJsonDocument&)> m_received;
};
