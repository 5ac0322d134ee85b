// The update check's boxes against a local web server: what each answer shows,
// what the quiet check keeps to itself, and what the answer "NO" opens.
#include "MyMessageBoxWidget.h"
#include "MyPushButton.h"
#include "UpdateChecker.h"
#include "UpdateSite.h"
#include "gui_stall_meter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

// Answers every request with one canned response and counts the requests.
class OneAnswerServer : public QTcpServer {
public:
    explicit OneAnswerServer(const QByteArray& response) : m_response(response) {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n")) return;
                    ++requests;
                    socket->write(m_response);
                    socket->disconnectFromHost();
                });
            }
        });
        listen(QHostAddress::LocalHost);
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(serverPort())); }
    int requests = 0;

private:
    QByteArray m_response;
};

QByteArray answer(int status, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// Watches the modal boxes as a user would: notes each box's message and
// presses its left (accept) or right button. A box without buttons (the busy
// box) is only noted; anything still open after the deadline is closed.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(bool accept) : m_accept(accept) {
        m_clock.start();
        connect(&m_timer, &QTimer::timeout, this, [this] { look(); });
        m_timer.start(20);
    }
    QStringList messages;
    bool timedOut = false;

private:
    void look() {
        auto* box = qobject_cast<MyMessageBoxWidget*>(QApplication::activeModalWidget());
        if (!box) return;
        if (m_clock.elapsed() > 15000) {
            timedOut = true;
            box->reject();
            return;
        }
        if (box != m_lastBox) {
            m_lastBox = box;
            messages << messageOf(box);
        }
        QList<MyPushButton*> buttons;
        for (MyPushButton* button : box->findChildren<MyPushButton*>()) {
            if (button->isVisible()) buttons << button;
        }
        if (buttons.isEmpty()) return;
        std::sort(buttons.begin(), buttons.end(),
                  [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
        QTest::mouseClick(m_accept ? buttons.first() : buttons.last(), Qt::LeftButton);
    }

    static QString messageOf(const QDialog* box) {
        for (const QLabel* label : box->findChildren<QLabel*>()) {
            if (label->wordWrap()) return label->text();
        }
        return {};
    }

    bool m_accept;
    QTimer m_timer;
    QElapsedTimer m_clock;
    const QDialog* m_lastBox = nullptr;
};

// Stands in for the web browser: notes every address the program opens.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

}  // namespace

class UpdateCheckerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void menuCheck_data();
    void menuCheck();
    void quietCheck_data();
    void quietCheck();
    void quietCheckRunsAfterOneSecond();

private:
    QWidget window;
    UrlCatcher urls;
};

void UpdateCheckerTest::initTestCase() {
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &urls, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &urls, "open");
    window.resize(400, 300);
    window.show();
}

void UpdateCheckerTest::cleanupTestCase() {
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void UpdateCheckerTest::menuCheck_data() {
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("opensDownloadPage");
    QTest::newRow("newer, NO") << answer(200, "1.0.5") << false << kTextNewVersion << false;
    QTest::newRow("newer, Yes") << answer(200, "1.0.5") << true << kTextNewVersion << true;
    QTest::newRow("same") << answer(200, "1.0.4") << true << kTextLatestVersion << false;
    QTest::newRow("older") << answer(200, "0.9.9") << true << kTextLatestVersion << false;
    QTest::newRow("error status") << answer(500, "1.0.5") << true << kTextCheckFailed << false;
    QTest::newRow("not a version") << answer(200, "<html>") << true << kTextCheckFailed << false;
}

void UpdateCheckerTest::menuCheck() {
    QFETCH(QByteArray, response);
    QFETCH(bool, accept);
    QFETCH(QString, message);
    QFETCH(bool, opensDownloadPage);
    OneAnswerServer server(response);
    UpdateChecker checker(&window);
    checker.service().setServer(server.url());
    urls.opened.clear();

    BoxAnswerer answerer(accept);
    checker.startUpdateCheck();  // returns once every box is closed
    QVERIFY(!answerer.timedOut);
    QCOMPARE(server.requests, 1);
    const QStringList expected = {QString::fromLatin1(kTextCheckingForUpdates), message};
    QCOMPARE(answerer.messages, expected);
    const QList<QUrl> download = {checker.service().downloadPageUrl()};
    QCOMPARE(urls.opened, opensDownloadPage ? download : QList<QUrl>());
}

void UpdateCheckerTest::quietCheck_data() {
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("newer") << answer(200, "1.0.5") << QStringList{kTextNewVersion};
    QTest::newRow("same") << answer(200, "1.0.4") << QStringList();
    QTest::newRow("error status") << answer(404, "") << QStringList();
    QTest::newRow("line end") << answer(200, "2.0.0\n") << QStringList();
}

void UpdateCheckerTest::quietCheck() {
    QFETCH(QByteArray, response);
    OneAnswerServer server(response);
    UpdateChecker checker(&window);
    checker.service().setServer(server.url());
    urls.opened.clear();

    BoxAnswerer answerer(false);
    checker.checkUpgrade_quiet_Timeout_slots();  // the check the start-up timer runs
    QVERIFY(!answerer.timedOut);
    QCOMPARE(server.requests, 1);
    QTEST(answerer.messages, "messages");
    QVERIFY(urls.opened.isEmpty());
}

void UpdateCheckerTest::quietCheckRunsAfterOneSecond() {
    OneAnswerServer server(answer(200, "1.0.4"));
    UpdateChecker checker(&window);
    checker.service().setServer(server.url());
    checker.startQuietUpdateCheck();
    QTest::qWait(500);
    QCOMPARE(server.requests, 0);
    QVERIFY(waitUntil([&] { return server.requests == 1; }, 5000));
}

QTEST_MAIN(UpdateCheckerTest)
#include "update_checker_test.moc"
