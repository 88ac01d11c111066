#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkReply;

// A notify-only look at the release feed: it reads one small JSON document,
// {"version": "1.2.0", "url": "https://…"}, and says whether a newer version exists.
// It never downloads or installs anything.
class UpdateCheck : public QObject {
    Q_OBJECT

public:
    enum class Outcome { newerAvailable, upToDate, failed };
    Q_ENUM(Outcome)
    struct Result {
        Outcome outcome = Outcome::failed;
        QString latestVersion; // as published, when the feed could be read
        QUrl page;             // where to read about and get the newer version (http or https)
    };

    UpdateCheck(QUrl feed, QString currentVersion, QObject* parent = nullptr);

    [[nodiscard]] bool running() const { return !m_reply.isNull(); }
    // Starts a check unless one is running; finished() follows, also on failure.
    void check();

    // Whether this copy was built for a distribution package.
    [[nodiscard]] static bool builtAsPackage();

    // The verdict on one feed document.
    [[nodiscard]] static Result evaluate(const QByteArray& document, const QString& currentVersion);

signals:
    void finished(const UpdateCheck::Result& result);

private:
    void replied();

    QUrl m_feed;
    QString m_currentVersion;
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
};

Q_DECLARE_METATYPE(UpdateCheck::Result)
