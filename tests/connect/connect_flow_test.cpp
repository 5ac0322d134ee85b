// The connection screen against phonesim behind a private adb server; one test function a process
// (the library keeps one phone's folders). A phone that goes and comes back, and the main window up
// to the device information, are the faults test's.
#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

#include "CheckDeviceDetectedThread.h"
#include "DeviceConnectedWidget.h"
#include "ReadyScanThread.h"
#include "gui_stall_meter.h"
#include "mobrelclient.h"
#include "screen_kit.h"

using mobreltest::PhoneSim;

namespace {

constexpr int longWaitMs = 120000;

// The phone alone and the library.
bool startPhone(PhoneSim& sim, const mobreltest::SimOptions& options) {
    const auto alone = mobreltest::startAlone(sim, options);
    if (!alone) qWarning("%s", alone.message());
    if (alone) MobrelApi_Init();
    return bool(alone);
}

bool shown(const QWidget& screen, const char* name) { return screen.findChild<QWidget*>(name)->isVisible(); }

}  // namespace

class ConnectFlowTest : public QObject {
    Q_OBJECT

private slots:
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
        // After each refused detection (the screen's own slot runs first) the authorisation
        // text is up and the next detection already runs.
        int refused = 0, refusedAndRepeated = 0;
        connect(detect, &QThread::finished, this, [&] {
            if (detect->result() != -2) return;
            ++refused;
            if (shown(screen, "identifyPage") && shown(screen, "authoriseLabel") && !shown(screen, "usbDebugLabel") &&
                detect->isRunning())
                ++refusedAndRepeated;
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
};

QTEST_MAIN(ConnectFlowTest)
#include "connect_flow_test.moc"
