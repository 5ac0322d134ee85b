// The real main window against phonesim's small phone through the real adb,
// from the first tick of the connection screen to the device information view,
// with the GUI thread measured all the way: the library runs in the workers.
#include <QApplication>
#include <QtTest>

#include "DeviceManagerWidget.h"
#include "DeviceManager_DeviceInfoWidget.h"
#include "MobrelBackupWidget.h"
#include "MobrelDeviceWidget.h"
#include "MobrelMainWidget.h"
#include "MobrelToolsBarWidget.h"
#include "MyPushButton.h"
#include "UpdateChecker.h"
#include "UpdateService.h"
#include "base/formatters.h"
#include "gui_stall_meter.h"
#include "info_lines.h"
#include "library_e2e.h"
#include "profile.h"
#include "startup.h"

class MainConnectTest : public QObject {
    Q_OBJECT

private slots:
    void connectsAndShowsTheDeviceInformation();
};

void MainConnectTest::connectsAndShowsTheDeviceInformation() {
    mobreltest::PhoneSim sim;
    const auto alone = mobreltest::startAlone(sim, {.dataset = "small"});
    QVERIFY2(alone, alone.message());
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

QTEST_MAIN(MainConnectTest)
#include "main_connect_test.moc"
