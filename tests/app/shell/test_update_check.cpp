#include "UpdateCheck.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// Answers every request on 127.0.0.1 with one canned HTTP response, then closes.
class FeedServer : public QObject {
public:
    explicit FeedServer(QByteArray response) : m_response(std::move(response)) {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    m_request += socket->readAll();
                    if (!m_request.contains("\r\n\r\n"))
                        return;
                    socket->write(m_response);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }

    [[nodiscard]] QUrl url() const {
        return QUrl(
            QStringLiteral("http://127.0.0.1:%1/pinstrip/feed.json").arg(m_server.serverPort()));
    }
    [[nodiscard]] const QByteArray& request() const { return m_request; }

private:
    QTcpServer m_server;
    QByteArray m_response;
    QByteArray m_request;
};

QByteArray http(int status, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) +
           " X\r\nContent-Type: application/json\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT

private slots:
    void reportsWhatTheFeedSays_data() {
        using enum UpdateCheck::Outcome;
        QTest::addColumn<QString>("current");
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<UpdateCheck::Outcome>("outcome");
        QTest::addColumn<QString>("page");
        const QByteArray releases = "https://example.org/pinstrip/releases";
        const auto feed = [&](const QByteArray& version, const QByteArray& url = {}) {
            return "{\"version\": " + version + ", \"url\": \"" + (url.isEmpty() ? releases : url) +
                   "\"}";
        };
        const auto row = [](const char* name, const char* current, const QByteArray& body,
                            UpdateCheck::Outcome outcome, const QString& page = {},
                            int status = 200) {
            QTest::newRow(name) << QString(current) << (body.isNull() ? body : http(status, body))
                                << outcome << page;
        };
        row("newer", "1.0.0", feed("\"1.1.0\""), newerAvailable, releases);
        row("numeric, not textual order", "1.9.0", feed("\"1.10.0\""), newerAvailable, releases);
        row("same", "1.0.0", feed("\"1.0.0\""), upToDate);
        row("older", "1.2.0", feed("\"1.1.9\""), upToDate);
        row("http page", "1.0.0", feed("\"2\"", "http://example.org/p"), newerAvailable,
            "http://example.org/p");
        row("page is a local file", "1.0.0", feed("\"9.0\"", "file:///etc/passwd"), failed);
        row("page is a script", "1.0.0", feed("\"9.0\"", "javascript:alert(1)"), failed);
        row("no page", "1.0.0", "{\"version\": \"9.0\"}", failed);
        row("pre-release text", "1.0.0", feed("\"2.0-beta\""), failed);
        row("version not text", "1.0.0", feed("2"), failed);
        row("not JSON", "1.0.0", "<html>moved</html>", failed);
        row("not found", "1.0.0", feed("\"9.0\""), failed, {}, 404);
        row("closed without answer", "1.0.0", QByteArray(), failed);
        row("oversized", "1.0.0", feed("\"9.0\", \"pad\": \"" + QByteArray(200 * 1024, 'x') + '"'),
            failed);
        row("oversized after a whole feed", "1.0.0", feed("\"9.0\"") + QByteArray(70000, ' '),
            failed);
    }

    void reportsWhatTheFeedSays() {
        QFETCH(QString, current);
        QFETCH(QByteArray, response);
        QFETCH(UpdateCheck::Outcome, outcome);
        QFETCH(QString, page);
        FeedServer server(response);
        UpdateCheck check(server.url(), current);
        QSignalSpy finished(&check, &UpdateCheck::finished);
        check.check();
        QVERIFY(check.running());
        check.check(); // a second request while one runs is not another fetch
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!check.running());
        const auto result = finished.first().first().value<UpdateCheck::Result>();
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.page, QUrl(page));
        QVERIFY(server.request().startsWith("GET /pinstrip/feed.json HTTP/1.1\r\n"));
        if (!response.isEmpty()) // a connection closed without an answer is retried by Qt itself
            QCOMPARE(server.request().count("GET "), 1);
    }

    void unreachableFeedFails() {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QUrl url(QString("http://127.0.0.1:%1/feed.json").arg(closed.serverPort()));
        closed.close();
        UpdateCheck check(url, "1.0.0");
        QSignalSpy finished(&check, &UpdateCheck::finished);
        check.check();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().value<UpdateCheck::Result>().outcome,
                 UpdateCheck::Outcome::failed);
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "test_update_check.moc"
