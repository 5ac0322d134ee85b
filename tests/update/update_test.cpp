// The update check against a local web server: version texts, the transport's
// failures, that waiting keeps the GUI running, and the boxes of the menu's and
// the quiet check per outcome.
#include "MyMessageBoxWidget.h"
#include "MyPushButton.h"
#include "UpdateChecker.h"
#include "UpdateService.h"
#include "gui_stall_meter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTest>

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

// Answers the modal boxes as a user would: notes each box's message once and
// presses its left (accept) or right button; the busy box has none to press.
class BoxAnswerer : public QObject
{
public:
    explicit BoxAnswerer(bool accept)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, accept] {
            auto *box = qobject_cast<MyMessageBoxWidget *>(QApplication::activeModalWidget());
            if (!box)
                return;
            if (box != m_lastBox)
                messages << box->findChild<QLabel *>("textLabel")->text();
            m_lastBox = box;
            QWidget *button = box->findChild<QWidget *>(accept ? "leftButton" : "rightButton");
            if (!button->isVisible())
                button = box->findChild<QWidget *>("leftButton");
            if (button->isVisible())
                QTest::mouseClick(button, Qt::LeftButton);
        });
        m_timer.start(20);
    }
    QStringList messages;

private:
    QTimer m_timer;
    const QDialog *m_lastBox = nullptr;
};

// Stands in for the web browser: notes every address the program opens.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

Q_DECLARE_METATYPE(UpdateOutcome)

class UpdateTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &urls, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &urls, "open");
        window.resize(400, 300);
        window.show();
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    void versionNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("own") << "1.0.4" << 10004;
        QTest::newRow("two-digit part") << "1.2.10" << 10210;
        QTest::newRow("two parts") << "1.0" << -1;
        QTest::newRow("line end") << "2.0.0\n" << -1;
        QTest::newRow("sign") << "1.0.-4" << -1;
        QTest::newRow("non-ascii digit") << QString::fromUtf8("1.0.\u0665") << -1;
        QTest::newRow("overflow") << "99999999999.0.0" << -1;
        QTest::newRow("product too large") << "300000.0.0" << -1;
    }
    void versionNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(versionNumber(text), number);
    }

    // What the answer decides, through redirects and failures; the outcomes of
    // plain answers are the boxes' rows.
    void check_data()
    {
        QTest::addColumn<QList<QByteArray>>("responses");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<UpdateOutcome>("outcome");
        using R = QList<QByteArray>;
        const auto New = UpdateOutcome::NewVersion, Latest = UpdateOutcome::Latest, Failed = UpdateOutcome::Failed;
        QTest::newRow("older") << R{answer(200, "0.9.9")} << true << Latest;
        QTest::newRow("empty body") << R{answer(200, "")} << true << Failed;
        QTest::newRow("404") << R{answer(404, "1.0.5")} << false << Failed;
        QTest::newRow("oversized") << R{answer(200, QByteArray(100000, '1'))} << false << Failed;
        const QByteArray redirect = answer(302, {}, "Location: /moved\r\n");
        QTest::newRow("redirect") << R{redirect, answer(200, "1.0.5")} << true << New;
        QTest::newRow("redirect loop") << R{redirect} << false << Failed;
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
    }

    // The meter the next test trusts sees a blocked loop.
    void stallMeterSeesABlockedLoop()
    {
        GuiStallMeter meter;
        meter.start();
        bool done = false;
        QTimer::singleShot(20, [&done] {
            QThread::msleep(300);
            done = true;
        });
        QVERIFY(waitUntil([&done] { return done; }, 5000));
        meter.stop();
        QVERIFY2(meter.longestStallMs() >= 250, QByteArray::number(meter.longestStallMs()));
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

    // The menu's check shows the busy box, then one box per outcome; the quiet
    // check at start-up speaks only of a newer version. Only "Yes" opens the page.
    void boxes_data()
    {
        QTest::addColumn<bool>("quiet");
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QStringList>("messages");
        const QString busy = QString::fromLatin1(kTextCheckingForUpdates);
        const QByteArray newer = answer(200, "1.0.5");
        QTest::newRow("newer, NO") << false << newer << false << QStringList{busy, kTextNewVersion};
        QTest::newRow("newer, Yes") << false << newer << true << QStringList{busy, kTextNewVersion};
        QTest::newRow("same") << false << answer(200, "1.0.4") << true << QStringList{busy, kTextLatestVersion};
        QTest::newRow("not a version") << false << answer(200, "<html>") << true << QStringList{busy, kTextCheckFailed};
        QTest::newRow("quiet, newer") << true << newer << false << QStringList{kTextNewVersion};
        QTest::newRow("quiet, same") << true << answer(200, "1.0.4") << true << QStringList();
        QTest::newRow("quiet, error status") << true << answer(404, "") << true << QStringList();
    }
    void boxes()
    {
        QFETCH(bool, quiet);
        QFETCH(QByteArray, response);
        QFETCH(bool, accept);
        CannedServer server({response});
        UpdateChecker checker(&window);
        checker.service().setServer(server.url());
        urls.opened.clear();

        BoxAnswerer answerer(accept);
        if (quiet)
            checker.checkUpgrade_quiet_Timeout_slots(); // the check the start-up timer runs
        else
            checker.startUpdateCheck(); // returns once every box is closed
        QCOMPARE(server.requestLines, QList<QByteArray>{"GET /download/checkupates.php?id=mobrel HTTP/1.1"});
        QTEST(answerer.messages, "messages");
        const bool opens = accept && response == answer(200, "1.0.5");
        QCOMPARE(urls.opened, opens ? QList<QUrl>{checker.service().downloadPageUrl()} : QList<QUrl>());
    }

private:
    QWidget window;
    UrlCatcher urls;
};

QTEST_MAIN(UpdateTest)
#include "update_test.moc"
