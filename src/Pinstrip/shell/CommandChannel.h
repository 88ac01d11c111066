#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <optional>

// How a later `pinstrip` reaches the running copy: one line, "summon", "toggle" or "tap",
// optionally followed by a space and the launcher's activation token, over a local socket that only
// the user can open. The running copy never answers; a line it does not know is dropped whole.
class CommandChannel : public QObject {
    Q_OBJECT

public:
    enum class Command { summon, toggle, tap };
    struct Request {
        Command command = Command::summon;
        QByteArray token; // empty when the launcher gave none
    };

    explicit CommandChannel(QObject* parent = nullptr);

    // Starts listening at path, replacing a socket a dead copy left there. False if it cannot.
    [[nodiscard]] bool listen(const QString& path);

    // Delivers one request without an event loop or an application object, so a second copy
    // can hand over before it loads anything else. False when nobody listens at path.
    [[nodiscard]] static bool send(const QString& path, const Request& request);

    // The line for a request, without its newline; a token the other side would refuse
    // (blank, too long, control characters) is left out.
    [[nodiscard]] static QByteArray encode(const Request& request);
    // A request from one line without its newline; nothing for anything else.
    [[nodiscard]] static std::optional<Request> decode(const QByteArray& line);

signals:
    void received(const CommandChannel::Request& request);

private:
    void accept();

    QLocalServer m_server;
};
