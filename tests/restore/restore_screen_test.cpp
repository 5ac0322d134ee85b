// The restore screen against phonesim's small phone behind the real adb: the
// backup list as the screen reads and prunes it, the counts of a backup, its
// boxes, restores through the messaging-app wait, failures and "Add Data".
// One phone serves the whole process; the functions run in order.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <filesystem>
#include <set>

#include "BackupItemWidget.h"
#include "MobrelBackupWidget.h"
#include "MobrelRestoreWidget.h"
#include "MyMessageBoxWidget.h"
#include "MyPushButton.h"
#include "base/paths.h"
#include "base/runfolder.h"
#include "datafile.h"
#include "gui_stall_meter.h"
#include "library_e2e.h"
#include "library_records.h"
#include "mobrelclient.h"
#include "store_files.h"

using namespace mobreltest;

namespace {

constexpr int kLongWaitMs = 120000;
constexpr char kFinished[] = "Restore finished|The restore process is finished.";
constexpr char kIncomplete[] = "Restore incomplete|Some data could not be restored:";

std::filesystem::path fsPath(const QString& path) { return std::filesystem::path(path.toStdString()); }

void writeDataFile(const QString& run, DataFile file, const QByteArray& json) {
    writeFile(fsPath(dataFilePath(run, file)), (dataFilePrefix(file) + json + ';').toStdString());
}

// The least a run folder needs to be listed: the viewer's page, the summary
// and a contacts file.
QString makeRun(const QString& run, const QByteArray& summary) {
    writeFile(fsPath(run + "/index.html"), "<html></html>");
    writeDataFile(run, DataFile::BackupInfo, summary);
    writeDataFile(run, DataFile::Contacts, "{}");
    return run;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

size_t storeCount(const PhoneSim& sim, const char* category) { return readStore(sim.storePath(), category).size(); }

}  // namespace

class RestoreScreenTest : public QObject {
    Q_OBJECT

public:
    explicit RestoreScreenTest(PhoneSim& phone) : sim(phone) {}

private slots:
    void initTestCase();
    void backupsAreListed();
    void listEntriesAreChecked_data();
    void listEntriesAreChecked();
    void entriesShowTheCounts_data();
    void entriesShowTheCounts();
    void nothingToRestoreAsks_data();
    void nothingToRestoreAsks();
    void messagesCanBeSkipped();
    void contactsRestoreAtTheDesignedPace();
    void failuresAreReported_data();
    void failuresAreReported();
    void importReportsMissingFiles_data();
    void importReportsMissingFiles();
    void closingEndsAWaitingRestore();

private:
    // Writes the backup list file and makes the screen read it.
    void useList(const QByteArray& ini) {
        writeFile(fsPath(backupListFile()), ini.toStdString());
        screen->reloadBackupList();
    }
    QStringList listedKeys() { return QSettings(backupListFile(), QSettings::IniFormat).allKeys(); }
    QStringList lines() const {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
        return texts;
    }
    QString entryText(int itemType) const {
        return screen->categoryItem(itemType)->findChild<QLabel*>("nameLabel")->text();
    }
    QWidget* checkBox(int itemType) const {
        return screen->categoryItem(itemType)->findChild<QWidget*>("checkButton");
    }
    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    // Lists the full run alone, ticks the categories and presses "Restore".
    void startRestore(std::initializer_list<int> types);
    bool boxShown() { return waitUntil([&] { return !boxes.isEmpty(); }, kLongWaitMs); }
    // With RESTORE_SCREENSHOTS set, the widget is saved there as name.png.
    static void shoot(QWidget* widget, const char* name) {
        const QString folder = qEnvironmentVariable("RESTORE_SCREENSHOTS");
        if (!folder.isEmpty()) widget->grab().save(folder + "/" + name + ".png");
    }

    PhoneSim& sim;
    QTemporaryDir runs;
    std::unique_ptr<MobrelBackupWidget> backupScreen;
    std::unique_ptr<MobrelRestoreWidget> screen;
    QComboBox* combo = nullptr;
    QTimer boxAnswerer;
    QStringList boxes;  // "title|text" of every modal box, answered with its right or only button
    QString deviceText;
    QString fullRun;  // contacts, messages and calls of the phone
    QString fullRunName;
    std::array<QString, 6> fullCounts;
};

void RestoreScreenTest::initTestCase() {
    QVERIFY(runs.isValid());
    MobrelDeviceInfo info{};
    QCOMPARE(MobrelApi_GetAndroidDevicesInfo(&info, 0), 0);
    const QString brand = QString::fromUtf8(info.brand).remove('\n').remove('\r');
    const QString model = QString::fromUtf8(info.model).remove('\n').remove('\r');
    deviceText = deviceName(brand, model);

    backupScreen = std::make_unique<MobrelBackupWidget>();
    backupScreen->setLanguageTexts();
    backupScreen->setSourceDevice(true, deviceText, brand, model);
    backupScreen->worker()->setPacing(0, 0);
    screen = std::make_unique<MobrelRestoreWidget>();
    screen->resize(1022, 530);
    screen->layoutChildren();
    screen->loadImages();
    screen->setLanguageTexts();
    screen->setDestinationDevice(true, deviceText);
    screen->show();
    combo = screen->findChild<QComboBox*>();
    // As the main window wires them.
    connect(backupScreen.get(), &MobrelBackupWidget::backupListChanged, screen.get(),
            &MobrelRestoreWidget::reloadBackupList);

    boxAnswerer.setInterval(20);
    connect(&boxAnswerer, &QTimer::timeout, this, [this] {
        auto* box = qobject_cast<MyMessageBoxWidget*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        shoot(box, "box");
        boxes << box->findChild<QLabel*>("titleLabel")->text() + "|" + box->findChild<QLabel*>("textLabel")->text();
        auto* right = box->findChild<QWidget*>("rightButton");
        click(right->isVisible() ? right : box->findChild<QWidget*>("leftButton"));
    });
    boxAnswerer.start();
}

void RestoreScreenTest::backupsAreListed() {
    fullCounts = {QString::number(storeContacts(sim.storePath()).size()),
                  QString::number(recordsIn(storeConversations(sim.storePath()))),
                  QString::number(recordsIn(storeCallGroups(sim.storePath()))), "0", "0", "0"};
    QStringList runNames;
    QStringList runFolders;
    for (const std::set<int>& ticked : {std::set<int>{0, 1, 2}, std::set<int>{0}}) {
        for (int type = 0; type < 6; ++type) backupScreen->categoryItem(type)->setChecked(ticked.count(type) > 0);
        boxes.clear();
        backupScreen->backupButton_slots();
        QVERIFY(boxShown());
        runNames << backupScreen->worker()->runName;
        runFolders << backupScreen->worker()->runFolder;
    }
    fullRunName = runNames[0];
    fullRun = runFolders[0];

    // Both runs of today, in the file's order; each line shows its own backup.
    const QString today = QDate::currentDate().toString("MM/dd/yyyy");
    QCOMPARE(lines(), QStringList({deviceText + "  " + today, deviceText + "  " + today}));
    const QStringList keys = listedKeys();
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()), QSet<QString>(runNames.begin(), runNames.end()));
    combo->setCurrentIndex(int(keys.indexOf(fullRunName)));
    shoot(screen.get(), "restore-page");
    QVERIFY(QRegularExpression("^Backup time:  \\d\\d:\\d\\d:\\d\\d " + QRegularExpression::escape(today) + "$")
                .match(screen->findChild<QLabel*>("backupTimeLabel")->text())
                .hasMatch());
    const char* const names[6] = {"Contacts", "SMS", "Call Logs", "Photos", "Videos", "Musics"};
    for (int type = 0; type < 6; ++type) {
        QCOMPARE(entryText(type), QString("%1 (%2)").arg(names[type], fullCounts[type]));
        QCOMPARE(screen->categoryItem(type)->isItemEnabled(), type < 3);
        QVERIFY(!screen->categoryItem(type)->isChecked());
    }

    // A run folder deleted by hand leaves the list and the file.
    QVERIFY(QDir(runFolders[1]).removeRecursively());
    screen->reloadBackupList();
    QCOMPARE(lines(), QStringList{deviceText + "  " + today});
    QCOMPARE(listedKeys(), QStringList{fullRunName});
}

void RestoreScreenTest::listEntriesAreChecked_data() {
    QTest::addColumn<QByteArray>("ini");  // null: a folder in the file's place
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QStringList>("keptKeys");  // empty: the file must be left as it was

    const QString good = "03-05-2024-14-07-09-SimPhone";
    const QByteArray goodLine = good.toUtf8() + "=%1\n";
    QTest::newRow("suffixes and an empty device")
        << QByteArray("03-05-2024-14-07-09(2)-Sim (2) Phone=%1\n03-05-2024-14-07-09 (12)-SimPhone=%2\n"
                      "03-05-2024-14-07-10-=%3\n")
        << QStringList{"SimPhone  03/05/2024", "Sim (2) Phone  03/05/2024", "  03/05/2024"}
        << "Backup time:  14:07:09 03/05/2024" << QStringList{};
    QTest::newRow("two keys, one folder") << goodLine + "04-05-2024-10-00-00-Other=%1\n"
                                          << QStringList{"SimPhone  03/05/2024"}
                                          << "Backup time:  14:07:09 03/05/2024" << QStringList{good};
    const struct {
        const char* tag;
        QByteArray line;
    } hostile[] = {
        {"deleted folder", "04-05-2024-10-00-00-X=%4\n"},
        {"no data file", "04-05-2024-10-00-00-X=%5\n"},
        {"no summary", "04-05-2024-10-00-00-X=%6\n"},
        {"linked summary", "04-05-2024-10-00-00-X=%7\n"},
        {"relative path", "04-05-2024-10-00-00-X=runs/two\n"},
        {"NULL", "04-05-2024-10-00-00-X=NULL\n"},
        {"empty value", "04-05-2024-10-00-00-X=\n"},
        {"list value", "04-05-2024-10-00-00-X=%2, %3\n"},
        {"byte array value", "04-05-2024-10-00-00-X=@ByteArray(%2)\n"},
        {"name with a slash", "[04-05-2024-10-00-00]\nX=%2\n"},
    };
    for (const auto& row : hostile) {
        QTest::newRow(row.tag) << goodLine + row.line << QStringList{"SimPhone  03/05/2024"}
                               << "Backup time:  14:07:09 03/05/2024" << QStringList{good};
    }
    // Unusable files change nothing.
    const QStringList before{"Before  01/02/2023"};
    QTest::newRow("not INI") << QByteArray("\x01\x02[[[\n=\n[abc\nfoo") << before
                             << "Backup time:  10:11:12 01/02/2023" << QStringList{};
    QTest::newRow("a folder") << QByteArray() << before << "Backup time:  10:11:12 01/02/2023" << QStringList{};
}

void RestoreScreenTest::listEntriesAreChecked() {
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, expected);
    QFETCH(QString, time);
    QFETCH(QStringList, keptKeys);
    const QString root = runs.filePath("list");
    QDir(root).removeRecursively();
    QStringList folders;
    for (const char* name : {"one", "two", "three", "gone", "noData", "noSummary", "linked"})
        folders << root + "/" + name;
    const QByteArray summary = R"({"BackupInfo":{"Contacts":"1"}})";
    for (int i = 0; i < 3; ++i) makeRun(folders[i], summary);
    makeRun(folders[4], summary);
    QVERIFY(QFile::remove(dataFilePath(folders[4], DataFile::Contacts)));
    makeRun(folders[5], summary);
    QVERIFY(QFile::remove(dataFilePath(folders[5], DataFile::BackupInfo)));
    makeRun(folders[6], summary);
    QVERIFY(QFile::remove(dataFilePath(folders[6], DataFile::BackupInfo)));
    QVERIFY(QFile::link(dataFilePath(folders[0], DataFile::BackupInfo), dataFilePath(folders[6], DataFile::BackupInfo)));

    useList("01-02-2023-10-11-12-Before=" + folders[1].toUtf8() + "\n");
    QCOMPARE(lines(), QStringList{"Before  01/02/2023"});
    const QString listFile = backupListFile();
    QByteArray written;
    if (ini.isNull()) {
        QVERIFY(QFile::remove(listFile) && QDir().mkdir(listFile));
        screen->reloadBackupList();
    } else {
        written = "[General]\n" + ini;
        for (int i = 0; i < folders.size(); ++i) written.replace("%" + QByteArray::number(i + 1), folders[i].toUtf8());
        useList(written);
    }
    QCOMPARE(lines(), expected);
    QCOMPARE(screen->findChild<QLabel*>("backupTimeLabel")->text(), time);
    if (ini.isNull()) {
        QVERIFY(QFileInfo(listFile).isDir());
        QVERIFY(QDir(listFile).removeRecursively());
    } else if (keptKeys.isEmpty()) {
        QCOMPARE(readAll(listFile), written);
    } else {
        QCOMPARE(listedKeys(), keptKeys);
    }
}

void RestoreScreenTest::entriesShowTheCounts_data() {
    QTest::addColumn<QByteArray>("summary");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<bool>>("enabled");
    QTest::newRow("no messages but many calls")
        << QByteArray(R"({"Version":"1","BackupInfo":{"Contacts":"3","Messages":"0","CallLogs":"70000","Musics":"2"}})")
        << QStringList{"Contacts (3)", "SMS (0)", "Call Logs (70000)", "Photos (0)", "Videos (0)", "Musics (2)"}
        << QList<bool>{true, false, true, false, false, true};
    QTest::newRow("unparsable") << QByteArray(R"({"BackupInfo":{"Contacts":"3")")
                                << QStringList{"Contacts (0)", "SMS (0)", "Call Logs (0)", "Photos (0)", "Videos (0)",
                                               "Musics (0)"}
                                << QList<bool>(6, false);
}

void RestoreScreenTest::entriesShowTheCounts() {
    QFETCH(QByteArray, summary);
    QFETCH(QStringList, texts);
    QFETCH(QList<bool>, enabled);
    const QString run = makeRun(runs.filePath(QTest::currentDataTag()), summary);
    useList("[General]\n01-02-2023-10-11-12-Counted=" + run.toUtf8() + "\n");
    for (int type = 0; type < 6; ++type) {
        QCOMPARE(entryText(type), texts[type]);
        QCOMPARE(screen->categoryItem(type)->isItemEnabled(), enabled[type]);
        QVERIFY(!screen->categoryItem(type)->isChecked());
    }
}

void RestoreScreenTest::nothingToRestoreAsks_data() {
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("box");
    QTest::newRow("nothing listed") << false << "Tolvane Mobrel|No item to restore. Please backup the device frist.";
    QTest::newRow("nothing ticked") << true << "Tolvane Mobrel|Please select an item to restore.";
}

void RestoreScreenTest::nothingToRestoreAsks() {
    QFETCH(bool, listed);
    QFETCH(QString, box);
    useList(listed ? "[General]\n" + fullRunName.toUtf8() + "=" + fullRun.toUtf8() + "\n" : QByteArray());
    boxes.clear();
    click(screen->actionButton());
    QCOMPARE(boxes, QStringList{box});
    QVERIFY(!screen->worker()->isRunning());
    // The entries are usable again.
    for (int type = 0; type < 6; ++type) {
        QVERIFY(checkBox(type)->isVisible());
        QCOMPARE(screen->categoryItem(type)->isItemEnabled(), listed && type < 3);
    }
    if (listed) {
        click(checkBox(0));
        QVERIFY(screen->categoryItem(0)->isChecked());
        click(checkBox(0));
    }
}

void RestoreScreenTest::startRestore(std::initializer_list<int> types) {
    useList("[General]\n" + fullRunName.toUtf8() + "=" + fullRun.toUtf8() + "\n");
    for (int type : types) click(checkBox(type));
    boxes.clear();
    click(screen->actionButton());
}

void RestoreScreenTest::messagesCanBeSkipped() {
    phonesim::Faults never;
    never.neverAccept = true;
    ScopedFaults faults(sim, never);
    screen->worker()->setPacing(0, 50, 0);
    const size_t messages = storeCount(sim, "messages");
    const size_t calls = storeCount(sim, "calls");
    QSignalSpy navigation(screen.get(), &MobrelRestoreWidget::navigationEnabled);
    QSignalSpy finished(screen.get(), &MobrelRestoreWidget::restoreFinished);
    auto* prompt = screen->findChild<MyMessageBoxWidget*>("smsPromptBox");
    startRestore({1, 2});
    QVERIFY(screen->worker()->isRunning());
    QVERIFY(!screen->actionButton()->isButtonEnabled());
    // While the worker waits for the user, the box is up and the calls wait.
    QVERIFY(waitUntil([&] { return prompt->isVisible(); }, kLongWaitMs));
    QTest::qWait(300);
    QVERIFY(prompt->isVisible() && screen->worker()->waitingForSmsApp);
    QCOMPARE(prompt->findChild<QLabel*>("titleLabel")->text(), QString("Restore SMS"));
    QCOMPARE(prompt->findChild<QLabel*>("textLabel")->text(),
             QString("Please click \"Yes\" on your android phone, or skip copying the SMS"));
    auto* skip = prompt->findChild<MyPushButton*>("leftButton");
    QCOMPARE(skip->buttonText(), QString("Skip"));
    QCOMPARE(prompt->findChild<MyPushButton*>("rightButton")->buttonText(), QString("OK"));
    QCOMPARE(screen->worker()->categoryState[2].load(), RestoreDataThread::kChosen);
    shoot(screen.get(), "restore-waiting");
    shoot(prompt, "sms-prompt");
    click(skip);
    QVERIFY(boxShown());

    QCOMPARE(boxes, QStringList{kFinished});
    QVERIFY(!prompt->isVisible());
    QCOMPARE(storeCount(sim, "messages"), messages);
    QCOMPARE(QString::number(storeCount(sim, "calls") - calls), fullCounts[2]);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(navigation.count(), 2);
    QCOMPARE(navigation[0][0].toBool(), false);
    QCOMPARE(navigation[1][0].toBool(), true);
    QVERIFY(screen->actionButton()->isButtonEnabled());
    QVERIFY(checkBox(1)->isVisible());
    QCOMPARE(entryText(1), "SMS (" + fullCounts[1] + ")");
}

void RestoreScreenTest::contactsRestoreAtTheDesignedPace() {
    screen->worker()->setPacing(RestoreDataThread::kRecordPauseMs, RestoreDataThread::kSmsAppPollMs,
                                RestoreDataThread::kImportSettleMs);
    const size_t contacts = storeCount(sim, "contacts");
    QSignalSpy finished(screen.get(), &MobrelRestoreWidget::restoreFinished);
    QSet<QString> texts;
    QTimer watcher;
    watcher.setInterval(50);
    connect(&watcher, &QTimer::timeout, this, [&] { texts << entryText(0); });
    watcher.start();
    startRestore({0});
    QVERIFY(boxShown());
    watcher.stop();

    QCOMPARE(boxes, QStringList{kFinished});
    QCOMPARE(finished.count(), 1);
    QCOMPARE(QString::number(storeCount(sim, "contacts") - contacts), fullCounts[0]);
    const QRegularExpression progress("^Contacts \\((\\d+) / " + fullCounts[0] + "\\)$");
    bool midway = false;
    for (const QString& text : texts) {
        const QRegularExpressionMatch match = progress.match(text);
        midway = midway || (match.hasMatch() && match.captured(1).toInt() > 0 &&
                            match.captured(1) != fullCounts[0]);
    }
    QVERIFY(midway);
}

void RestoreScreenTest::failuresAreReported_data() {
    QTest::addColumn<bool>("phoneRefuses");
    QTest::addColumn<bool>("fileSpoiled");
    QTest::addColumn<QString>("line");
    QTest::newRow("phone refuses contacts") << true << false
                                            << QString("Contacts: %1 of %1 not restored").arg(fullCounts[0]);
    QTest::newRow("unreadable contacts file") << false << true << "Contacts: could not be read";
}

void RestoreScreenTest::failuresAreReported() {
    QFETCH(bool, phoneRefuses);
    QFETCH(bool, fileSpoiled);
    QFETCH(QString, line);
    screen->worker()->setPacing(0, 0, 0);
    const QString original = fullRun;
    if (fileSpoiled) {
        fullRun = runs.filePath("spoiled");
        std::filesystem::copy(fsPath(original), fsPath(fullRun), std::filesystem::copy_options::recursive);
        writeDataFile(fullRun, DataFile::Contacts, R"({"1":{"SessionID":)");
    }
    phonesim::Faults refusing;
    if (phoneRefuses) refusing.refuseCommand = "AddPerson";
    ScopedFaults faults(sim, refusing);
    const size_t contacts = storeCount(sim, "contacts");
    QSignalSpy finished(screen.get(), &MobrelRestoreWidget::restoreFinished);
    startRestore({0, 2});
    fullRun = original;
    QVERIFY(boxShown());
    // Only the category that lost records is named.
    QCOMPARE(boxes, QStringList{QString(kIncomplete) + "\n" + line});
    QCOMPARE(finished.count(), 1);
    QCOMPARE(storeCount(sim, "contacts"), contacts);
}

void RestoreScreenTest::importReportsMissingFiles_data() {
    QTest::addColumn<bool>("oneMissing");
    QTest::addColumn<QStringList>("expectedBoxes");
    QTest::newRow("one missing") << true
                                 << QStringList{"Add Data|1 of the 2 chosen files could not be added to the phone."};
    QTest::newRow("all there") << false << QStringList{};
}

void RestoreScreenTest::importReportsMissingFiles() {
    QFETCH(bool, oneMissing);
    QFETCH(QStringList, expectedBoxes);
    screen->worker()->setPacing(0, 0, 0);
    const QString picture = runs.filePath(QString("picture-%1.png").arg(oneMissing));
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(oneMissing ? Qt::red : Qt::blue);
    QVERIFY(image.save(picture));
    QStringList files{picture};
    if (oneMissing) files << runs.filePath("missing.png");
    const size_t photos = storeItems(sim, kPhotoKind).size();

    QSignalSpy imported(screen.get(), &MobrelRestoreWidget::importFinished);
    QSignalSpy restored(screen.get(), &MobrelRestoreWidget::restoreFinished);
    QVERIFY(!screen->startImport({}, 3));
    QVERIFY(!screen->startImport(files, 1));
    boxes.clear();
    QVERIFY(screen->startImport(files, 3));
    QVERIFY(!screen->startImport(files, 3));  // one run at a time
    QVERIFY(waitUntil([&] { return imported.count() == 1; }, kLongWaitMs));
    QTest::qWait(200);  // a box would have come and been answered by now
    QCOMPARE(imported[0][0].toInt(), 3);
    QCOMPARE(restored.count(), 0);
    QCOMPARE(boxes, expectedBoxes);
    QCOMPARE(storeItems(sim, kPhotoKind).size(), photos + 1);
}

void RestoreScreenTest::closingEndsAWaitingRestore() {
    phonesim::Faults never;
    never.neverAccept = true;
    ScopedFaults faults(sim, never);
    screen->worker()->setPacing(0, 50, 0);
    const size_t messages = storeCount(sim, "messages");
    startRestore({1});
    auto* prompt = screen->findChild<MyMessageBoxWidget*>("smsPromptBox");
    QVERIFY(waitUntil([&] { return prompt->isVisible(); }, kLongWaitMs));
    // Would wait for the user for ever, or end the process, if the screen did
    // not end its worker.
    screen.reset();
    QCOMPARE(storeCount(sim, "messages"), messages);
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
    RestoreScreenTest test(sim);
    return QTest::qExec(&test, argc, argv);
}

#include "restore_screen_test.moc"
