// The update check against a local web server: version texts, what each answer
// decides, that waiting keeps the GUI running (and that the stall meter sees a
// stall), and the boxes: what each outcome shows, what the quiet check keeps to
// itself, and what the answer "Yes" opens.
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

QByteArray redirectTo(const QByteArray &path)
{
    return answer(302, {}, "Location: " + path + "\r\n");
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

    // (Texts that are no version are versionNumbers' rows.)
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
        QTest::newRow("empty body") << R{answer(200, "")} << true << Failed;
        QTest::newRow("404") << R{answer(404, "1.0.5")} << false << Failed;
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

    // The menu's check: the busy box, then one box per outcome.
    void menuCheck_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("opensDownloadPage");
        QTest::newRow("newer, NO") << answer(200, "1.0.5") << false << kTextNewVersion << false;
        QTest::newRow("newer, Yes") << answer(200, "1.0.5") << true << kTextNewVersion << true;
        QTest::newRow("same") << answer(200, "1.0.4") << true << kTextLatestVersion << false;
        QTest::newRow("not a version") << answer(200, "<html>") << true << kTextCheckFailed << false;
    }
    void menuCheck()
    {
        QFETCH(QByteArray, response);
        QFETCH(bool, accept);
        QFETCH(QString, message);
        QFETCH(bool, opensDownloadPage);
        CannedServer server({response});
        UpdateChecker checker(&window);
        checker.service().setServer(server.url());
        urls.opened.clear();

        BoxAnswerer answerer(accept);
        checker.startUpdateCheck(); // returns once every box is closed
        QCOMPARE(server.requestLines.size(), 1);
        QCOMPARE(answerer.messages, QStringList({QString::fromLatin1(kTextCheckingForUpdates), message}));
        const QList<QUrl> download = {checker.service().downloadPageUrl()};
        QCOMPARE(urls.opened, opensDownloadPage ? download : QList<QUrl>());
    }

    void quietCheck_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("newer") << answer(200, "1.0.5") << QStringList{kTextNewVersion};
        QTest::newRow("same") << answer(200, "1.0.4") << QStringList();
        QTest::newRow("error status") << answer(404, "") << QStringList();
    }
    void quietCheck()
    {
        QFETCH(QByteArray, response);
        CannedServer server({response});
        UpdateChecker checker(&window);
        checker.service().setServer(server.url());
        urls.opened.clear();

        BoxAnswerer answerer(false);
        checker.checkUpgrade_quiet_Timeout_slots(); // the check the start-up timer runs
        QCOMPARE(server.requestLines.size(), 1);
        QTEST(answerer.messages, "messages");
        QVERIFY(urls.opened.isEmpty());
    }

private:
    QWidget window;
    UrlCatcher urls;
};

QTEST_MAIN(UpdateTest)
#include "update_test.moc"
