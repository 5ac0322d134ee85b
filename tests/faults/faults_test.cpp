// The real main window against phonesim's small phone while the phone, adb, the companion or the
// disk fail: the work ends and says so, what the user owns stays, and it succeeds once it is over.
#include <QComboBox>
#include <QDesktopServices>
#include <QtTest>

#include <set>

#include <signal.h>

#include "DeviceManagerWidget.h"
#include "DeviceManager_FileBaseWidget.h"
#include "GalleryIconShowWidget.h"
#include "ImagePreviewItem.h"
#include "MobrelBackupWidget.h"
#include "DeviceManager_DeviceInfoWidget.h"
#include "MobrelDeviceWidget.h"
#include "MobrelMainWidget.h"
#include "MobrelRestoreWidget.h"
#include "MyPushButton.h"
#include "UpdateChecker.h"
#include "UpdateService.h"
#include "base/formatters.h"
#include "base/paths.h"
#include "base/settings.h"
#include "backuplist.h"
#include "datareaders.h"
#include "connect/DeviceConnectedWidget.h"
#include "gui_stall_meter.h"
#include "info_lines.h"
#include "mobrelclient.h"
#include "profile.h"
#include "screen_kit.h"
#include "startup.h"

using namespace mobreltest;

Q_DECLARE_METATYPE(phonesim::Faults)

namespace {
constexpr int kLongWaitMs = 300000;
constexpr int kContacts = 0, kCalls = 2, kPhotos = 3;
std::map<std::string, std::string> contentsOf(const QString& folder) { return treeContents(folder.toStdString()); }
}  // namespace

class FaultsTest : public QObject {
    Q_OBJECT

public:
    explicit FaultsTest(PhoneSim& phone) : sim(phone) {}

public slots:
    void openFolder(const QUrl&) {}  // stands in for the desktop's file manager

private slots:
    // From the connection screen's first tick to the device information, the GUI thread
    // measured all the way (the library runs in workers); then a first complete backup.
    void initTestCase() {
        QDesktopServices::setUrlHandler("file", this, "openFolder");
        prepareApplication(QCoreApplication::applicationDirPath());
        window = std::make_unique<MobrelMainWidget>();
        window->updateCheckerObject()->service().setServer(QUrl(QStringLiteral("http://127.0.0.1:9")));
        window->show();
        GuiStallMeter meter;
        meter.start();
        QVERIFY(ready());
        meter.stop();
        qInfo("longest GUI stall from start to the device information: %lld ms", meter.longestStallMs());
        QVERIFY(meter.longestStallMs() < 100);
        // The facts the companion reports: the profile's properties, the modern phone's memory and storage.
        const phonesim::Profile profile = phonesim::modernProfile();
        const auto prop = [&](const char* key) { return QString::fromStdString(profile.property(key)); };
        QCOMPARE(shownValues(*browser()->deviceInfoView()),
                 QStringList({prop("ro.product.brand"), prop("ro.product.model"), prop("ro.build.version.release"),
                              prop("ro.serialno"), formatSize(1642323968),
                              formatSize(31138512896) + " / " + formatSize(53687091200)}));

        window->backupWidget()->worker()->setPacing(0, 0);
        window->restoreWidget()->worker()->setPacing(0, 0, 0);
        backUp({kContacts, kCalls});
        QCOMPARE(box(), "Backup finished");
        completeRun = window->backupWidget()->worker()->runFolder;
        completeRunName = window->backupWidget()->worker()->runName;
        backedUpContacts = storeCount(sim, kContacts);
        completeFiles = contentsOf(completeRun);
        QVERIFY(!completeFiles.empty());
    }
    void init() {
        answerer.boxes.clear();
        answerer.only.clear();
    }
    void cleanup() {
        if (undoDisk) undoDisk();
        undoDisk = nullptr;
    }

    void flush_data() {
        QTest::addColumn<int>("how");
        QTest::addColumn<phonesim::Faults>("faults");
        phonesim::Faults slow, slower, dropping;
        slow.delayMs = 150;  // so that the flush is surely under way when the trouble starts
        slower.delayMs = 500;
        dropping.dropAfter = 3;
        QTest::newRow("phone gone") << kPhoneGone << slow;
        QTest::newRow("adb server killed") << kServerKilled << slow;
        QTest::newRow("companion drops the connection") << kCompanion << dropping;
        QTest::newRow("companion answers garbage") << kCompanion << spoiled("getcontactpart10", "garbage", 2);
        QTest::newRow("companion answers slowly") << kCompanion << slower;
    }
    // A flush cut short ends, listing what arrived whole; once the trouble is over, all of it.
    void flush() {
        QFETCH(int, how);
        QFETCH(phonesim::Faults, faults);
        sim.setFaults(faults);
        browser()->startFlushData(kContacts);
        const auto underway = [] { return MobrelApi_getItemCurrentLoadedCount(kContacts) > 0; };
        const auto ended = [this] { return !browser()->isBusy(); };
        if (how == kPhoneGone) {
            phoneGoneWhile(underway, ended);
        } else {
            if (how == kServerKilled) {
                QVERIFY(waitUntil(underway, kLongWaitMs));
                const std::vector<pid_t> servers = sim.serverPids();
                QVERIFY(!servers.empty());
                for (pid_t pid : servers) QCOMPARE(kill(pid, SIGKILL), 0);
            }
            QVERIFY(waitUntil(ended, kLongWaitMs));
            QVERIFY(size_t(MobrelApi_getItemTotalLoadedCount(kContacts)) <= storeCount(sim, kContacts));
            sim.setFaults({});
            if (how == kServerKilled) QTest::qWait(2000);  // a reconnection, if the phone was seen gone, has started
            QVERIFY(ready());
        }
        QCOMPARE(flushContacts(), storeCount(sim, kContacts));
    }

    // A deletion cut short deletes nothing unticked; the next one deletes the rest.
    void deletion() {
        window->showDevicePage();
        const std::set<int> ticked = tickPhotos([](int i, int) { return i < 4; });
        QCOMPARE(ticked.size(), size_t(4));
        const auto remaining = [&] {
            std::set<int> ids;
            for (const mobreltest::MediaItem& item : storeItems(sim, kPhotoKind)) ids.insert(item.id);
            return ids;
        };
        std::set<int> kept;
        for (int id : remaining())
            if (!ticked.count(id)) kept.insert(id);
        answerer.only = "none";  // the busy box stays up until the deletion ends
        slowPhone();
        QTimer::singleShot(0, this, [&] {
            phoneGoneWhile([&] { return remaining().size() < kept.size() + ticked.size(); },
                           [&] { return !browser()->isBusy(); });
        });
        clickView("deleteButton");
        QVERIFY(!browser()->isBusy());
        const std::set<int> left = remaining();
        QVERIFY(std::includes(left.begin(), left.end(), kept.begin(), kept.end()));
        QVERIFY(left.size() > kept.size());

        QVERIFY(!tickPhotos([&](int, int id) { return ticked.count(id) > 0; }).empty());
        clickView("deleteButton");
        QCOMPARE(remaining(), kept);
    }

    // A backup cut short is reported incomplete; the earlier complete one is untouched.
    void backup() {
        slowPhone();
        QTimer::singleShot(0, this, [this] {
            phoneGoneWhile([this] { return window->backupWidget()->worker()->doneCount[kContacts] > 0; },
                           [this] { return !answerer.boxes.isEmpty(); });
        });
        backUp({kContacts, kCalls});
        QCOMPARE(box(), "Backup incomplete");
        QCOMPARE(contentsOf(completeRun), completeFiles);
        backUp({kContacts, kCalls});
        QCOMPARE(box(), "Backup finished");
    }

    // A restore cut short says what did not arrive; the whole restore succeeds later.
    void restore() {
        MobrelRestoreWidget* screen = window->restoreWidget();
        const auto restoreComplete = [&](std::initializer_list<int> types) {
            window->showRestorePage();
            auto* combo = screen->findChild<QComboBox*>();
            combo->setCurrentIndex(combo->findText(backupListLine(completeRunName)));
            for (int type : types)
                if (!screen->categoryItem(type)->isChecked())
                    click(screen->categoryItem(type)->findChild<QWidget*>("checkButton"));
            answerer.boxes.clear();
            click(screen->actionButton());
            QVERIFY(answerer.waitForBox(kLongWaitMs));
        };
        const size_t contacts = storeCount(sim, kContacts);
        // Late in the contacts: each record left fails only after the channel's designed retries.
        QTimer::singleShot(0, this, [&] {
            phoneGoneWhile([&] { return screen->worker()->doneCount[kContacts] + 3 >= backedUpContacts; },
                           [&] { return !answerer.boxes.isEmpty(); });
        });
        restoreComplete({kContacts});
        QVERIFY2(answerer.boxes.value(0).startsWith("Restore incomplete|Some data could not be restored:\nContacts: "),
                 qPrintable(answerer.boxes.value(0)));
        const size_t arrived = storeCount(sim, kContacts) - contacts;
        restoreComplete({kContacts, kCalls});
        QCOMPARE(answerer.boxes.value(0), "Restore finished|The restore process is finished.");
        QCOMPARE(storeCount(sim, kContacts), contacts + arrived + backedUpContacts);
    }

    void smallDisk_data() {
        QTest::addColumn<QString>("options");  // of the tmpfs mounted on the output folder
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<QString>("reported");
        QTest::newRow("not writable") << "ro,size=1m" << QList<int>{kContacts, kCalls}
                                      << "Backup failed|The backup could not be saved";
        QTest::newRow("fills") << "size=64k" << QList<int>{kContacts, kCalls, kPhotos} << "Backup";
    }
    // A backup the output folder cannot take is reported, earlier backups stay and every run
    // the list names is readable; one that could not be written at all is not listed.
    void smallDisk() {
        QFETCH(QString, options);
        QFETCH(QList<int>, types);
        QFETCH(QString, reported);
        const std::string folder = (sim.root() / "disk").string();
        QDir().mkpath(QString::fromStdString(folder));
        if (runCommand({"mount", "-t", "tmpfs", "-o", options.toStdString(), "tmpfs", folder}).exitCode != 0)
            QSKIP("mounting a file system needs root");
        undoDisk = [output = folderSetting(kSavePathKey), folder] {
            setFolderSetting(kSavePathKey, output);
            runCommand({"umount", folder});
        };
        setFolderSetting(kSavePathKey, QString::fromStdString(folder));
        const std::string listBefore = readFile(backupListFile().toStdString());

        backUp(types);
        QVERIFY2(answerer.boxes.value(0).startsWith(reported) && box() != "Backup finished",
                 qPrintable(answerer.boxes.value(0)));
        if (options.startsWith("ro")) QCOMPARE(readFile(backupListFile().toStdString()), listBefore);
        const std::optional<BackupList> list = readBackupList(backupListFile());
        QVERIFY(list);
        for (const QString& run : list->paths) {
            QVERIFY2(isValidRunFolder(run), qPrintable(run));
            QCOMPARE(readBackupInfoJs(run).status, ReadStatus::Ok);
        }
        QCOMPARE(contentsOf(completeRun), completeFiles);
    }

private:
    static constexpr int kPhoneGone = 0, kServerKilled = 1, kCompanion = 2;
    DeviceManagerWidget* browser() const { return window->deviceWidget()->dataBrowser(); }
    DeviceManager_FileBaseWidget* photoView() const {
        return static_cast<DeviceManager_FileBaseWidget*>(browser()->categoryView(kPhotos));
    }
    bool ready() const { return waitUntil([this] { return browser()->isVisible(); }, kLongWaitMs); }
    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void clickView(const char* name) { click(photoView()->findChild<QWidget*>(name)); }
    QString box() const { return answerer.boxes.value(0).section('|', 0, 0); }
    void slowPhone() {  // so that the work is surely under way when the phone goes
        phonesim::Faults slow;
        slow.delayMs = 150;
        sim.setFaults(slow);
    }
    size_t flushContacts() {  // to the end: how many the library then lists
        browser()->startFlushData(kContacts);
        return waitUntil([this] { return !browser()->isBusy(); }, kLongWaitMs)
                   ? size_t(MobrelApi_getItemTotalLoadedCount(kContacts))
                   : 0;
    }
    // Takes the phone away once underway() holds, waits for until() and the connection screen
    // (nothing to back up), then brings the phone back until it is ready again.
    void phoneGoneWhile(const std::function<bool()>& underway, const std::function<bool()>& until) {
        QVERIFY(waitUntil(underway, kLongWaitMs));
        QVERIFY(sim.stopPhone());
        QVERIFY(waitUntil(until, kLongWaitMs));
        window->showDevicePage();
        QVERIFY(waitUntil([this] { return window->deviceWidget()->connectionScreen()->isVisible(); }, 10000));
        QVERIFY(!browser()->isVisible());
        QVERIFY(!window->backupWidget()->actionButton()->isButtonEnabled());
        sim.setFaults({});
        QVERIFY(sim.startPhone());
        QVERIFY(ready());
    }
    void backUp(const QList<int>& types) {
        window->showBackupPage();
        MobrelBackupWidget* screen = window->backupWidget();
        for (int type = 0; type < 6; ++type)
            if (screen->categoryItem(type)->isChecked() != types.contains(type))
                click(screen->categoryItem(type)->findChild<QWidget*>("checkButton"));
        answerer.boxes.clear();
        click(screen->actionButton());
        QVERIFY(answerer.waitForBox(kLongWaitMs));
    }
    // Loads every photo, unticks all and ticks those of the first page that pick(index, id) takes.
    std::set<int> tickPhotos(const std::function<bool(int, int)>& pick) {
        browser()->startFlushData(kPhotos);
        const int count = int(storeCount(sim, kPhotos));
        if (!waitUntil([&] { return !browser()->isBusy() && photoView()->loadedCount() == count; }, kLongWaitMs))
            return {};
        clickView("selectAllCheckBox");
        auto* gallery = photoView()->findChild<GalleryIconShowWidget*>("gallery");
        std::set<int> ticked;
        for (int i = 0; i < count && i < GalleryIconShowWidget::kTileCount; ++i) {
            const int id = listed(kPhotoKind)[size_t(i)].id;
            if (!pick(i, id)) continue;
            click(gallery->tile(i));
            ticked.insert(id);
        }
        return ticked;
    }

    PhoneSim& sim;
    std::unique_ptr<MobrelMainWidget> window;
    BoxAnswerer answerer;
    QString completeRun, completeRunName;  // contacts and calls, backed up before any fault
    size_t backedUpContacts = 0;
    std::map<std::string, std::string> completeFiles;
    std::function<void()> undoDisk;
};

int main(int argc, char** argv) {
    PhoneSim sim;  // the window's own connection screen detects and brings up the phone
    if (const auto alone = startAlone(sim, {.dataset = "small"}); !alone) {
        fprintf(stderr, "%s\n", alone.message());
        return 1;
    }
    QApplication app(argc, argv);
    FaultsTest test(sim);
    return QTest::qExec(&test, argc, argv);
}

#include "faults_test.moc"
