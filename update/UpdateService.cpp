#include "UpdateService.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>
#include <QTimer>
#include <QUrlQuery>

#include <climits>

namespace {

// The answer is a version number; anything this long is not one.
constexpr qint64 kMaxAnswerBytes = 64 * 1024;
constexpr int kMaxRedirects = 3;

QString translated(const char *text)
{
    return QCoreApplication::translate("UpdateService", text);
}

} // namespace

int versionNumber(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (parts.size() != 3)
        return -1;
    qint64 number = 0;
    for (const QString &part : parts) {
        // Only ASCII digits; an empty part or one too long to read is no version either.
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return -1;
        }
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok)
            return -1;
        number = number * 100 + value;
        if (number > INT_MAX)
            return -1;
    }
    return int(number);
}

UpdateOutcome decideUpdate(const std::optional<QString> &answer)
{
    if (!answer)
        return UpdateOutcome::Failed;
    const int latest = versionNumber(*answer);
    if (latest == -1)
        return UpdateOutcome::Failed;
    return versionNumber(QLatin1String(kMobrelVersion)) < latest ? UpdateOutcome::NewVersion
                                                                  : UpdateOutcome::Latest;
}

QString updateOutcomeText(UpdateOutcome outcome)
{
    switch (outcome) {
    case UpdateOutcome::NewVersion:
        return translated(kTextNewVersion);
    case UpdateOutcome::Latest:
        return translated(kTextLatestVersion);
    case UpdateOutcome::Failed:
        break;
    }
    return translated(kTextCheckFailed);
}

QString checkingForUpdatesText()
{
    return translated(kTextCheckingForUpdates);
}

UpdateService::UpdateService(const QUrl &server) : m_server(server) {}

void UpdateService::setServer(const QUrl &server)
{
    m_server = server;
}

void UpdateService::setTimeoutMs(int ms)
{
    m_timeoutMs = ms;
}

QUrl UpdateService::pageUrl(const char *path) const
{
    QUrl url = m_server;
    url.setPath(QLatin1String(path));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("id"), QLatin1String(kUpdateProductCode));
    url.setQuery(query);
    return url;
}

QUrl UpdateService::checkUrl() const
{
    return pageUrl(kUpdateCheckPath);
}

QUrl UpdateService::downloadPageUrl() const
{
    QUrl url = pageUrl(kDownloadPagePath);
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("from"), QStringLiteral("prod"));
    url.setQuery(query);
    return url;
}

std::optional<QString> UpdateService::fetchText(const QUrl &url) const
{
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    QNetworkReply *reply = manager.get(request);

    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply](qint64 received, qint64) {
                         if (received > kMaxAnswerBytes)
                             reply->abort();
                     });
    // A time-out over the whole request, so a server that trickles bytes cannot hold it either.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, &QNetworkReply::abort);
    timer.start(m_timeoutMs);
    if (!reply->isFinished())
        loop.exec();
    // The loop also ends when the application quits; the request then counts as failed.
    if (!reply->isFinished())
        reply->abort();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status < 200 || status > 299
        || reply->bytesAvailable() > kMaxAnswerBytes)
        return std::nullopt;
    return QString::fromUtf8(reply->readAll());
}

UpdateOutcome UpdateService::check() const
{
    return decideUpdate(fetchText(checkUrl()));
}
