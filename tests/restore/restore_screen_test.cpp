// The restore screen against phonesim's small phone behind the real adb: the
// runs the backup screen writes as the screen lists and prunes them, the counts
// of a backup, its boxes, a restore through the messaging-app wait, failures
// and "Add Data". One phone serves the whole process; the functions run in order.
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>

#include "MobrelBackupWidget.h"
#include "MobrelRestoreWidget.h"
#include "MyMessageBoxWidget.h"
#include "MyPushButton.h"
#include "base/paths.h"
#include "gui_stall_meter.h"
#include "screen_kit.h"

using namespace mobreltest;

namespace {

constexpr int kLongWaitMs = 120000;
constexpr char kFinished[] = "Restore finished|The restore process is finished.";

// The least a run folder needs to be listed: the viewer's page, the summary
// and a contacts file.
QString makeRun(const QString& run, const QByteArray& summary) {
    writeFile((run + "/index.html").toStdString(), "<html></html>");
    writeDataFile(run, DataFile::BackupInfo, summary);
    writeDataFile(run, DataFile::Contacts, "{}");
    return run;
}

}  // namespace

class RestoreScreenTest : public QObject {
    Q_OBJECT

public:
    explicit RestoreScreenTest(PhoneSim& phone) : sim(phone) {}

private slots:
    void initTestCase() {
        QVERIFY(runs.isValid());
        const PhoneName phone = connectedPhone();
        QVERIFY(!phone.brand.isEmpty());
        deviceText = phone.shown;
        backupScreen.setLanguageTexts();
        backupScreen.setSourceDevice(true, phone.shown, phone.brand, phone.model);
        backupScreen.worker()->setPacing(0, 0);
        showScreen(*screen);
        screen->setDestinationDevice(true, deviceText);
        // As the main window wires them.
        connect(&backupScreen, &MobrelBackupWidget::backupListChanged, screen.get(), &MobrelRestoreWidget::reloadBackupList);
    }
    void init() { screen->worker()->setPacing(0, 0, 0); }
    void backupsAreListed() {
        QStringList runNames;
        QStringList runFolders;
        for (const std::set<int>& ticked : {std::set<int>{0, 1, 2}, std::set<int>{0}}) {
            for (int type = 0; type < 6; ++type) backupScreen.categoryItem(type)->setChecked(ticked.count(type) > 0);
            answerer.boxes.clear();
            backupScreen.backupButton_slots();
            QVERIFY(answerer.waitForBox());
            runNames << backupScreen.worker()->runName;
            runFolders << backupScreen.worker()->runFolder;
        }
        fullRunName = runNames[0];
        fullRun = runFolders[0];
        fullCounts = {storeCount(sim, 0), storeCount(sim, 1), storeCount(sim, 2)};

        // Both runs of today, in the file's order; each line shows its own backup.
        const QString today = QDate::currentDate().toString("MM/dd/yyyy");
        QCOMPARE(lines(), QStringList({deviceText + "  " + today, deviceText + "  " + today}));
        const QStringList keys = listedKeys();
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()), QSet<QString>(runNames.begin(), runNames.end()));
        combo->setCurrentIndex(int(keys.indexOf(fullRunName)));
        saveShot(screen.get(), "restore-page");
        QVERIFY(QRegularExpression("^Backup time:  \\d\\d:\\d\\d:\\d\\d " + QRegularExpression::escape(today) + "$")
                    .match(screen->findChild<QLabel*>("backupTimeLabel")->text())
                    .hasMatch());
        fullEntries = QStringList{QString("Contacts (%1)").arg(fullCounts[0]), QString("SMS (%1)").arg(fullCounts[1]),
                                  QString("Call Logs (%1)").arg(fullCounts[2]), "Photos (0) off", "Videos (0) off",
                                  "Musics (0) off"};
        QCOMPARE(entryLines(*screen), fullEntries);

        // A run folder deleted by hand leaves the list and the file.
        QVERIFY(QDir(runFolders[1]).removeRecursively());
        screen->reloadBackupList();
        QCOMPARE(lines(), QStringList{deviceText + "  " + today});
        QCOMPARE(listedKeys(), QStringList{fullRunName});
    }
    void entriesShowTheCounts_data() {
        QTest::addColumn<QByteArray>("summary");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("no messages but many calls")
            << QByteArray(R"({"Version":"1","BackupInfo":{"Contacts":"3","Messages":"0","CallLogs":"70000","Musics":"2"}})")
            << QStringList{"Contacts (3)", "SMS (0) off", "Call Logs (70000)", "Photos (0) off", "Videos (0) off", "Musics (2)"};
        QTest::newRow("unparsable") << QByteArray(R"({"BackupInfo":{"Contacts":"3")")
                                    << QStringList{"Contacts (0) off", "SMS (0) off",    "Call Logs (0) off",
                                                   "Photos (0) off",   "Videos (0) off", "Musics (0) off"};
    }
    void entriesShowTheCounts() {
        QFETCH(QByteArray, summary);
        QFETCH(QStringList, entries);
        const QString run = makeRun(runs.filePath(QTest::currentDataTag()), summary);
        useList("[General]\n01-02-2023-10-11-12-Counted=" + run.toUtf8() + "\n");
        QCOMPARE(lines(), QStringList{"Counted  01/02/2023"});
        QCOMPARE(screen->findChild<QLabel*>("backupTimeLabel")->text(), "Backup time:  10:11:12 01/02/2023");
        QCOMPARE(entryLines(*screen), entries);
        // A list file that cannot be read changes nothing.
        QVERIFY(QFile::remove(backupListFile()) && QDir().mkdir(backupListFile()));
        screen->reloadBackupList();
        QCOMPARE(lines(), QStringList{"Counted  01/02/2023"});
        QVERIFY(QDir(backupListFile()).removeRecursively());
    }
    void nothingToRestoreAsks_data() {
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QString>("box");
        QTest::newRow("nothing listed") << false << "Tolvane Mobrel|No item to restore. Please backup the device frist.";
        QTest::newRow("nothing ticked") << true << "Tolvane Mobrel|Please select an item to restore.";
    }
    void nothingToRestoreAsks() {
        QFETCH(bool, listed);
        QFETCH(QString, box);
        useList(listed ? fullRunList(fullRun) : QByteArray());
        answerer.boxes.clear();
        click(screen->actionButton());
        QCOMPARE(answerer.boxes, QStringList{box});
        QVERIFY(!screen->worker()->isRunning());
        // The entries are usable again.
        const QStringList none{"Contacts (0) off", "SMS (0) off", "Call Logs (0) off", "Photos (0) off", "Videos (0) off",
                               "Musics (0) off"};
        QCOMPARE(entryLines(*screen), listed ? fullEntries : none);
    }
    // Contacts at the designed pace, with their progress; then the messages wait
    // for the phone's user, who never makes the companion the messaging app, with
    // the calls waiting behind them, until "Skip"; the calls follow.
    void messagesWaitForTheUserAndCanBeSkipped() {
        screen->worker()->setPacing(RestoreDataThread::kRecordPauseMs, RestoreDataThread::kSmsAppPollMs,
                                    RestoreDataThread::kImportSettleMs);
        phonesim::Faults never;
        never.neverAccept = true;
        ScopedFaults faults(sim, never);
        const std::array<size_t, 3> before{storeCount(sim, 0), storeCount(sim, 1), storeCount(sim, 2)};
        QSignalSpy navigation(screen.get(), &MobrelRestoreWidget::navigationEnabled);
        QSignalSpy finished(screen.get(), &MobrelRestoreWidget::restoreFinished);
        QSet<QString> contactTexts;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] { contactTexts << entryLines(*screen)[0]; });
        watcher.start(50);
        auto* prompt = screen->findChild<MyMessageBoxWidget*>("smsPromptBox");
        QElapsedTimer clock;
        clock.start();
        startRestore({0, 1, 2});
        QVERIFY(screen->worker()->isRunning());
        QVERIFY(!screen->actionButton()->isButtonEnabled());
        QVERIFY(waitUntil([&] { return prompt->isVisible(); }, kLongWaitMs));
        QTest::qWait(300);
        QVERIFY(prompt->isVisible() && screen->worker()->waitingForSmsApp);
        QCOMPARE(screen->worker()->categoryState[2].load(), RestoreDataThread::kChosen);
        auto* skip = prompt->findChild<MyPushButton*>("leftButton");
        QCOMPARE(QStringList({prompt->findChild<QLabel*>("titleLabel")->text(), prompt->findChild<QLabel*>("textLabel")->text(),
                              skip->buttonText(), prompt->findChild<MyPushButton*>("rightButton")->buttonText()}),
                 QStringList({"Restore SMS", "Please click \"Yes\" on your android phone, or skip copying the SMS", "Skip",
                              "OK"}));
        saveShot(screen.get(), "restore-waiting");
        click(skip);
        QVERIFY(answerer.waitForBox(kLongWaitMs));
        const qint64 elapsed = clock.elapsed();
        watcher.stop();
        // The pauses are in force: after every element, and between two questions about the messaging app.
        QVERIFY2(elapsed >= qint64(RestoreDataThread::kSmsAppPollMs +
                                   (fullCounts[0] + fullCounts[2]) * RestoreDataThread::kRecordPauseMs),
                 qPrintable(QString::number(elapsed)));

        QCOMPARE(answerer.boxes, QStringList{kFinished});
        QVERIFY(!prompt->isVisible());
        QCOMPARE(storeCount(sim, 0) - before[0], fullCounts[0]);
        QCOMPARE(storeCount(sim, 1), before[1]);
        QCOMPARE(storeCount(sim, 2) - before[2], fullCounts[2]);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(boolArguments(navigation), QList<bool>({false, true}));
        QVERIFY(screen->actionButton()->isButtonEnabled());
        QCOMPARE(entryLines(*screen), fullEntries);
        const QRegularExpression progress(QString("^Contacts \\((\\d+) / %1\\)").arg(fullCounts[0]));
        QVERIFY(std::any_of(contactTexts.begin(), contactTexts.end(), [&](const QString& text) {
            const QRegularExpressionMatch match = progress.match(text);
            return match.hasMatch() && match.captured(1).toULong() > 0 && match.captured(1).toULong() < fullCounts[0];
        }));
    }
    void failuresAreReported_data() {
        QTest::addColumn<bool>("phoneRefuses");
        QTest::addColumn<QString>("line");
        QTest::newRow("phone refuses contacts") << true << QString("Contacts: %1 of %1 not restored").arg(fullCounts[0]);
        QTest::newRow("unreadable contacts file") << false << "Contacts: could not be read";
    }
    void failuresAreReported() {
        QFETCH(bool, phoneRefuses);
        QFETCH(QString, line);
        QString run = fullRun;
        if (!phoneRefuses) {
            run = runs.filePath("spoiled");
            std::filesystem::copy(fullRun.toStdString(), run.toStdString(), std::filesystem::copy_options::recursive);
            writeDataFile(run, DataFile::Contacts, R"({"1":{"SessionID":)");
        }
        phonesim::Faults refusing;
        if (phoneRefuses) refusing.refuseCommand = "AddPerson";
        ScopedFaults faults(sim, refusing);
        const size_t contacts = storeCount(sim, 0);
        QSignalSpy finished(screen.get(), &MobrelRestoreWidget::restoreFinished);
        startRestore({0, 2}, run);
        QVERIFY(answerer.waitForBox(kLongWaitMs));
        // Only the category that lost records is named.
        QCOMPARE(answerer.boxes, QStringList{"Restore incomplete|Some data could not be restored:\n" + line});
        QCOMPARE(finished.count(), 1);
        QCOMPARE(storeCount(sim, 0), contacts);
    }
    void importReportsMissingFiles() {
        const QString picture = runs.filePath("picture.png");
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(picture));
        const QStringList files{picture, runs.filePath("missing.png")};
        const size_t photos = storeCount(sim, 3);

        QSignalSpy imported(screen.get(), &MobrelRestoreWidget::importFinished);
        QSignalSpy restored(screen.get(), &MobrelRestoreWidget::restoreFinished);
        QVERIFY(!screen->startImport({}, 3));
        QVERIFY(!screen->startImport(files, 1));
        answerer.boxes.clear();
        QVERIFY(screen->startImport(files, 3));
        QVERIFY(!screen->startImport(files, 3));  // one run at a time
        QVERIFY(answerer.waitForBox(kLongWaitMs));
        QCOMPARE(imported.count(), 1);
        QCOMPARE(imported[0][0].toInt(), 3);
        QCOMPARE(restored.count(), 0);
        QCOMPARE(answerer.boxes, QStringList{"Add Data|1 of the 2 chosen files could not be added to the phone."});
        QCOMPARE(storeCount(sim, 3), photos + 1);
    }
    void closingEndsAWaitingRestore() {
        phonesim::Faults never;
        never.neverAccept = true;
        ScopedFaults faults(sim, never);
        const size_t messages = storeCount(sim, 1);
        startRestore({1});
        auto* prompt = screen->findChild<MyMessageBoxWidget*>("smsPromptBox");
        QVERIFY(waitUntil([&] { return prompt->isVisible(); }, kLongWaitMs));
        // Would wait for the user for ever, or end the process, if the screen did
        // not end its worker.
        screen.reset();
        QCOMPARE(storeCount(sim, 1), messages);
    }

private:
    // Writes the backup list file and makes the screen read it.
    void useList(const QByteArray& ini) {
        writeFile(backupListFile().toStdString(), ini.toStdString());
        screen->reloadBackupList();
    }
    QByteArray fullRunList(const QString& folder) const { return "[General]\n" + (fullRunName + "=" + folder).toUtf8(); }
    QStringList listedKeys() { return QSettings(backupListFile(), QSettings::IniFormat).allKeys(); }
    QStringList lines() const {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
        return texts;
    }
    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    // Lists the full run (or a copy of it) alone, ticks the categories and presses "Restore".
    void startRestore(std::initializer_list<int> types, const QString& run = QString()) {
        useList(fullRunList(run.isEmpty() ? fullRun : run));
        for (int type : types) click(screen->categoryItem(type)->findChild<QWidget*>("checkButton"));
        answerer.boxes.clear();
        click(screen->actionButton());
    }

    PhoneSim& sim;
    QTemporaryDir runs;
    MobrelBackupWidget backupScreen;
    std::unique_ptr<MobrelRestoreWidget> screen = std::make_unique<MobrelRestoreWidget>();
    QComboBox* combo = screen->findChild<QComboBox*>();
    BoxAnswerer answerer;
    QString deviceText;
    QString fullRun;  // contacts, messages and calls of the phone
    QString fullRunName;
    std::array<size_t, 3> fullCounts{};
    QStringList fullEntries;  // what the entries show for it
};

int main(int argc, char** argv) { return execWithPhone<RestoreScreenTest>(argc, argv, {.dataset = "small"}); }

#include "restore_screen_test.moc"
