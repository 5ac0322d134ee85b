#include "UpdateService.h"
#include "gui_stall_meter.h"

#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUrlQuery>

namespace {

// A loopback HTTP server that gives the canned responses in order, one per
// request (the last one again for any further request), and records each
// request line. An empty response means: accept and never answer.
class CannedServer : public QTcpServer
{
public:
    explicit CannedServer(const QList<QByteArray> &responses) : m_responses(responses)
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        });
        listen(QHostAddress::LocalHost);
    }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(serverPort())); }
    QList<QByteArray> requestLines;

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray &pending = m_pending[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        requestLines << pending.left(pending.indexOf("\r\n"));
        pending.clear();
        const QByteArray response = m_responses.at(qMin(requestLines.size(), m_responses.size()) - 1);
        if (response.isEmpty())
            return;
        socket->write(response);
        socket->disconnectFromHost();
    }

    QList<QByteArray> m_responses;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

QByteArray answer(int status, const QByteArray &body, const QByteArray &extraHeader = {})
{
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: text/plain\r\n"
           + extraHeader + "Content-Length: " + QByteArray::number(body.size())
           + "\r\nConnection: close\r\n\r\n" + body;
}

QByteArray redirectTo(const QByteArray &path)
{
    return answer(302, {}, "Location: " + path + "\r\n");
}

} // namespace

Q_DECLARE_METATYPE(UpdateOutcome)

class UpdateTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

    void versionNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("own") << "1.0.4" << 10004;
        QTest::newRow("two-digit part") << "1.2.10" << 10210;
        QTest::newRow("two parts") << "1.0" << -1;
        QTest::newRow("four parts") << "1.0.4.1" << -1;
        QTest::newRow("line end") << "2.0.0\n" << -1;
        QTest::newRow("empty part") << "1..5" << -1;
        QTest::newRow("sign") << "1.0.-4" << -1;
        QTest::newRow("non-ascii digit") << QString::fromUtf8("1.0.\u0665") << -1;
        QTest::newRow("overflow") << "99999999999.0.0" << -1;
        QTest::newRow("product too large") << "300000.0.0" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void versionNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(versionNumber(text), number);
    }

    void check_data()
    {
        QTest::addColumn<QList<QByteArray>>("responses");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<UpdateOutcome>("outcome");
        using R = QList<QByteArray>;
        const auto New = UpdateOutcome::NewVersion, Latest = UpdateOutcome::Latest,
                   Failed = UpdateOutcome::Failed;
        QTest::newRow("newer") << R{answer(200, "1.0.5")} << true << New;
        QTest::newRow("same") << R{answer(200, "1.0.4")} << true << Latest;
        QTest::newRow("older") << R{answer(200, "0.9.9")} << true << Latest;
        QTest::newRow("two parts") << R{answer(200, "1.0")} << true << Failed;
        QTest::newRow("four parts") << R{answer(200, "1.0.4.1")} << true << Failed;
        QTest::newRow("line end") << R{answer(200, "2.0.0\n")} << true << Failed;
        QTest::newRow("empty body") << R{answer(200, "")} << true << Failed;
        QTest::newRow("404") << R{answer(404, "1.0.5")} << false << Failed;
        QTest::newRow("500") << R{answer(500, "1.0.5")} << false << Failed;
        QTest::newRow("oversized") << R{answer(200, QByteArray(100000, '1'))} << false << Failed;
        QTest::newRow("redirect") << R{redirectTo("/moved"), answer(200, "1.0.5")} << true << New;
        QTest::newRow("redirect loop") << R{redirectTo("/again")} << false << Failed;
        QTest::newRow("never answers") << R{QByteArray()} << false << Failed;
    }
    void check()
    {
        QFETCH(QList<QByteArray>, responses);
        QFETCH(bool, answered);
        QFETCH(UpdateOutcome, outcome);
        CannedServer server(responses);
        QVERIFY(server.isListening());
        UpdateService service(server.url());
        service.setTimeoutMs(500);

        const std::optional<QString> text = service.fetchText(service.checkUrl());
        QCOMPARE(text.has_value(), answered);
        if (answered) {
            const QByteArray &last = responses.last();
            QCOMPARE(text->toUtf8(), last.mid(last.indexOf("\r\n\r\n") + 4));
        }
        QCOMPARE(decideUpdate(text), outcome);
        QVERIFY(!server.requestLines.isEmpty());
        QCOMPARE(server.requestLines.first(), "GET /download/checkupates.php?id=mobrel HTTP/1.1");
    }

    void waitingKeepsTheLoopRunning()
    {
        CannedServer silent({QByteArray()});
        UpdateService service(silent.url());
        service.setTimeoutMs(600);
        GuiStallMeter meter;
        meter.start();
        QCOMPARE(service.fetchText(service.checkUrl()), std::nullopt);
        meter.stop();
        QVERIFY2(meter.longestStallMs() < 200, QByteArray::number(meter.longestStallMs()));
    }

    void closedPortFails()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const QUrl url(QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort()));
        probe.close();
        UpdateService service(url);
        QCOMPARE(service.fetchText(service.checkUrl()), std::nullopt);
        QCOMPARE(service.check(), UpdateOutcome::Failed);
        // A failed check must not read as "the latest".
        QVERIFY(updateOutcomeText(UpdateOutcome::Failed) != updateOutcomeText(UpdateOutcome::Latest));
    }

    void downloadPage()
    {
        const QUrl page = UpdateService().downloadPageUrl();
        QCOMPARE(page.host(), QStringLiteral("www.tolvane.com"));
        QCOMPARE(page.path(), QStringLiteral("/download/index.php"));
        const QUrlQuery query(page);
        QCOMPARE(query.queryItemValue(QStringLiteral("id")), QLatin1String(kUpdateProductCode));
        QCOMPARE(query.queryItemValue(QStringLiteral("from")), QStringLiteral("prod"));
    }
};

QTEST_GUILESS_MAIN(UpdateTest)
#include "update_test.moc"
