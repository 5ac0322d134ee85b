// The restore worker against phonesim through the real adb, driven without
// widgets. The round trip: the small phone backed up, wiped, the run restored
// and backed up again gives the same run folder apart from what the phone
// chooses itself (kChanges). Then "Add Data", and a run folder that is
// damaged, tries to leave its folder or is refused by the phone (the restore
// screen's test skips the messages at the designed pace). Each case starts its
// own phone.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <filesystem>
#include <map>

#include "BackupDataThread.h"
#include "RestoreDataThread.h"
#include "base/listheads.h"
#include "datareaders.h"
#include "mobrelclient.h"
#include "screen_kit.h"
#include "store_files.h"

using namespace mobreltest;
namespace fs = std::filesystem;

namespace {

constexpr unsigned long kRunTimeoutMs = 300000;

// What a restore onto an empty phone and a second backup do not keep, by
// design; every other member of every data file survives, and every media
// copy byte for byte. Besides, contacts come back in reverse order: the
// library lists the phone's contacts last first, the restore adds them in
// file order.
enum class After { Gone, Filename, FilenameAndSuffix, ReceivedOrSent };
struct Change {
    const char* files;  // data file names, blank-separated
    const char* key;
    After after;
};
const Change kChanges[] = {
    // The phone numbers what it stores anew, and files a message in the
    // conversation of its address.
    {"Contacts CallHistory Photos Videos Musics", "SessionID", After::Gone},
    {"SMS", "guid", After::Gone},
    // A message goes back as received or sent: outbox, failed and queued (4) come back as sent (2).
    {"SMS", "flags", After::ReceivedOrSent},
    // A restored file is a new item: titled by the name it was pushed under,
    // dated when it was added, described by the phone's media scanner; the
    // copy's time stamp is the time of the pull, which keeps no times.
    {"Photos Videos Musics", "Title", After::Filename},
    {"Videos", "Displayname", After::FilenameAndSuffix},
    {"Photos Videos Musics", "Modiftime", After::Gone},
    {"Photos Videos Musics", "Createtime", After::Gone},
    {"Videos Musics", "Duration", After::Gone},
    {"Musics", "Album", After::Gone},
    {"Musics", "Artist", After::Gone},
};

const Change* changeOf(const QString& file, const QString& key) {
    for (const Change& change : kChanges) {
        if (key == change.key && QString(change.files).split(' ').contains(file)) return &change;
    }
    return nullptr;
}

// A data file as "member/.../key" to text, read with Qt's JSON apart from our readers.
using Flat = std::map<QString, QString>;

void flatten(const QJsonObject& object, const QString& path, Flat& out) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it->isObject()) flatten(it->toObject(), path + it.key() + "/", out);
        else out[path + it.key()] = it->toString();
    }
}

Flat dataFile(const QString& run, DataFile file) {
    Flat flat;
    flatten(readDataJson(run, file), QString(), flat);
    return flat;
}

// The second backup's file as kChanges expect it from the first one's; with
// expected false, the second backup's file with what changes left out.
Flat afterRoundTrip(const QString& file, const Flat& data, bool expected) {
    qsizetype contacts = 0;
    for (const auto& entry : data) contacts += entry.first.endsWith("/isDelete") ? 1 : 0;
    Flat out;
    for (const auto& [path, value] : data) {
        const QString member = path.section('/', 0, -2);
        const QString key = path.section('/', -1);
        const Change* change = changeOf(file, key);
        if (change && change->after == After::Gone) continue;
        QString target = path;
        if (expected && file == "Contacts" && member != "Version")
            target = QString::number(contacts + 1 - member.toInt()) + "/" + key;
        QString& text = out[target] = value;
        if (!expected || !change) continue;
        switch (change->after) {
        case After::Filename: text = data.at(member + "/Filename"); break;
        case After::FilenameAndSuffix: text = data.at(member + "/Filename") + data.at(member + "/Suffix"); break;
        case After::ReceivedOrSent: text = value == "1" ? value : "2"; break;
        case After::Gone: break;
        }
    }
    return out;
}

// The members whose texts differ, one "path: before | after" line each.
std::string differences(const Flat& expected, const Flat& actual) {
    Flat all = expected;
    all.insert(actual.begin(), actual.end());
    std::string lines;
    for (const auto& [path, unused] : all) {
        const QString want = expected.count(path) ? expected.at(path) : "<none>";
        const QString got = actual.count(path) ? actual.at(path) : "<none>";
        if (want != got) lines += (path + ": " + want + " | " + got + "\n").toStdString();
    }
    return lines;
}

bool finish(QThread& worker) {
    worker.start();
    return worker.wait(kRunTimeoutMs);
}

// A full backup into run, every category fetched afresh from the phone.
void backUp(const QString& run) {
    contactListHead = nullptr;
    smsThreadListHead = nullptr;
    callGroupListHead = nullptr;
    for (int type = 0; type < 6; ++type) MobrelApi_SetItemisUnLoaded(type);
    ASSERT_TRUE(QDir().mkpath(run));
    BackupDataThread worker;
    worker.setPacing(0, 0);
    worker.runFolder = run;
    worker.backupMode = true;
    for (auto& state : worker.categoryState) state = BackupDataThread::kChosen;
    ASSERT_TRUE(finish(worker));
    for (int type = 0; type < 6; ++type) EXPECT_TRUE(worker.categoryComplete[type]) << kCategoryFolders[type];
}

// The phone with nothing on it: phonesim restarted on its state folder without
// store and storage (an empty storage folder keeps it from laying out its
// dataset again), then detection and bring-up as after plugging it in.
::testing::AssertionResult wipe(PhoneSim& sim) {
    if (!sim.stopPhone()) return ::testing::AssertionFailure() << "phonesim did not stop";
    std::error_code ec;
    fs::remove_all(sim.storePath(), ec);
    fs::remove_all(sim.sdcardPath(), ec);
    fs::create_directory(sim.sdcardPath(), ec);
    if (!sim.startPhone() || !sim.waitForState("device")) return ::testing::AssertionFailure() << sim.error();
    if (detectUntil(0, 0) != 0 || MobrelApi_ReadyTodoing(0) != 0)
        return ::testing::AssertionFailure() << "the wiped phone did not come up";
    return ::testing::AssertionSuccess();
}

QString qpath(const fs::path& path) { return QString::fromStdString(path.string()); }

// What the worker did with a category: "state done attempted failed unreadable".
std::string outcomeOf(const RestoreDataThread& worker, int type) {
    const RestoreDataThread::Outcome& o = worker.outcome[type];
    return QString("%1 %2 %3 %4 %5")
        .arg(int(worker.categoryState[type].load()))
        .arg(worker.doneCount[type].load())
        .arg(o.attempted.load())
        .arg(o.failed.load())
        .arg(int(o.unreadable.load()))
        .toStdString();
}

void roundTrip(const std::string& profile) {
    PhoneSim sim;
    ASSERT_TRUE(bringUp(sim, {.dataset = "small", .profile = profile}));
    const QString first = qpath(sim.root() / "first"), second = qpath(sim.root() / "second");
    backUp(first);
    ASSERT_TRUE(wipe(sim));

    RestoreDataThread worker;
    worker.setPacing(0, 10, 0);
    worker.runFolder = first;
    worker.totalCount = readBackupInfoJs(first).counts;
    for (auto& state : worker.categoryState) state = RestoreDataThread::kChosen;
    ASSERT_TRUE(finish(worker));
    for (int type = 0; type < 6; ++type) {
        // One element more than records ("Version"), capped at the total.
        const quint32 total = worker.totalCount[type];
        EXPECT_GT(total, 0u) << kCategoryFolders[type];
        EXPECT_EQ(outcomeOf(worker, type), QString("3 %1 %1 0 0").arg(total).toStdString()) << kCategoryFolders[type];
    }
    EXPECT_FALSE(worker.anythingFailed());
    EXPECT_EQ(MobrelApi_CheckDefaultMessangeOK(), -1);  // the messaging app handed back

    backUp(second);
    for (int f = 0; f <= int(DataFile::BackupInfo); ++f) {
        const QString name = dataFileName(DataFile(f));
        const Flat before = dataFile(first, DataFile(f));
        EXPECT_FALSE(before.empty()) << name.toStdString();
        const Flat after = afterRoundTrip(name, dataFile(second, DataFile(f)), false);
        EXPECT_EQ(differences(afterRoundTrip(name, before, true), after), "") << name.toStdString();
    }
    for (int type = 3; type < 6; ++type) {
        const auto copies = treeContents((first + "/" + kCategoryFolders[type]).toStdString());
        EXPECT_EQ(copies.size(), worker.totalCount[type]) << kCategoryFolders[type];
        EXPECT_TRUE(copies == treeContents((second + "/" + kCategoryFolders[type]).toStdString()))
            << kCategoryFolders[type];
    }
}

// "Add Data" with the designed pause after the list: three local photos, one
// named like a file in the phone's photo folder, and a listed file gone by now.
void addDataRenamesAClash() {
    PhoneSim sim;
    ASSERT_TRUE(bringUp(sim, {}));
    writeFile(sim.sdcardPath() / "Images/beach.png", "on the phone");
    const fs::path local = sim.root() / "local";
    writeFile(local / "dog.png", "dog");
    writeFile(local / "beach.png", "new beach");
    writeFile(local / "sub/cat.png", "cat");
    ASSERT_EQ(MobrelApi_FlushPhotos(), 0);

    RestoreDataThread worker;
    worker.sourceIsBackup = false;
    worker.importCategory = 3;
    worker.categoryState[3] = RestoreDataThread::kChosen;
    for (const char* name : {"dog.png", "beach.png", "gone.png", "sub/cat.png"})
        worker.importFiles << qpath(local / name);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(finish(worker));
    EXPECT_GE(clock.elapsed(), qint64(RestoreDataThread::kImportSettleMs));

    EXPECT_EQ(worker.categoryState[3].load(), RestoreDataThread::kRestored);
    EXPECT_EQ(worker.outcome[3].attempted.load(), 4u);
    EXPECT_EQ(worker.outcome[3].failed.load(), 1u);
    EXPECT_NE(MobrelApi_CheckItemisLoaded(3), 1);  // the view fetches the photos again
    const std::map<std::string, std::string> expected = {
        {"beach.png", "on the phone"}, {"beach(1).png", "new beach"}, {"cat.png", "cat"}, {"dog.png", "dog"}};
    EXPECT_EQ(treeContents(sim.sdcardPath() / "Images"), expected);
    MobrelApi_FlushPhotos();
    std::vector<std::string> titles;
    for (const auto& item : listed(kPhotoKind)) titles.push_back(item.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"dog", "beach(1)", "cat"}));
}

// Contacts cut off, messages the restore must not send, calls the phone
// refuses, and media names that lead out of the run's Photos folder.
void hostileRunFolder() {
    PhoneSim sim;
    phonesim::Faults faults;
    faults.refuseCommand = "AddCallHistory";
    ASSERT_TRUE(bringUp(sim, {.profile = "legacy", .faults = faults}));
    const fs::path runPath = sim.root() / "run";
    const QString run = qpath(runPath);
    writeFile(dataFilePath(run, DataFile::Contacts).toStdString(),
              R"(var ContactContent={"Version":{"Current":"1.0.0"},"1":{"SessionID":"1","FirstName":"Ann")");
    writeDataFile(run, DataFile::Sms, R"({"Version":{"Current":"1.0.0"},
        "Group_1":{"1":{"SessionID":"1","Phone":"555","Text":"kept","flags":"2","read":"1","guid":"7"},
                   "2":{"SessionID":"2","Phone":"555","Text":"no conversation","guid":"-1"},
                   "3":{"Phone":"555","Text":"no position","guid":"7"}},
        "Group_2":{"1":{"SessionID":"1","Phone":"556","Text":"no conversation either"}}})");
    writeDataFile(run, DataFile::CallHistory, R"({"Version":{"Current":"1.0.0"},
        "Group_1":{"1":{"Phone":"555","CallStatus":"2","Duration":"61"},"2":{"Phone":"555","CallStatus":"3"}},
        "Group_2":{"1":{"Phone":"777"}}})");
    writeDataFile(run, DataFile::Photos, R"({"Version":{"Current":"1.0.0"},"0":{"Filename":"a","Suffix":".png"},
        "1":{"Filename":"../x","Suffix":".png"},"2":{"Filename":"a/b","Suffix":""},
        "3":{"Filename":"link","Suffix":".png"},"4":{"Filename":"gone","Suffix":".png"}})");
    writeFile(runPath / "Photos/a.png", "a photo");
    // Were the names followed, these files would be pushed.
    writeFile(runPath / "x.png", "beside the folder");
    writeFile(runPath / "Photos/a/b", "in a subfolder");
    writeFile(sim.root() / "secret.png", "outside the run");
    fs::create_symlink(sim.root() / "secret.png", runPath / "Photos/link.png");

    RestoreDataThread worker;
    worker.setPacing(0, 10, 0);
    worker.runFolder = run;
    worker.totalCount = {5, 10, 10, 2, 0, 0};
    for (int type = 0; type < 4; ++type) worker.categoryState[type] = RestoreDataThread::kChosen;
    ASSERT_TRUE(finish(worker));
    EXPECT_TRUE(worker.anythingFailed());
    // Every element counts a step, sent or not, capped at the total: Version's
    // member and four messages, and three calls.
    EXPECT_EQ(outcomeOf(worker, 0), "3 0 0 0 1");
    EXPECT_EQ(outcomeOf(worker, 1), "3 5 1 0 0");
    EXPECT_EQ(outcomeOf(worker, 2), "3 4 3 3 0");
    EXPECT_EQ(outcomeOf(worker, 3), "3 2 4 3 0");
    EXPECT_TRUE(readStore(sim.storePath(), "contacts").empty());
    EXPECT_TRUE(readStore(sim.storePath(), "calls").empty());
    const std::vector<StoreRecord> messages = readStore(sim.storePath(), "messages");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text("body"), "kept");
    EXPECT_EQ(messages[0].number("type"), 2);  // sent
    EXPECT_EQ(treeContents(sim.sdcardPath()), (std::map<std::string, std::string>{{"Images/a.png", "a photo"}}));
}

struct Case {
    const char* name;
    void (*run)();
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class RestoreEngine : public ::testing::TestWithParam<Case> {};

TEST_P(RestoreEngine, Case) { GetParam().run(); }

INSTANTIATE_TEST_SUITE_P(Restore, RestoreEngine,
                         ::testing::Values(Case{"roundTripModern", [] { roundTrip("modern"); }},
                                           Case{"roundTripLegacy", [] { roundTrip("legacy"); }},
                                           Case{"addDataRenamesAClash", addDataRenamesAClash},
                                           Case{"hostileRunFolder", hostileRunFolder}),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);  // the backup worker finds the viewer template beside the program
    return RUN_ALL_TESTS();
}
