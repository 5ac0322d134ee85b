// The connection screen, and the main window it is part of, against phonesim
// behind a private adb server. Each function needs its own phone and the library
// keeps its folders for the life of the process, so CTest runs one function per
// process.
#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

#include "CheckDeviceDetectedThread.h"
#include "DeviceConnectedWidget.h"
#include "DeviceManagerWidget.h"
#include "DeviceManager_DeviceInfoWidget.h"
#include "MobrelBackupWidget.h"
#include "MobrelDeviceWidget.h"
#include "MobrelMainWidget.h"
#include "MobrelToolsBarWidget.h"
#include "MyPushButton.h"
#include "ReadyScanThread.h"
#include "UpdateChecker.h"
#include "UpdateService.h"
#include "base/formatters.h"
#include "gui_stall_meter.h"
#include "info_lines.h"
#include "mobrelclient.h"
#include "profile.h"
#include "screen_kit.h"
#include "startup.h"

using mobreltest::PhoneSim;

namespace {

constexpr int longWaitMs = 120000;

// Starts the phone alone and the library once per process.
bool startPhone(PhoneSim& sim, const mobreltest::SimOptions& options) {
    static bool used = false;
    if (used) qFatal("one phonesim per process: run one test function at a time");
    used = true;
    const auto alone = mobreltest::startAlone(sim, options);
    if (!alone) qWarning("%s", alone.message());
    if (alone) MobrelApi_Init();
    return bool(alone);
}

bool shown(const QWidget& screen, const char* name) { return screen.findChild<QWidget*>(name)->isVisible(); }

bool authorisationShown(const QWidget& screen) {
    return shown(screen, "identifyPage") && shown(screen, "authoriseLabel") && !shown(screen, "usbDebugLabel");
}

}  // namespace

class ConnectFlowTest : public QObject {
    Q_OBJECT

private slots:
    void present() {
        PhoneSim sim;
        QVERIFY(startPhone(sim, {.dataset = "small"}));
        DeviceConnectedWidget screen(nullptr);
        mobreltest::showScreen(screen);
        QSignalSpy ready(&screen, &DeviceConnectedWidget::deviceReady);
        QVERIFY(waitUntil([&] { return ready.count() > 0; }, longWaitMs));
        QVERIFY(screen.isConnected());

        // Unplugged: the connect page, the phone reported gone; plugged in
        // again: detected and brought up afresh.
        QSignalSpy lost(&screen, &DeviceConnectedWidget::deviceLost);
        QVERIFY(sim.stopPhone());
        QVERIFY(waitUntil([&] { return shown(screen, "connectPage"); }, 30000));
        QCOMPARE(lost.count(), 1);
        QVERIFY(!screen.isConnected());
        QVERIFY(sim.startPhone());
        QVERIFY(waitUntil([&] { return ready.count() == 2; }, longWaitMs));
        QVERIFY(screen.isConnected());
        QCOMPARE(lost.count(), 1);
    }
    void absent() {
        PhoneSim sim;
        QVERIFY(startPhone(sim, {}));
        QVERIFY(sim.stopPhone());
        QVERIFY(sim.waitForState(""));
        DeviceConnectedWidget screen(nullptr);
        mobreltest::showScreen(screen);
        QSignalSpy detections(screen.findChild<CheckDeviceDetectedThread*>(), &QThread::started);
        waitUntil([] { return false; }, 3000);  // six ticks
        QCOMPARE(detections.count(), 0);
        QVERIFY(shown(screen, "connectPage"));
        QVERIFY(!shown(screen, "identifyPage") && !shown(screen, "connectingPage"));
    }
    void unauthorized() {
        PhoneSim sim;
        QVERIFY(startPhone(sim, mobreltest::listedAs("unauthorized")));
        DeviceConnectedWidget screen(nullptr);
        mobreltest::showScreen(screen);
        auto* detect = screen.findChild<CheckDeviceDetectedThread*>();
        QSignalSpy bringUps(screen.findChild<ReadyScanThread*>(), &QThread::started);
        // After each refused detection (the screen's own slot runs first): the
        // authorisation text is up and the next detection already runs.
        int refused = 0;
        int refusedAndRepeated = 0;
        connect(detect, &QThread::finished, this, [&] {
            if (detect->result() != -2) return;
            ++refused;
            if (authorisationShown(screen) && detect->isRunning()) ++refusedAndRepeated;
        });
        QVERIFY(waitUntil([&] { return refused >= 3; }, longWaitMs));
        QCOMPARE(refusedAndRepeated, refused);
        QCOMPARE(bringUps.count(), 0);
        QVERIFY(!screen.isConnected());
    }
    void handshakeRefused() {
        phonesim::Faults faults;
        faults.handshake = "close";
        PhoneSim sim;
        QVERIFY(startPhone(sim, {.faults = faults}));
        DeviceConnectedWidget screen(nullptr);
        mobreltest::showScreen(screen);
        auto* detect = screen.findChild<CheckDeviceDetectedThread*>();
        auto* bringUp = screen.findChild<ReadyScanThread*>();
        QSignalSpy ready(&screen, &DeviceConnectedWidget::deviceReady);
        // After the failed bring-up: the identify page, with detection started at once.
        int failed = 0;
        bool identifyingAgain = false;
        connect(bringUp, &QThread::finished, this, [&] {
            if (bringUp->result() != -1 || failed++ > 0) return;
            identifyingAgain = shown(screen, "identifyPage") && shown(screen, "usbDebugLabel") && detect->isRunning();
        });
        GuiStallMeter meter;
        meter.start();
        QVERIFY(waitUntil([&] { return failed > 0; }, longWaitMs));
        QVERIFY(identifyingAgain);
        QCOMPARE(ready.count(), 0);

        // Once the companion answers, the retries end in a connection.
        sim.setFaults(phonesim::Faults{});
        QVERIFY(waitUntil([&] { return ready.count() > 0; }, longWaitMs));
        meter.stop();
        QVERIFY(screen.isConnected());
        QVERIFY(meter.longestStallMs() < 100);
    }
    // The real main window, from the first tick of the connection screen to the
    // device information view, with the GUI thread measured all the way: the
    // library runs in the workers.
    void mainWindow() {
        PhoneSim sim;
        QVERIFY(startPhone(sim, {.dataset = "small"}));
        prepareApplication(QCoreApplication::applicationDirPath());

        MobrelMainWidget window;
        window.updateCheckerObject()->service().setServer(QUrl(QStringLiteral("http://127.0.0.1:9")));
        window.show();
        GuiStallMeter meter;  // from before the first tick
        meter.start();
        DeviceManagerWidget* browser = window.deviceWidget()->dataBrowser();
        QVERIFY(waitUntil([&] { return browser->isVisible(); }, 120000));
        meter.stop();
        qInfo("longest GUI stall from start to the device information: %lld ms", meter.longestStallMs());
        QVERIFY(meter.longestStallMs() < 100);

        // The facts the companion reports: the profile's properties and the modern
        // phone's memory and storage figures (bytes).
        const phonesim::Profile profile = phonesim::modernProfile();
        auto prop = [&](const char* key) { return QString::fromStdString(profile.property(key)); };
        QVERIFY(browser->deviceInfoView()->isVisible());
        QCOMPARE(shownValues(*browser->deviceInfoView()),
                 QStringList({prop("ro.product.brand"), prop("ro.product.model"), prop("ro.build.version.release"),
                              prop("ro.serialno"), formatSize(1642323968),
                              formatSize(31138512896) + " / " + formatSize(53687091200)}));

        // The backup page now names the phone and may start.
        QTest::mouseClick(window.toolsBar()->toolButton(1), Qt::LeftButton);
        QVERIFY(window.backupWidget()->isVisible());
        QVERIFY(window.backupWidget()->actionButton()->isButtonEnabled());
    }
};

QTEST_MAIN(ConnectFlowTest)
#include "connect_flow_test.moc"
