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
        using Outcome = UpdateCheck::Outcome;
        QTest::addColumn<QString>("current");
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<UpdateCheck::Outcome>("outcome");
        QTest::addColumn<QString>("page");

        const QByteArray page = "\"url\": \"https://example.org/pinstrip/releases\"";
        QTest::newRow("newer") << "1.0.0" << http(200, "{\"version\": \"1.1.0\", " + page + "}")
                               << Outcome::newerAvailable
                               << "https://example.org/pinstrip/releases";
        QTest::newRow("numeric, not textual order")
            << "1.9.0" << http(200, "{\"version\": \"1.10.0\", " + page + "}")
            << Outcome::newerAvailable << "https://example.org/pinstrip/releases";
        QTest::newRow("same") << "1.0.0" << http(200, "{\"version\": \"1.0.0\", " + page + "}")
                              << Outcome::upToDate << QString();
        QTest::newRow("older") << "1.2.0" << http(200, "{\"version\": \"1.1.9\", " + page + "}")
                               << Outcome::upToDate << QString();
        QTest::newRow("http page")
            << "1.0.0" << http(200, "{\"version\": \"2\", \"url\": \"http://example.org/p\"}")
            << Outcome::newerAvailable << "http://example.org/p";
        QTest::newRow("page is a local file")
            << "1.0.0" << http(200, "{\"version\": \"9.0\", \"url\": \"file:///etc/passwd\"}")
            << Outcome::failed << QString();
        QTest::newRow("page is a script")
            << "1.0.0" << http(200, "{\"version\": \"9.0\", \"url\": \"javascript:alert(1)\"}")
            << Outcome::failed << QString();
        QTest::newRow("no page") << "1.0.0" << http(200, "{\"version\": \"9.0\"}")
                                 << Outcome::failed << QString();
        QTest::newRow("pre-release text")
            << "1.0.0" << http(200, "{\"version\": \"2.0-beta\", " + page + "}") << Outcome::failed
            << QString();
        QTest::newRow("version not text") << "1.0.0" << http(200, "{\"version\": 2, " + page + "}")
                                          << Outcome::failed << QString();
        QTest::newRow("not JSON") << "1.0.0" << http(200, "<html>moved</html>") << Outcome::failed
                                  << QString();
        QTest::newRow("not found") << "1.0.0" << http(404, "{\"version\": \"9.0\", " + page + "}")
                                   << Outcome::failed << QString();
        QTest::newRow("closed without answer")
            << "1.0.0" << QByteArray() << Outcome::failed << QString();
        QTest::newRow("oversized") << "1.0.0"
                                   << http(200, "{\"version\": \"9.0\", " + page + ", \"pad\": \"" +
                                                    QByteArray(200 * 1024, 'x') + "\"}")
                                   << Outcome::failed << QString();
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
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/feed.json").arg(closed.serverPort()));
        closed.close();
        UpdateCheck check(url, QStringLiteral("1.0.0"));
        QSignalSpy finished(&check, &UpdateCheck::finished);
        check.check();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().value<UpdateCheck::Result>().outcome,
                 UpdateCheck::Outcome::failed);
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "test_update_check.moc"
