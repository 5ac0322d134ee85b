// The backup worker and the backup screen against phonesim's small phone
// behind the real adb: what a run folder holds, the screen's progress, its
// questions and the backup list, exports, stops and a category that fails.
// One phone serves the whole process; the functions run in order.
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>
#include <set>

#include "ExportingView.h"
#include "MobrelBackupWidget.h"
#include "MyPushButton.h"
#include "base/listheads.h"
#include "base/paths.h"
#include "gui_stall_meter.h"
#include "library_records.h"
#include "mobrelclient.h"
#include "runfiles.h"
#include "screen_kit.h"

using namespace mobreltest;

namespace {

constexpr int kLongWaitMs = 300000;
const char* const kSummaryKeys[6] = {"Contacts", "Messages", "CallLogs", "Photos", "Videos", "Musics"};
const QString kFinished = "Backup finished|The backup process is finished. Do you want to open the output folder now?";

QJsonObject summaryOf(const QString& run) { return readDataJson(run, DataFile::BackupInfo)["BackupInfo"].toObject(); }

// A key of a data file's records in file order ("1", "2", ... of the root or of
// each group "Group_1", ...), each group's followed by "|".
QStringList fileColumn(const QString& run, DataFile file, const char* key) {
    const QJsonObject root = readDataJson(run, file);
    const bool grouped = file != DataFile::Contacts;
    QStringList texts;
    for (int g = 1; grouped ? root.contains(QString("Group_%1").arg(g)) : g == 1; ++g) {
        const QJsonObject group = grouped ? root[QString("Group_%1").arg(g)].toObject() : root;
        for (int n = 1; group.contains(QString::number(n)); ++n) texts << group[QString::number(n)][key].toString();
        texts << "|";
    }
    return texts;
}

// The same of the phone's records as the store says the library lists them.
QStringList storeColumn(const std::vector<Group>& groups, const char* field) {
    QStringList texts;
    for (const Group& group : groups) {
        for (const Fields& record : group.records) texts << QString::fromStdString(record.at(field).value_or(""));
        texts << "|";
    }
    return texts;
}

std::multiset<std::string> filesIn(const QString& folder) {
    std::multiset<std::string> contents;
    for (const auto& [name, bytes] : treeContents(folder.toStdString())) contents.insert(bytes);
    return contents;
}

std::multiset<std::string> phoneFiles(const PhoneSim& sim, const MediaKind& kind) {
    std::multiset<std::string> contents;
    for (const MediaItem& item : storeItems(sim, kind))
        contents.insert(readFile(sim.sdcardPath() / item.path.substr(kStoragePrefix.size())));
    return contents;
}

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
    void initTestCase() {
        const PhoneName phone = connectedPhone();
        QVERIFY(!phone.brand.isEmpty());
        showScreen(screen);
        screen.setSourceDevice(true, phone.shown, phone.brand, phone.model);
        QDesktopServices::setUrlHandler("file", this, "openFolder");
    }
    void init() {
        answerer.boxes.clear();
        opened.clear();
    }
    void nothingTickedAsksForASelection() {
        tickOnly({});
        click(screen.actionButton());
        QCOMPARE(answerer.boxes, QStringList{"Tolvane Mobrel|Please select an item to backup."});
        QVERIFY(!screen.worker()->isRunning());
        for (const QString& line : entryLines(screen)) QVERIFY2(!line.contains(" off") && !line.contains("["), qPrintable(line));
    }
    // Nothing is fetched yet: the worker fetches every category itself, pausing as
    // designed, while the entries show its progress and the window keeps running.
    // The run holds every record in the phone's order and every file byte for byte.
    void fullBackupAtTheDesignedPace() {
        tickOnly({0, 1, 2, 3, 4, 5});
        answerer.left = true;
        QSignalSpy navigation(&screen, &MobrelBackupWidget::navigationEnabled);
        QSignalSpy listChanged(&screen, &MobrelBackupWidget::backupListChanged);
        QSet<QString> seen;  // what the entries show while the run goes on
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            for (const QString& line : entryLines(screen)) seen << line;
        });
        watcher.start(50);
        saveShot(&screen, "backup-idle");
        QTimer::singleShot(3000, this, [this] { saveShot(&screen, "backup-running"); });
        GuiStallMeter meter;
        meter.start();
        QElapsedTimer clock;
        clock.start();
        click(screen.actionButton());
        QVERIFY(screen.worker()->isRunning());
        QVERIFY(!screen.actionButton()->isButtonEnabled());
        QVERIFY(!screen.outputFolderButton()->isButtonEnabled());
        QVERIFY(answerer.waitForBox(kLongWaitMs));
        const qint64 elapsed = clock.elapsed();
        meter.stop();
        watcher.stop();
        answerer.left = false;
        qInfo("full backup at the designed pace: %lld ms; longest GUI stall %lld ms", elapsed, meter.longestStallMs());
    #ifndef __SANITIZE_ADDRESS__  // the sanitizer slows every allocation, Qt's painting too
        QVERIFY(meter.longestStallMs() < 100);
    #endif

        // The pauses are in force: one after every record and after each record category's page.
        const BackupDataThread& worker = *screen.worker();
        const quint32 records = worker.doneCount[0] + worker.doneCount[1] + worker.doneCount[2];
        QVERIFY2(elapsed >= qint64(records * BackupDataThread::kRecordPauseMs + 3 * BackupDataThread::kPagePauseMs),
                 qPrintable(QString::number(elapsed)));
        const auto seenEnding = [&](const QString& end) {
            return std::any_of(seen.begin(), seen.end(), [&](const QString& line) { return line.endsWith(end); });
        };
        QVERIFY(seenEnding(" [Waiting]") && seenEnding(" [Success]"));
        const QRegularExpression contactsProgress("^Contacts \\((\\d+) / (\\d+)\\)");
        QVERIFY(std::any_of(seen.begin(), seen.end(), [&](const QString& line) {
            const QRegularExpressionMatch match = contactsProgress.match(line);
            return match.hasMatch() && match.captured(1).toInt() > 0 && match.captured(1).toInt() < match.captured(2).toInt();
        }));

        QCOMPARE(answerer.boxes, QStringList{kFinished});
        QCOMPARE(opened, QStringList{worker.runFolder});
        QCOMPARE(recordedFolder(worker.runName), worker.runFolder);
        QCOMPARE(listChanged.count(), 1);
        QCOMPARE(boolArguments(navigation), QList<bool>({false, true}));
        QVERIFY(screen.actionButton()->isButtonEnabled());
        QCOMPARE(entryLines(screen)[0].remove(" ticked"), QString("Contacts (%1)").arg(MobrelApi_GetPersonCount()));

        fullRun = worker.runFolder;
        const QJsonObject summary = summaryOf(fullRun);
        for (int type = 0; type < 6; ++type) {
            QVERIFY2(worker.categoryComplete[type] && worker.categoryState[type] == BackupDataThread::kWritten, kSummaryKeys[type]);
            QCOMPARE(worker.doneCount[type].load(), quint32(storeCount(sim, type)));
            QCOMPARE(summary[kSummaryKeys[type]].toString(), QString::number(worker.doneCount[type]));
        }
        QCOMPARE(fileColumn(fullRun, DataFile::Contacts, "SessionID"),
                 storeColumn({Group{"", storeContacts(sim.storePath())}}, "contactId"));
        QCOMPARE(fileColumn(fullRun, DataFile::Sms, "Text"), storeColumn(storeConversations(sim.storePath()), "body"));
        QCOMPARE(fileColumn(fullRun, DataFile::CallHistory, "Phone"), storeColumn(storeCallGroups(sim.storePath()), "number"));
        for (int type = 3; type < 6; ++type)
            QVERIFY2(filesIn(fullRun + "/" + kCategoryFolders[type]) == phoneFiles(sim, *kMediaKinds[type - 3]),
                     kCategoryFolders[type]);
        for (const char* page : {"index.html", "Contacts/Contacts.html", "SMS/SMS.html", "CallHistory/CallHistory.html"})
            QVERIFY2(QFileInfo::exists(fullRun + "/" + page), page);
    }
    void viewerShowsTheRun() {
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
    void exportWritesOnlyTheTickedConversation() {
        // The second conversation ticked through its first message; the third has
        // only a later message ticked and stays out.
        QVERIFY(smsThreadListHead && smsThreadListHead->next && smsThreadListHead->next->next);
        for (MobrelSmsThread* t = smsThreadListHead; t; t = t->next)
            for (MobrelSms* m = t->firstMessage; m; m = m->next) m->checkMark = 0;
        MobrelSmsThread* chosen = smsThreadListHead->next;
        chosen->firstMessage->checkMark = 1;
        MobrelSmsThread* third = chosen->next;
        if (third->firstMessage->next) third->firstMessage->next->checkMark = 1;
        QStringList addresses;  // of the chosen conversation's messages, then the end of its group
        for (MobrelSms* m = chosen->firstMessage; m; m = m->next) addresses << m->address;
        const quint32 messages = quint32(addresses.size());
        addresses << "|";

        screen.worker()->setPacing(0, 0);
        CountingView view;
        QVERIFY(screen.startExport(1, &view));
        QVERIFY(!screen.startExport(0, &view));  // one run at a time
        QVERIFY(answerer.waitForBox(kLongWaitMs));
        for (MobrelSmsThread* t = smsThreadListHead; t; t = t->next)
            for (MobrelSms* m = t->firstMessage; m; m = m->next) m->checkMark = 1;

        const BackupDataThread& worker = *screen.worker();
        QCOMPARE(view.ended, 1);
        QCOMPARE(answerer.boxes, QStringList{kFinished});
        QVERIFY(opened.isEmpty());
        QCOMPARE(recordedFolder(worker.runName), worker.runFolder);
        QCOMPARE(fileColumn(worker.runFolder, DataFile::Sms, "Phone"), addresses);
        QCOMPARE(worker.doneCount[1].load(), messages);
        QCOMPARE(summaryOf(worker.runFolder), QJsonObject({{"Messages", QString::number(messages)}}));
        QVERIFY(!QFileInfo::exists(worker.runFolder + "/Contacts"));
    }
    void stoppedExportLeavesNoFolder() {
        QTest::qWait(1100);  // run folders are named to the second: not the last run's folder
        BackupDataThread& worker = *screen.worker();
        worker.setPacing(BackupDataThread::kRecordPauseMs, BackupDataThread::kPagePauseMs);
        CountingView view;
        QVERIFY(screen.startExport(0, &view));
        QVERIFY(waitUntil([&] { return worker.doneCount[0] > 0; }, kLongWaitMs));
        QVERIFY(QFileInfo(worker.runFolder).isDir());
        screen.stopWorker();
        QVERIFY(waitUntil([&] { return view.ended == 1; }, kLongWaitMs));
        QVERIFY(worker.doneCount[0] < quint32(MobrelApi_GetPersonCount()));
        QVERIFY(!QFileInfo::exists(worker.runFolder));
        QVERIFY(answerer.boxes.isEmpty());
        QVERIFY(recordedFolder(worker.runName).isEmpty());
    }
    void failedCategoryIsReportedIncomplete() {
        // The contacts are fetched anew and the phone spoils their first page.
        contactListHead = nullptr;
        MobrelApi_SetItemisUnLoaded(0);
        ScopedFaults faults(sim, spoiled("getcontactpart10"));
        tickOnly({0, 2});
        screen.worker()->setPacing(0, 0);
        click(screen.actionButton());
        QVERIFY(answerer.waitForBox(kLongWaitMs));

        // Told apart from a finished backup; still recorded with what it holds.
        const BackupDataThread& worker = *screen.worker();
        QCOMPARE(answerer.boxes, QStringList{"Backup incomplete|The backup process is finished, but these categories could "
                                             "not be saved completely: Contacts. Do you want to open the output folder now?"});
        QVERIFY(!worker.categoryComplete[0]);
        QVERIFY(worker.categoryComplete[2]);
        QCOMPARE(recordedFolder(worker.runName), worker.runFolder);
        QCOMPARE(summaryOf(worker.runFolder),
                 QJsonObject({{"Contacts", "0"}, {"CallLogs", QString::number(worker.doneCount[2])}}));
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler("file"); }

private:
    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void tickOnly(std::set<int> types) {
        for (int type = 0; type < 6; ++type) {
            if (screen.categoryItem(type)->isChecked() != (types.count(type) > 0))
                click(screen.categoryItem(type)->findChild<QWidget*>("checkButton"));
            QCOMPARE(screen.categoryItem(type)->isChecked(), types.count(type) > 0);
        }
    }
    QString recordedFolder(const QString& runName) {
        return QSettings(backupListFile(), QSettings::IniFormat).value(runName).toString();
    }

    PhoneSim& sim;
    MobrelBackupWidget screen;
    BoxAnswerer answerer;
    QStringList opened;
    QString fullRun;
};

int main(int argc, char** argv) { return execWithPhone<BackupFlowTest>(argc, argv, {.dataset = "small"}); }

#include "backup_flow_test.moc"
