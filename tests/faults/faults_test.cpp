// The real main window against phonesim's small phone behind the real adb
// while things break: the phone gone in the middle of a flush, a backup, a
// restore, a deletion and an export, the adb server killed, the companion
// misbehaving, an output folder that cannot take a backup. Each time the work
// ends and says what it could not do, the connection screen comes back when
// the phone is gone, what the user owns stays (an earlier backup byte for
// byte, the phone's unticked photos), and the same work succeeds once the
// trouble is over. The functions run in order.
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
#include "MobrelDeviceWidget.h"
#include "MobrelMainWidget.h"
#include "MobrelRestoreWidget.h"
#include "MyPushButton.h"
#include "UpdateChecker.h"
#include "UpdateService.h"
#include "base/paths.h"
#include "base/settings.h"
#include "backuplist.h"
#include "datareaders.h"
#include "connect/DeviceConnectedWidget.h"
#include "gui_stall_meter.h"
#include "mobrelclient.h"
#include "runfiles.h"
#include "screen_kit.h"
#include "startup.h"

using namespace mobreltest;

Q_DECLARE_METATYPE(phonesim::Faults)

namespace {

constexpr int kLongWaitMs = 300000;
constexpr int kContacts = 0, kCalls = 2, kPhotos = 3;

// Every file below a folder with its bytes.
std::map<std::string, std::string> contentsOf(const QString& folder) { return treeContents(folder.toStdString()); }

}  // namespace

class FaultsTest : public QObject {
    Q_OBJECT

public:
    explicit FaultsTest(PhoneSim& phone) : sim(phone) {}

public slots:
    void openFolder(const QUrl&) {}  // stands in for the desktop's file manager

private slots:
    void initTestCase();
    void init() {
        answerer.boxes.clear();
        answerer.only.clear();
    }
    void flush();
    void adbServerKilled();
    void companionFaults_data();
    void companionFaults();
    void backup();
    void restore();
    void deletion();
    void exportMedia();
    void folderNotWritable();
    void diskFills();
    void cleanup() {
        if (undoDisk) undoDisk();
        undoDisk = nullptr;
    }

private:
    DeviceManagerWidget* browser() const { return window->deviceWidget()->dataBrowser(); }
    DeviceManager_FileBaseWidget* photoView() const {
        return static_cast<DeviceManager_FileBaseWidget*>(browser()->categoryView(kPhotos));
    }
    bool ready() const { return waitUntil([this] { return browser()->isVisible(); }, kLongWaitMs); }
    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    // Slow replies, so that the work is surely under way when the phone goes.
    void slowPhone() {
        phonesim::Faults slow;
        slow.delayMs = 150;
        sim.setFaults(slow);
    }
    // Takes the phone away once underway() holds and waits for until() and the
    // connection screen; then brings it back and waits until it is ready again.
    void phoneGoneWhile(const std::function<bool()>& underway, const std::function<bool()>& until);
    void backUp(std::set<int> types);
    bool loadPhotos() {
        browser()->startFlushData(kPhotos);
        return waitUntil([this] { return !browser()->isBusy() && photoView()->loadedCount() == mediaCount(); },
                         kLongWaitMs);
    }
    // Flushes the contacts to the end: how many the library then lists.
    size_t flushContacts() {
        browser()->startFlushData(kContacts);
        return waitUntil([this] { return !browser()->isBusy(); }, kLongWaitMs)
                   ? size_t(MobrelApi_getItemTotalLoadedCount(kContacts))
                   : 0;
    }
    int mediaCount() const { return int(storeCount(sim, kPhotos)); }
    bool useSmallDisk(const std::string& options);

    PhoneSim& sim;
    std::unique_ptr<MobrelMainWidget> window;
    BoxAnswerer answerer;
    QString completeRun;  // contacts and calls, backed up before any fault
    QString completeRunName;
    size_t backedUpContacts = 0;
    std::map<std::string, std::string> completeFiles;
    std::function<void()> undoDisk;
};

void FaultsTest::initTestCase() {
    QDesktopServices::setUrlHandler("file", this, "openFolder");
    prepareApplication(QCoreApplication::applicationDirPath());
    window = std::make_unique<MobrelMainWidget>();
    window->updateCheckerObject()->service().setServer(QUrl(QStringLiteral("http://127.0.0.1:9")));
    window->show();
    QVERIFY(ready());
    window->backupWidget()->worker()->setPacing(0, 0);
    window->restoreWidget()->worker()->setPacing(0, 0, 0);
    backUp({kContacts, kCalls});
    QCOMPARE(answerer.boxes.value(0).section('|', 0, 0), "Backup finished");
    completeRun = window->backupWidget()->worker()->runFolder;
    completeRunName = window->backupWidget()->worker()->runName;
    backedUpContacts = storeCount(sim, kContacts);
    completeFiles = contentsOf(completeRun);
    QVERIFY(!completeFiles.empty());
}

void FaultsTest::phoneGoneWhile(const std::function<bool()>& underway, const std::function<bool()>& until) {
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

void FaultsTest::backUp(std::set<int> types) {
    window->showBackupPage();
    MobrelBackupWidget* screen = window->backupWidget();
    for (int type = 0; type < 6; ++type)
        if (screen->categoryItem(type)->isChecked() != (types.count(type) > 0))
            click(screen->categoryItem(type)->findChild<QWidget*>("checkButton"));
    answerer.boxes.clear();
    click(screen->actionButton());
    QVERIFY(answerer.waitForBox(kLongWaitMs));
}

// A flush cut short lists part of the category; the next one lists it all.
void FaultsTest::flush() {
    slowPhone();
    browser()->startFlushData(kContacts);
    phoneGoneWhile([] { return MobrelApi_getItemCurrentLoadedCount(kContacts) > 0; },
                   [this] { return !browser()->isBusy(); });
    QCOMPARE(flushContacts(), storeCount(sim, kContacts));
}

// With the adb server killed during a flush the phone is found again (or
// brought up afresh) and a flush then lists everything.
void FaultsTest::adbServerKilled() {
    slowPhone();
    browser()->startFlushData(kContacts);
    QVERIFY(waitUntil([] { return MobrelApi_getItemCurrentLoadedCount(kContacts) > 0; }, kLongWaitMs));
    const std::vector<pid_t> servers = sim.serverPids();
    QVERIFY(!servers.empty());
    for (pid_t pid : servers) QCOMPARE(kill(pid, SIGKILL), 0);
    QVERIFY(waitUntil([this] { return !browser()->isBusy(); }, kLongWaitMs));
    sim.setFaults({});
    QTest::qWait(2000);  // a reconnection, if the window saw the phone gone, has started by now
    QVERIFY(ready());
    QCOMPARE(flushContacts(), storeCount(sim, kContacts));
}

void FaultsTest::companionFaults_data() {
    QTest::addColumn<phonesim::Faults>("faults");
    phonesim::Faults dropping;
    dropping.dropAfter = 3;
    QTest::newRow("drops the connection") << dropping;
    for (const char* how : {"garbage", "overlong", "short"})
        QTest::addRow("answers %s", how) << spoiled("getcontactpart10", how, 2);
    phonesim::Faults slow;
    slow.delayMs = 500;
    QTest::newRow("answers slowly") << slow;
}

// A flush the companion spoils lists what arrived whole; once it behaves, everything.
void FaultsTest::companionFaults() {
    QFETCH(phonesim::Faults, faults);
    sim.setFaults(faults);
    QVERIFY(flushContacts() <= storeCount(sim, kContacts));
    QVERIFY(!browser()->isBusy());  // the flush has ended
    sim.setFaults({});
    QVERIFY(ready());
    QCOMPARE(flushContacts(), storeCount(sim, kContacts));
}

// A backup cut short is reported incomplete; the earlier complete one is untouched.
void FaultsTest::backup() {
    slowPhone();
    QTimer::singleShot(0, this, [this] {
        phoneGoneWhile([this] { return window->backupWidget()->worker()->doneCount[kContacts] > 0; },
                       [this] { return !answerer.boxes.isEmpty(); });
    });
    backUp({kContacts, kCalls});
    QCOMPARE(answerer.boxes.value(0).section('|', 0, 0), "Backup incomplete");
    QCOMPARE(contentsOf(completeRun), completeFiles);
    backUp({kContacts, kCalls});
    QCOMPARE(answerer.boxes.value(0).section('|', 0, 0), "Backup finished");
}

// A restore cut short says what did not arrive; the whole restore succeeds later.
void FaultsTest::restore() {
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

// A deletion cut short deletes nothing unticked; the next one deletes the rest.
void FaultsTest::deletion() {
    window->showDevicePage();
    QVERIFY(loadPhotos());
    GalleryIconShowWidget* gallery = photoView()->findChild<GalleryIconShowWidget*>("gallery");
    click(photoView()->findChild<QWidget*>("selectAllCheckBox"));  // all unticked
    answerer.only = "none";  // the busy box stays up until the deletion ends
    std::set<int> ticked;
    for (int i = 0; i < 4; ++i) {
        click(gallery->tile(i));
        ticked.insert(listed(kPhotoKind)[size_t(i)].id);
    }
    std::set<int> kept;
    for (const mobreltest::MediaItem& item : storeItems(sim, kPhotoKind))
        if (!ticked.count(item.id)) kept.insert(item.id);
    const auto remaining = [&] {
        std::set<int> ids;
        for (const mobreltest::MediaItem& item : storeItems(sim, kPhotoKind)) ids.insert(item.id);
        return ids;
    };
    slowPhone();
    QTimer::singleShot(0, this, [&] {
        phoneGoneWhile([&] { return remaining().size() < kept.size() + ticked.size(); },
                       [&] { return !browser()->isBusy(); });
    });
    click(photoView()->findChild<QWidget*>("deleteButton"));
    QVERIFY(!browser()->isBusy());
    std::set<int> left = remaining();
    QVERIFY(std::includes(left.begin(), left.end(), kept.begin(), kept.end()));
    QVERIFY(left.size() > kept.size());

    QVERIFY(loadPhotos());
    click(photoView()->findChild<QWidget*>("selectAllCheckBox"));
    for (int i = 0; i < photoView()->loadedCount() && i < 24; ++i)
        if (ticked.count(listed(kPhotoKind)[size_t(i)].id)) click(gallery->tile(i));
    click(photoView()->findChild<QWidget*>("deleteButton"));
    QCOMPARE(remaining(), kept);
}

// An export of photos cut short is reported incomplete; the next one writes them all.
void FaultsTest::exportMedia() {
    QVERIFY(loadPhotos());
    GalleryIconShowWidget* gallery = photoView()->findChild<GalleryIconShowWidget*>("gallery");
    const auto tickThree = [&] {
        click(photoView()->findChild<QWidget*>("selectAllCheckBox"));
        for (int i = 0; i < 3; ++i) click(gallery->tile(i));
    };
    tickThree();
    answerer.only = "Backup incomplete";
    phonesim::Faults stalled;
    stalled.cutPullAt = 64;
    sim.setFaults(stalled);
    QTimer::singleShot(0, this, [&] {
        phoneGoneWhile([&] { return window->backupWidget()->worker()->isRunning(); },
                       [&] { return !answerer.boxes.isEmpty(); });
    });
    click(photoView()->findChild<QWidget*>("exportButton"));
    QCOMPARE(answerer.boxes.value(0).section('|', 0, 0), "Backup incomplete");

    QVERIFY(loadPhotos());
    tickThree();
    answerer.boxes.clear();
    answerer.only = "Backup finished";
    click(photoView()->findChild<QWidget*>("exportButton"));
    QCOMPARE(answerer.boxes.value(0).section('|', 0, 0), "Backup finished");
    QCOMPARE(contentsOf(window->backupWidget()->worker()->runFolder + "/" + kCategoryFolders[kPhotos]).size(), size_t(3));
}

// A small file system of its own (tmpfs) mounted on the output folder for the
// test's time; false when this machine does not let the test mount one.
bool FaultsTest::useSmallDisk(const std::string& options) {
    const std::string folder = (sim.root() / "disk").string();
    QDir().mkpath(QString::fromStdString(folder));
    if (runCommand({"mount", "-t", "tmpfs", "-o", options, "tmpfs", folder}).exitCode != 0) return false;
    const QString output = folderSetting(kSavePathKey);
    undoDisk = [this, output, folder] {
        setFolderSetting(kSavePathKey, output);
        runCommand({"umount", folder});
    };
    setFolderSetting(kSavePathKey, QString::fromStdString(folder));
    return true;
}

// A backup into a folder that cannot be written is reported, not listed and not left behind.
void FaultsTest::folderNotWritable() {
    if (!useSmallDisk("ro,size=1m")) QSKIP("mounting a file system needs root");
    const std::string list = readFile(backupListFile().toStdString());
    backUp({kContacts, kCalls});
    QVERIFY2(answerer.boxes.value(0).startsWith("Backup failed|The backup could not be saved"),
             qPrintable(answerer.boxes.value(0)));
    QCOMPARE(readFile(backupListFile().toStdString()), list);
}

// A disk that fills during a backup: reported, and whatever is listed can be restored.
void FaultsTest::diskFills() {
    if (!useSmallDisk("size=64k")) QSKIP("mounting a file system needs root");
    backUp({kContacts, kCalls, kPhotos});
    QVERIFY(!answerer.boxes.value(0).startsWith("Backup finished"));
    const std::optional<BackupList> list = readBackupList(backupListFile());
    QVERIFY(list);
    for (const QString& run : list->paths) {
        QVERIFY2(isValidRunFolder(run), qPrintable(run));
        QCOMPARE(readBackupInfoJs(run).status, ReadStatus::Ok);
    }
    QCOMPARE(contentsOf(completeRun), completeFiles);
}

int main(int argc, char** argv) {
    // The window's own connection screen detects and brings up the phone.
    PhoneSim sim;
    const auto alone = startAlone(sim, {.dataset = "small"});
    if (!alone) {
        fprintf(stderr, "%s\n", alone.message());
        return 1;
    }
    QApplication app(argc, argv);
    FaultsTest test(sim);
    return QTest::qExec(&test, argc, argv);
}

#include "faults_test.moc"
