// Renders the main window in each of its states to PNG files against phonesim, one phase a
// process (the library keeps one phone's folders); scripts/screenshots.sh runs them:
//   mobrel_screenshots waiting|identify|connected FOLDER
// waiting: no phone; identify: a phone that has not allowed USB debugging; connected: connecting,
// device information, the backup, restore and tools pages and a message box.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <functional>

#include "DeviceConnectedWidget.h"
#include "DeviceManagerWidget.h"
#include "MobrelDeviceWidget.h"
#include "MobrelMainWidget.h"
#include "UpdateChecker.h"
#include "UpdateService.h"
#include "gui_stall_meter.h"
#include "library_e2e.h"
#include "startup.h"

namespace {

bool visible(const QWidget* screen, const char* child) {
    const QWidget* widget = screen->findChild<QWidget*>(QLatin1String(child));
    return widget && widget->isVisible();
}

}  // namespace

int main(int argc, char* argv[]) {
    const QString phase = argc == 3 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (phase != "waiting" && phase != "identify" && phase != "connected") {
        std::fprintf(stderr, "usage: mobrel_screenshots waiting|identify|connected FOLDER\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "screenshots: cannot create %s\n", argv[2]);
        return 1;
    }
    // The phone first: it gives the process its private HOME and adb server.
    mobreltest::PhoneSim sim;
    mobreltest::SimOptions options{.dataset = "small"};
    if (phase == "identify") options = mobreltest::listedAs("unauthorized");
    if (phase == "connected") options.faults.delayMs = 400;  // a bring-up slow enough to see
    if (const auto alone = mobreltest::startAlone(sim, options); !alone) {
        std::fprintf(stderr, "screenshots: %s\n", alone.message());
        return 1;
    }
    if (phase == "waiting") sim.stopPhone();

    QApplication app(argc, argv);
    prepareApplication(QCoreApplication::applicationDirPath());
    MobrelMainWidget window;
    window.updateCheckerObject()->service().setServer(QUrl(QStringLiteral("http://127.0.0.1:9")));
    window.move(0, 0);
    window.show();
    const DeviceConnectedWidget* screen = window.deviceWidget()->connectionScreen();
    // Waits until ready() holds, then writes the window and any modal box over it.
    const auto shoot = [&](const char* name, const std::function<bool()>& ready = [] { return true; }) {
        if (!waitUntil(ready, 120000)) {
            std::fprintf(stderr, "screenshots: \"%s\" never came\n", name);
            return false;
        }
        waitUntil([] { return false; }, 300);  // let animations and late paints settle
        QPixmap picture = window.grab();
        if (QWidget* box = QApplication::activeModalWidget(); box && box != &window)
            QPainter(&picture).drawPixmap(box->pos() - window.pos(), box->grab());
        const QString file = QDir(folder).filePath(QString::fromLatin1(name) + ".png");
        if (!picture.save(file)) {
            std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(file));
            return false;
        }
        std::printf("%s\n", qPrintable(file));
        return true;
    };

    if (phase == "waiting") {
        waitUntil([] { return false; }, 1500);  // three ticks without a phone
        return shoot("01-waiting-for-a-phone", [&] { return visible(screen, "connectPage"); }) ? 0 : 1;
    }
    if (phase == "identify") {
        const bool ok = shoot("02-identifying", [&] { return visible(screen, "usbDebugLabel"); });
        return shoot("03-authorising", [&] { return visible(screen, "authoriseLabel"); }) && ok ? 0 : 1;
    }
    bool ok = shoot("04-connecting", [&] {
        return visible(screen, "connectingPage") && screen->findChild<QWidget*>("progressBar");
    });
    sim.setFaults({});
    ok = shoot("05-device-information", [&] { return window.deviceWidget()->dataBrowser()->isVisible(); }) && ok;
    window.showBackupPage();
    ok = shoot("06-backup-page") && ok;
    window.showRestorePage();
    ok = shoot("07-restore-page") && ok;
    window.showToolsPage();
    ok = shoot("08-tools-page") && ok;
    window.showDevicePage();
    // The menu's update check against a server that is not there: its box, once it has
    // stopped checking, shot and closed. The box runs its own event loop: a timer finds it.
    bool boxShot = false;
    QTimer finder;
    QObject::connect(&finder, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        const QWidget* text = box ? box->findChild<QWidget*>("textLabel") : nullptr;
        if (!text || text->property("text").toString().contains(QLatin1String("Checking"))) return;
        finder.stop();
        boxShot = shoot("09-message-box");
        box->close();
    });
    finder.start(100);
    window.slots_checkUpgradeAction();
    return ok && boxShot ? 0 : 1;
}
