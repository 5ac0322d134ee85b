#pragma once

#include "UpdateSite.h"

#include <QString>
#include <QUrl>

#include <optional>

// What one check found out.
enum class UpdateOutcome {
    NewVersion,     // the server names a newer version: offer the download page
    Latest,         // the server names this version or an older one
    Failed,         // no answer, an error status, or an answer that is no version
};

// "a.b.c" with digits only -> (a * 100 + b) * 100 + c; anything else -> -1.
int versionNumber(const QString &text);

// The outcome for the server's answer (nullopt when the request failed),
// compared with this program's own version.
UpdateOutcome decideUpdate(const std::optional<QString> &answer);

// The translated message for an outcome, and the busy box's text.
QString updateOutcomeText(UpdateOutcome outcome);
QString checkingForUpdatesText();

// Asks the maker's server for the latest version. Runs on the GUI thread: each
// request waits in a local event loop, so windows keep painting meanwhile.
class UpdateService
{
public:
    explicit UpdateService(const QUrl &server = QUrl(QLatin1String(kUpdateServer)));

    // Scheme, host and port of the server; tests point this at a local one.
    void setServer(const QUrl &server);
    QUrl server() const { return m_server; }
    void setTimeoutMs(int ms);
    int timeoutMs() const { return m_timeoutMs; }

    QUrl checkUrl() const;
    QUrl downloadPageUrl() const;

    // GET with a time-out and a few redirects at most. The body as text on a 2xx
    // answer; nullopt on no network, a time-out, an error status, a transport
    // error or an oversized body.
    std::optional<QString> fetchText(const QUrl &url) const;

    // fetchText(checkUrl()) and decideUpdate() on its answer.
    UpdateOutcome check() const;

private:
    QUrl pageUrl(const char *path) const;

    QUrl m_server;
    int m_timeoutMs = kUpdateTimeoutMs;
};
