#include "UpdateCheck.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QVersionNumber>

namespace {

constexpr int timeoutMs = 15000;
constexpr qint64 maxFeedBytes = 64 * 1024; // a feed is a few dozen bytes; refuse anything huge

} // namespace

bool UpdateCheck::builtAsPackage() {
    return PINSTRIP_PACKAGE_BUILD;
}

UpdateCheck::UpdateCheck(QUrl feed, QString currentVersion, QObject* parent)
    : QObject(parent), m_feed(std::move(feed)), m_currentVersion(std::move(currentVersion)) {}

void UpdateCheck::check() {
    if (running())
        return;
    QNetworkRequest request(m_feed);
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > maxFeedBytes)
            m_reply->abort();
    });
    connect(m_reply, &QNetworkReply::finished, this, &UpdateCheck::replied);
}

void UpdateCheck::replied() {
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    Result result;
    // The whole body may already be in before the size check aborts: refuse it here as well,
    // rather than reading its start as if it were all of it.
    const QByteArray body = reply->read(maxFeedBytes + 1);
    if (reply->error() == QNetworkReply::NoError && body.size() <= maxFeedBytes)
        result = evaluate(body, m_currentVersion);
    emit finished(result);
}

UpdateCheck::Result UpdateCheck::evaluate(const QByteArray& document,
                                          const QString& currentVersion) {
    const QJsonObject feed = QJsonDocument::fromJson(document).object();
    const QString published = feed.value(QLatin1String("version")).toString();
    qsizetype suffix = 0;
    const QVersionNumber latest = QVersionNumber::fromString(published, &suffix);
    // Only a plain dotted version counts; "2.0-beta" or "2.0x" is not something to announce.
    if (latest.isNull() || suffix != published.size())
        return {};
    const QVersionNumber current = QVersionNumber::fromString(currentVersion);
    if (latest <= current)
        return {Outcome::upToDate, published, {}};
    const QUrl page(feed.value(QLatin1String("url")).toString(), QUrl::StrictMode);
    // The page is opened in the user's browser: accept nothing but a web address.
    const bool web =
        page.isValid() && !page.host().isEmpty() &&
        (page.scheme() == QLatin1String("https") || page.scheme() == QLatin1String("http"));
    if (!web)
        return {};
    return {Outcome::newerAvailable, published, page};
}
