// Renders Mobrel's main window in each of its states to PNG files, against
// phonesim behind a private adb server. The library keeps one phone's folders
// for the life of a process, so scripts/screenshots.sh runs one phase at a time:
//
//   mobrel_screenshots waiting   FOLDER   no phone: the connect page
//   mobrel_screenshots identify  FOLDER   a phone that has not allowed USB debugging
//   mobrel_screenshots connected FOLDER   connecting, device information, backup,
//                                         restore and tools pages, a message box
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

using mobreltest::PhoneSim;

namespace {

constexpr int kStateWaitMs = 120000;

class Shooter {
public:
    Shooter(MobrelMainWidget& window, QString folder) : window_(window), folder_(std::move(folder)) {}

    // Waits until ready() holds, then writes the window (and any modal box over it).
    bool shoot(const char* name, const std::function<bool()>& ready) {
        if (!waitUntil(ready, kStateWaitMs)) {
            std::fprintf(stderr, "screenshots: \"%s\" never came\n", name);
            return false;
        }
        waitUntil([] { return false; }, 300);  // let animations and late paints settle
        QPixmap picture = window_.grab();
        if (QWidget* box = QApplication::activeModalWidget(); box && box != &window_) {
            QPainter painter(&picture);
            painter.drawPixmap(box->pos() - window_.pos(), box->grab());
        }
        const QString file = QDir(folder_).filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
        if (!picture.save(file)) {
            std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(file));
            return false;
        }
        std::printf("%s\n", qPrintable(file));
        return true;
    }

private:
    MobrelMainWidget& window_;
    QString folder_;
};

bool visible(const QWidget* screen, const char* child) {
    const QWidget* widget = screen->findChild<QWidget*>(QLatin1String(child));
    return widget && widget->isVisible();
}

bool connectedPhase(MobrelMainWidget& window, Shooter& shooter, PhoneSim& sim) {
    DeviceConnectedWidget* screen = window.deviceWidget()->connectionScreen();
    bool ok = shooter.shoot("04-connecting", [&] {
        return visible(screen, "connectingPage") && screen->findChild<QWidget*>("progressBar");
    });
    sim.setFaults({});
    ok = shooter.shoot("05-device-information",
                       [&] { return window.deviceWidget()->dataBrowser()->isVisible(); }) && ok;
    window.showBackupPage();
    ok = shooter.shoot("06-backup-page", [] { return true; }) && ok;
    window.showRestorePage();
    ok = shooter.shoot("07-restore-page", [] { return true; }) && ok;
    window.showToolsPage();
    ok = shooter.shoot("08-tools-page", [] { return true; }) && ok;
    window.showDevicePage();

    // The menu's update check against a server that is not there: the box
    // that says so, shot while it runs, then answered. The boxes run their own
    // event loops, so a timer looks for it rather than a wait.
    bool boxShot = false;
    QTimer finder;
    QObject::connect(&finder, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        const QWidget* text = box ? box->findChild<QWidget*>("textLabel") : nullptr;
        if (!text || text->property("text").toString().contains(QLatin1String("Checking"))) return;
        finder.stop();
        boxShot = shooter.shoot("09-message-box", [] { return true; });
        box->close();
    });
    finder.start(100);
    window.slots_checkUpgradeAction();
    return ok && boxShot;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mobrel_screenshots waiting|identify|connected FOLDER\n");
        return 2;
    }
    const QString phase = QString::fromLocal8Bit(argv[1]);
    const QString folder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "screenshots: cannot create %s\n", argv[2]);
        return 1;
    }

    // The phone first: it gives the process its private HOME and adb server.
    PhoneSim sim;
    mobreltest::SimOptions options {.dataset = "small"};
    if (phase == QLatin1String("identify")) options = mobreltest::listedAs("unauthorized");
    if (phase == QLatin1String("connected")) options.faults.delayMs = 400;  // a bring-up slow enough to see
    const auto alone = mobreltest::startAlone(sim, options);
    if (!alone) {
        std::fprintf(stderr, "screenshots: %s\n", alone.message());
        return 1;
    }
    if (phase == QLatin1String("waiting")) sim.stopPhone();

    QApplication app(argc, argv);
    prepareApplication(QCoreApplication::applicationDirPath());
    MobrelMainWidget window;
    window.updateCheckerObject()->service().setServer(QUrl(QStringLiteral("http://127.0.0.1:9")));
    window.move(0, 0);
    window.show();
    Shooter shooter(window, folder);
    const DeviceConnectedWidget* screen = window.deviceWidget()->connectionScreen();

    bool ok = false;
    if (phase == QLatin1String("waiting")) {
        waitUntil([] { return false; }, 1500);  // three ticks without a phone
        ok = shooter.shoot("01-waiting-for-a-phone", [&] { return visible(screen, "connectPage"); });
    } else if (phase == QLatin1String("identify")) {
        ok = shooter.shoot("02-identifying", [&] { return visible(screen, "usbDebugLabel"); });
        ok = shooter.shoot("03-authorising", [&] { return visible(screen, "authoriseLabel"); }) && ok;
    } else if (phase == QLatin1String("connected")) {
        ok = connectedPhase(window, shooter, sim);
    } else {
        std::fprintf(stderr, "screenshots: unknown phase %s\n", argv[1]);
        return 2;
    }
    return ok ? 0 : 1;
}
