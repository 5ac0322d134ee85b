// The backup worker and the backup screen against phonesim's small phone
// behind the real adb: what a run folder holds, the screen's progress, its
// questions and the backup list, exports, stops and a category that fails.
// One phone serves the whole process; the functions run in order.
#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <set>

#include "BackupItemWidget.h"
#include "ExportingView.h"
#include "MobrelBackupWidget.h"
#include "MyMessageBoxWidget.h"
#include "MyPushButton.h"
#include "base/listheads.h"
#include "base/paths.h"
#include "base/runfolder.h"
#include "gui_stall_meter.h"
#include "library_e2e.h"
#include "library_records.h"
#include "mobrelclient.h"

using namespace mobreltest;

namespace {

constexpr int kLongWaitMs = 300000;
const char* const kSummaryKeys[6] = {"Contacts", "Messages", "CallLogs", "Photos", "Videos", "Musics"};
const char* const kFolders[6] = {"Contacts", "SMS", "CallHistory", "Photos", "Videos", "Musics"};

// The JSON document of a data file of a run.
QJsonObject dataFile(const QString& run, const QString& name) {
    QFile file(run + "/Script/assets/" + name + ".js");
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray text = file.readAll();
    text = text.mid(text.indexOf('=') + 1);
    text.chop(1);
    return QJsonDocument::fromJson(text).object();
}

QJsonObject summaryOf(const QString& run) { return dataFile(run, "Backupinfo")["BackupInfo"].toObject(); }

// The members of a data file's root or group in number order ("Version" left out).
QList<QJsonObject> members(const QJsonObject& parent, const QString& prefix = QString()) {
    QList<QJsonObject> list;
    for (int n = 1; parent.contains(prefix + QString::number(n)); ++n)
        list << parent[prefix + QString::number(n)].toObject();
    return list;
}

std::multiset<std::string> filesIn(const QString& folder) {
    std::multiset<std::string> contents;
    for (const auto& [name, bytes] : treeContents(folder.toStdString())) contents.insert(bytes);
    return contents;
}

std::multiset<std::string> phoneFiles(const PhoneSim& sim, const mobreltest::MediaKind& kind) {
    std::multiset<std::string> contents;
    for (const mobreltest::MediaItem& item : storeItems(sim, kind))
        contents.insert(readFile(sim.sdcardPath() / item.path.substr(kStoragePrefix.size())));
    return contents;
}

size_t storeCount(const PhoneSim& sim, int itemType) {
    switch (itemType) {
    case 0: return storeContacts(sim.storePath()).size();
    case 1: return recordsIn(storeConversations(sim.storePath()));
    case 2: return recordsIn(storeCallGroups(sim.storePath()));
    default: return storeItems(sim, *kMediaKinds[itemType - 3]).size();
    }
}

QString deviceField(const char* field) { return QString::fromUtf8(field).remove('\n').remove('\r'); }

struct CountingView : ExportingView {
    int ended = 0;
    void endBusyState() override { ++ended; }
};

}  // namespace

class BackupFlowTest : public QObject {
    Q_OBJECT

public:
    explicit BackupFlowTest(PhoneSim& phone) : sim(phone) {}

public slots:
    // Stands in for the desktop's file manager.
    void openFolder(const QUrl& url) { opened << url.toLocalFile(); }

private slots:
    void initTestCase();
    void nothingTickedAsksForASelection();
    void fullBackupWritesEveryRecordAndFile();
    void viewerShowsTheRun();
    void screenBackupAtTheDesignedPace();
    void exportWritesOnlyTheTickedConversation();
    void stoppedExportLeavesNoFolder();
    void failedCategoryIsReportedIncomplete();
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("file"); }

private:
    // Answers every message box that comes up with its left or right button
    // and notes "title|text".
    void answerBoxes(bool left);
    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    // With BACKUP_SCREENSHOTS set, the widget is saved there as name.png.
    static void shoot(QWidget* widget, const char* name) {
        const QString folder = qEnvironmentVariable("BACKUP_SCREENSHOTS");
        if (!folder.isEmpty()) widget->grab().save(folder + "/" + name + ".png");
    }
    QWidget* checkBox(int itemType) { return screen->categoryItem(itemType)->findChild<QWidget*>("checkButton"); }
    void tickOnly(std::set<int> types);
    QString recordedFolder(const QString& runName) {
        return QSettings(backupListFile(), QSettings::IniFormat).value(runName).toString();
    }

    PhoneSim& sim;
    QString brand, model;
    std::unique_ptr<MobrelBackupWidget> screen;
    QTimer boxAnswerer;
    bool answerLeft = false;
    QStringList boxes;
    QStringList opened;
    QString fullRun;
};

void BackupFlowTest::initTestCase() {
    MobrelDeviceInfo info{};
    QCOMPARE(MobrelApi_GetAndroidDevicesInfo(&info, 0), 0);
    brand = deviceField(info.brand);
    model = deviceField(info.model);
    screen = std::make_unique<MobrelBackupWidget>();
    screen->resize(1022, 530);
    screen->layoutChildren();
    screen->loadImages();
    screen->setLanguageTexts();
    screen->setSourceDevice(true, deviceName(brand, model), brand, model);
    screen->show();
    QDesktopServices::setUrlHandler("file", this, "openFolder");
    boxAnswerer.setInterval(20);
    connect(&boxAnswerer, &QTimer::timeout, this, [this] {
        auto* box = qobject_cast<MyMessageBoxWidget*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        shoot(box, "finished-box");
        boxes << box->findChild<QLabel*>("titleLabel")->text() + "|" + box->findChild<QLabel*>("textLabel")->text();
        click(box->findChild<QWidget*>(answerLeft ? "leftButton" : "rightButton"));
    });
    boxAnswerer.start();
}

void BackupFlowTest::answerBoxes(bool left) {
    answerLeft = left;
    boxes.clear();
    opened.clear();
}

void BackupFlowTest::tickOnly(std::set<int> types) {
    for (int type = 0; type < 6; ++type) {
        if (screen->categoryItem(type)->isChecked() != (types.count(type) > 0)) click(checkBox(type));
        QCOMPARE(screen->categoryItem(type)->isChecked(), types.count(type) > 0);
    }
}

void BackupFlowTest::nothingTickedAsksForASelection() {
    tickOnly({});
    answerBoxes(true);
    click(screen->actionButton());
    QCOMPARE(boxes, QStringList{"Tolvane Mobrel|Please select an item to backup."});
    QVERIFY(!screen->worker()->isRunning());
    for (int type = 0; type < 6; ++type) {
        QVERIFY(checkBox(type)->isVisible());
        QVERIFY(screen->categoryItem(type)->isItemEnabled());
    }
}

void BackupFlowTest::fullBackupWritesEveryRecordAndFile() {
    // Nothing fetched yet: the worker flushes every category itself.
    contactListHead = nullptr;
    smsThreadListHead = nullptr;
    callGroupListHead = nullptr;
    for (int type = 0; type < 6; ++type) MobrelApi_SetItemisUnLoaded(type);
    BackupDataThread worker;
    worker.setPacing(0, 0);
    const RunFolder run = createOutputFolder(brand, model);
    QVERIFY(run.created);
    worker.runFolder = run.folder;
    worker.backupMode = true;
    for (auto& state : worker.categoryState) state = BackupDataThread::kChosen;
    QElapsedTimer clock;
    clock.start();
    worker.start();
    QVERIFY(worker.wait(kLongWaitMs));
    qInfo("full backup, pauses shortened to 0: %lld ms", clock.elapsed());
    fullRun = run.folder;

    const QJsonObject summary = summaryOf(run.folder);
    for (int type = 0; type < 6; ++type) {
        QVERIFY2(worker.categoryComplete[type], kFolders[type]);
        QCOMPARE(worker.categoryState[type].load(), BackupDataThread::kWritten);
        QCOMPARE(worker.doneCount[type].load(), quint32(storeCount(sim, type)));
        QCOMPARE(summary[kSummaryKeys[type]].toString(), QString::number(worker.doneCount[type]));
    }
    // Every record, in the phone's order.
    const std::vector<Fields> contacts = storeContacts(sim.storePath());
    const QList<QJsonObject> written = members(dataFile(run.folder, "Contacts"));
    QCOMPARE(written.size(), int(contacts.size()));
    for (size_t i = 0; i < contacts.size(); ++i)
        QCOMPARE(written[int(i)]["SessionID"].toString().toStdString(), contacts[i].at("contactId").value_or(""));
    const std::vector<Group> conversations = storeConversations(sim.storePath());
    const QList<QJsonObject> groups = members(dataFile(run.folder, "SMS"), "Group_");
    QCOMPARE(groups.size(), int(conversations.size()));
    for (size_t g = 0; g < conversations.size(); ++g) {
        const QList<QJsonObject> messages = members(groups[int(g)]);
        QCOMPARE(messages.size(), int(conversations[g].records.size()));
        for (int m = 0; m < messages.size(); ++m)
            QCOMPARE(messages[m]["Text"].toString().toStdString(),
                     conversations[g].records[size_t(m)].at("body").value_or(""));
    }
    QCOMPARE(members(dataFile(run.folder, "CallHistory"), "Group_").size(),
             int(storeCallGroups(sim.storePath()).size()));
    // The media copies are the phone's files byte for byte.
    for (int type = 3; type < 6; ++type)
        QVERIFY2(filesIn(run.folder + "/" + kFolders[type]) == phoneFiles(sim, *kMediaKinds[type - 3]), kFolders[type]);
    for (const char* page : {"index.html", "Contacts/Contacts.html", "SMS/SMS.html", "CallHistory/CallHistory.html"})
        QVERIFY2(QFileInfo::exists(run.folder + "/" + page), page);
}

void BackupFlowTest::viewerShowsTheRun() {
    QVERIFY(!fullRun.isEmpty());
    QProcess python;
    python.setProcessChannelMode(QProcess::MergedChannels);
    python.start("python3", {VIEWER_TEST, "--template", QCoreApplication::applicationDirPath() + "/resource",
                             "--run", fullRun});
    QVERIFY(python.waitForFinished(180000));
    const QByteArray output = python.readAll();
    if (python.exitCode() == 77) QSKIP("chromium is not installed");
    QVERIFY2(python.exitCode() == 0, output.constData());
}

void BackupFlowTest::screenBackupAtTheDesignedPace() {
    tickOnly({0, 1, 2, 3, 4, 5});
    answerBoxes(true);
    QSignalSpy navigation(screen.get(), &MobrelBackupWidget::navigationEnabled);
    QSignalSpy listChanged(screen.get(), &MobrelBackupWidget::backupListChanged);
    // What the entries show while the run goes on.
    QSet<QString> texts;
    QSet<QString> statuses;
    QTimer watcher;
    watcher.setInterval(50);
    connect(&watcher, &QTimer::timeout, this, [&] {
        for (int type = 0; type < 6; ++type) {
            texts << screen->categoryItem(type)->findChild<QLabel*>("nameLabel")->text();
            const auto* status = screen->categoryItem(type)->findChild<QLabel*>("statusLabel");
            if (status->isVisible()) statuses << status->text();
        }
    });
    watcher.start();
    shoot(screen.get(), "idle");
    QTimer::singleShot(3000, this, [this] { shoot(screen.get(), "running"); });
    GuiStallMeter meter;
    meter.start();
    QElapsedTimer clock;
    clock.start();
    click(screen->actionButton());
    QVERIFY(screen->worker()->isRunning());
    QVERIFY(!screen->actionButton()->isButtonEnabled());
    QVERIFY(!screen->outputFolderButton()->isButtonEnabled());
    QVERIFY(waitUntil([&] { return !boxes.isEmpty(); }, kLongWaitMs));
    const qint64 elapsed = clock.elapsed();
    meter.stop();
    watcher.stop();
    qInfo("full backup at the designed pace: %lld ms; longest GUI stall %lld ms", elapsed, meter.longestStallMs());
#ifndef __SANITIZE_ADDRESS__  // the sanitizer slows every allocation, Qt's painting too
    QVERIFY(meter.longestStallMs() < 100);
#endif

    // The pauses are in force: one after every record and after each record category's page.
    const BackupDataThread& worker = *screen->worker();
    const quint32 records = worker.doneCount[0] + worker.doneCount[1] + worker.doneCount[2];
    QVERIFY2(elapsed >= qint64(records * BackupDataThread::kRecordPauseMs + 3 * BackupDataThread::kPagePauseMs),
             qPrintable(QString::number(elapsed)));
    QVERIFY(statuses.contains("Waiting") && statuses.contains("Success"));
    const QRegularExpression contactsProgress("^Contacts \\((\\d+) / (\\d+)\\)$");
    bool midway = false;
    for (const QString& text : texts) {
        const auto match = contactsProgress.match(text);
        midway = midway || (match.hasMatch() && match.captured(1).toInt() > 0 &&
                            match.captured(1).toInt() < match.captured(2).toInt());
    }
    QVERIFY(midway);

    QCOMPARE(boxes, QStringList{"Backup finished|The backup process is finished. Do you want to open the output folder now?"});
    QCOMPARE(opened, QStringList{worker.runFolder});
    QCOMPARE(recordedFolder(worker.runName), worker.runFolder);
    QCOMPARE(listChanged.count(), 1);
    QCOMPARE(navigation.count(), 2);
    QCOMPARE(navigation[0][0].toBool(), false);
    QCOMPARE(navigation[1][0].toBool(), true);
    QVERIFY(screen->actionButton()->isButtonEnabled());
    QCOMPARE(screen->categoryItem(0)->findChild<QLabel*>("nameLabel")->text(),
             QString("Contacts (%1)").arg(MobrelApi_GetPersonCount()));
    QVERIFY(checkBox(0)->isVisible());
}

void BackupFlowTest::exportWritesOnlyTheTickedConversation() {
    // The second conversation ticked through its first message; the third has
    // only a later message ticked and stays out.
    QVERIFY(smsThreadListHead && smsThreadListHead->next && smsThreadListHead->next->next);
    for (MobrelSmsThread* t = smsThreadListHead; t; t = t->next)
        for (MobrelSms* m = t->firstMessage; m; m = m->next) m->checkMark = 0;
    MobrelSmsThread* chosen = smsThreadListHead->next;
    chosen->firstMessage->checkMark = 1;
    MobrelSmsThread* third = chosen->next;
    if (third->firstMessage->next) third->firstMessage->next->checkMark = 1;
    quint32 messages = 0;
    for (MobrelSms* m = chosen->firstMessage; m; m = m->next) ++messages;

    answerBoxes(false);
    screen->worker()->setPacing(0, 0);
    CountingView view;
    QVERIFY(screen->startExport(1, &view));
    QVERIFY(!screen->startExport(0, &view));  // one run at a time
    QVERIFY(waitUntil([&] { return !boxes.isEmpty(); }, kLongWaitMs));
    for (MobrelSmsThread* t = smsThreadListHead; t; t = t->next)
        for (MobrelSms* m = t->firstMessage; m; m = m->next) m->checkMark = 1;

    const BackupDataThread& worker = *screen->worker();
    QCOMPARE(view.ended, 1);
    QCOMPARE(boxes, QStringList{"Backup finished|The backup process is finished. Do you want to open the output folder now?"});
    QVERIFY(opened.isEmpty());
    QCOMPARE(recordedFolder(worker.runName), worker.runFolder);
    const QList<QJsonObject> groups = members(dataFile(worker.runFolder, "SMS"), "Group_");
    QCOMPARE(groups.size(), 1);
    QCOMPARE(quint32(members(groups[0]).size()), messages);
    QCOMPARE(members(groups[0])[0]["Phone"].toString(), QString::fromUtf8(chosen->firstMessage->address));
    QCOMPARE(worker.doneCount[1].load(), messages);
    QCOMPARE(summaryOf(worker.runFolder), QJsonObject({{"Messages", QString::number(messages)}}));
    QVERIFY(!QFileInfo::exists(worker.runFolder + "/Contacts"));
}

void BackupFlowTest::stoppedExportLeavesNoFolder() {
    QTest::qWait(1100);  // run folders are named to the second: not the last run's folder
    answerBoxes(true);
    BackupDataThread& worker = *screen->worker();
    worker.setPacing(BackupDataThread::kRecordPauseMs, BackupDataThread::kPagePauseMs);
    CountingView view;
    QVERIFY(screen->startExport(0, &view));
    QVERIFY(waitUntil([&] { return worker.doneCount[0] > 0; }, kLongWaitMs));
    QVERIFY(QFileInfo(worker.runFolder).isDir());
    screen->stopWorker();
    QVERIFY(waitUntil([&] { return view.ended == 1; }, kLongWaitMs));
    QVERIFY(worker.doneCount[0] < quint32(MobrelApi_GetPersonCount()));
    QVERIFY(!QFileInfo::exists(worker.runFolder));
    QVERIFY(boxes.isEmpty());
    QVERIFY(recordedFolder(worker.runName).isEmpty());
}

void BackupFlowTest::failedCategoryIsReportedIncomplete() {
    // The contacts are fetched anew and the phone spoils their first page.
    contactListHead = nullptr;
    MobrelApi_SetItemisUnLoaded(0);
    sim.setFaults(spoiled("getcontactpart10"));
    tickOnly({0, 2});
    answerBoxes(false);
    screen->worker()->setPacing(0, 0);
    click(screen->actionButton());
    QVERIFY(waitUntil([&] { return !boxes.isEmpty(); }, kLongWaitMs));
    sim.setFaults(phonesim::Faults{});
    contactListHead = nullptr;
    MobrelApi_SetItemisUnLoaded(0);
    tickOnly({0, 1, 2, 3, 4, 5});

    // Told apart from a finished backup; still recorded with what it holds.
    const BackupDataThread& worker = *screen->worker();
    QCOMPARE(boxes, QStringList{"Backup incomplete|The backup process is finished, but these categories could not "
                                "be saved completely: Contacts. Do you want to open the output folder now?"});
    QVERIFY(!worker.categoryComplete[0]);
    QVERIFY(worker.categoryComplete[2]);
    QCOMPARE(recordedFolder(worker.runName), worker.runFolder);
    QCOMPARE(summaryOf(worker.runFolder),
             QJsonObject({{"Contacts", "0"}, {"CallLogs", QString::number(worker.doneCount[2])}}));
}

int main(int argc, char** argv) {
    // The phone first: it points HOME and the XDG folders at its own temporary folder.
    PhoneSim sim;
    const auto up = bringUp(sim, {.dataset = "small"});
    if (!up) {
        fprintf(stderr, "phone did not come up: %s\n", up.message());
        return 1;
    }
    QApplication app(argc, argv);
    BackupFlowTest test(sim);
    return QTest::qExec(&test, argc, argv);
}

#include "backup_flow_test.moc"
