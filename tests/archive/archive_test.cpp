// The run folder's files: golden bytes of the formats nothing reads back (the
// restore's round trip reads the others), walk rules, hostile input, the backup list.
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>
#include <deque>

#include "backuplist.h"
#include "datareaders.h"
#include "exportfiles.h"

namespace {

const QString kTestDir = QStringLiteral(ARCHIVE_TEST_DIR);
const QByteArray kDate = "2024-03-05 14:07:09";
const qint64 kTime = 1709647629;  // kDate in UTC

// Linked records as the library hands them out; the texts live here too.
struct Records {
    std::deque<QByteArray> texts;
    std::deque<MobrelContact> contacts;
    std::deque<MobrelSms> messages;
    std::deque<MobrelSmsThread> threads;
    std::deque<MobrelCallLog> calls;
    std::deque<MobrelCallGroup> groups;

    char* t(const QByteArray& s) { return texts.emplace_back(s).data(); }

    MobrelContact* contact(MobrelContact* previous) {
        MobrelContact* c = &contacts.emplace_back(MobrelContact{});
        c->checkMark = 1;
        if (previous) previous->next = c;
        return c;
    }
    MobrelSms* message(MobrelSmsThread* thread, const char* person, const char* address,
                       const QByteArray& body, const char* type, const char* read) {
        MobrelSms* m = &messages.emplace_back(MobrelSms{});
        m->id = t(QByteArray::number(100 + int(messages.size())));
        m->person = person ? t(person) : nullptr;
        m->address = t(address), m->body = t(body), m->date = t(kDate);
        m->type = t(type), m->read = t(read), m->threadId = t("7");
        m->checkMark = 1;
        if (thread->lastMessage) thread->lastMessage->next = m;
        else thread->firstMessage = m;
        thread->lastMessage = m;
        return m;
    }
    MobrelSmsThread* thread(MobrelSmsThread* previous) {
        MobrelSmsThread* th = &threads.emplace_back(MobrelSmsThread{});
        if (previous) previous->next = th;
        return th;
    }
    MobrelCallLog* call(MobrelCallGroup* group, const char* number, const char* type,
                        const char* duration) {
        MobrelCallLog* e = &calls.emplace_back(MobrelCallLog{});
        e->id = t(QByteArray::number(int(calls.size())));
        e->number = t(number), e->date = t(kDate), e->type = t(type), e->duration = t(duration);
        e->checkMark = 1;
        e->group = group;
        MobrelCallLog** slot = &group->firstEntry;
        while (*slot) slot = &(*slot)->next;
        *slot = e;
        return e;
    }
    MobrelCallGroup* group(MobrelCallGroup* previous) {
        MobrelCallGroup* g = &groups.emplace_back(MobrelCallGroup{});
        if (previous) previous->next = g;
        return g;
    }
};

const QByteArray kLongBody = "a" + QByteArray("\xc3\xa9").repeated(850);  // 1701 bytes
const QByteArray kLongAddress = "+49 170 1234567890123456789012345";

// Three contacts, three conversations (the second without messages), three
// call groups (the second empty).
struct Fixture : Records {
    MobrelContact* contactHead = nullptr;
    MobrelSmsThread* threadHead = nullptr;
    MobrelCallGroup* groupHead = nullptr;

    Fixture() {
        MobrelContact* ann = contactHead = contact(nullptr);
        ann->contactId = t("11"), ann->name = t("Ann"), ann->mobilePhone = t("555-0100");
        ann->homeEmail = t("ann@example.org"), ann->birthday = t("1990-04-01");
        ann->note = t("says \"hi\", twice"), ann->organization = t("Acme");
        MobrelContact* noteOnly = contact(ann);
        noteOnly->contactId = t("12"), noteOnly->note = t("Only a note");
        MobrelContact* zoe = contact(noteOnly);
        zoe->contactId = t("13"), zoe->name = t("Zo\xc3\xab"), zoe->nameExtra = t("Lee");
        zoe->extra14 = t("2020-01-01"), zoe->workEmail = t("z@example.org"), zoe->group = t("Work");

        MobrelSmsThread* first = threadHead = thread(nullptr);
        message(first, "Bob", "555", "Hello, \"you\"\nline two", "2", "1");
        message(first, "", "555", kLongBody, "1", "0");
        MobrelSmsThread* third = thread(thread(first));
        message(third, nullptr, kLongAddress, "Gr\xc3\xbc\xc3\x9f" "e", "4", "1");

        MobrelCallGroup* g1 = groupHead = group(nullptr);
        g1->reserved1 = t("Jane"), g1->reserved2 = t("Doe ");
        call(g1, "555", "1", "61");
        call(g1, "555", "3", "0");
        call(group(group(g1)), "777", "5", "3600");
    }
};

std::optional<MediaItem> photo(qint32 id, const QByteArray& title, const QByteArray& path) {
    MediaItem item;
    item.id = id, item.title = title, item.path = path;
    item.size = 1000 + id, item.modifiedTime = kTime, item.createdTime = 0, item.ticked = true;
    return item;
}

// A catalogue whose copies are small files holding the item's id.
MediaSource mediaSource(const QList<std::optional<MediaItem>>& items) {
    MediaSource source;
    source.count = int(items.size());
    source.item = [items](int i) { return items[i]; };
    source.copyTo = [](qint32 id, const QString& target) {
        QFile file(target);
        if (file.open(QIODevice::WriteOnly)) file.write(QByteArray::number(id));
    };
    return source;
}

// The rows of a CSV file as Python's csv module reads them.
QList<QStringList> csvRows(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {"-c", "import csv, json, sys; print(json.dumps(list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8')))))",
                  path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) return {{"python3 failed"}};
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        rows.append(row.toVariant().toStringList());
    return rows;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Writes the bytes, making the folders on the way.
bool put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList filesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

}  // namespace

class ArchiveTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_run;
    WalkOptions m_options;
    Fixture m_records;

private slots:
    void initTestCase() {
        const QString tmpl = m_dir.filePath("template");
        for (const char* name : {"/Script/js/app.js", "/index.html", "/favicon.ico",
                                 "/Contacts.html", "/SMS.html", "/CallHistory.html"})
            QVERIFY(put(tmpl + name, name));
        m_options.templateFolder = tmpl;
        m_run = m_dir.filePath("run");
        QVERIFY(QDir().mkpath(m_run));

        const Fixture& r = m_records;
        QVERIFY(copyViewerTemplate(tmpl, m_run));
        MobrelDeviceInfo device{};
        qstrcpy(device.brand, "samsung");
        qstrcpy(device.serial, "R58M\n12");
        qstrcpy(device.model, "SM-G900F\r");
        qstrcpy(device.androidVersion, "11");
        QVERIFY(writeDeviceInfoJs(m_run, device, tmpl));
        QVERIFY(writeProfileJs(m_run, {true, false, true, true, false, false}));
        for (auto write : {writeContactsCsv, writeContactsTxt}) QVERIFY(write(m_run, r.contactHead, m_options));
        for (auto write : {writeSmsCsv, writeSmsTxt}) QVERIFY(write(m_run, r.threadHead, m_options));
        for (auto write : {writeCallHistoryCsv, writeCallHistoryTxt}) QVERIFY(write(m_run, r.groupHead, m_options));
    }

    void goldenFiles_data() {
        QTest::addColumn<QString>("path");
        for (const char* name : {"Contacts", "SMS", "CallHistory"}) {
            for (const char* ending : {".csv", ".txt"})
                QTest::newRow(qPrintable(name + QString(ending))) << QString("%1/%1%2").arg(name, ending);
        }
        for (const char* name : {"Deviceinfo", "Profile"})
            QTest::newRow(qPrintable(name + QString(".js"))) << QString("Script/assets/%1.js").arg(name);
    }
    void goldenFiles() {
        QFETCH(QString, path);
        QCOMPARE(readAll(m_run + "/" + path), readAll(kTestDir + "/golden/" + QFileInfo(path).fileName()));
    }

    // Over-long lines are cut inside their values: a CSV line keeps its 16
    // columns and its line end, a text block its closing empty line.
    void longLinesKeepTheirShape() {
        Records r;
        MobrelContact* c = r.contact(nullptr);
        const QByteArray value = QByteArray("ab\"").repeated(70);
        for (char** field : {&c->name, &c->mobilePhone, &c->homePhone, &c->workPhone, &c->website,
                             &c->homeEmail, &c->birthday, &c->note, &c->organization, &c->title,
                             &c->extra14, &c->homeAddress, &c->workAddress, &c->homeFax,
                             &c->workFax, &c->workEmail})
            *field = r.t(value);
        MobrelSmsThread* th = r.thread(nullptr);
        r.message(th, "Bob", "555", QByteArray(1600, 'b'), "1", "1")->date = r.t(QByteArray(900, 'd'));
        QTemporaryDir run;
        QVERIFY(writeContactsCsv(run.path(), c, m_options));
        QVERIFY(writeSmsTxt(run.path(), th, m_options));
        const QByteArray csv = readAll(run.filePath("Contacts/Contacts.csv"));
        const QByteArray line = csv.mid(csv.indexOf('\n') + 1);
        QVERIFY(line.size() <= 2046 && line.endsWith("\"\n"));
        const QList<QStringList> rows = csvRows(run.filePath("Contacts/Contacts.csv"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1].size(), 16);
        QCOMPARE(rows[1][0], QString(value));
        QVERIFY(QString(value).startsWith(rows[1][7]) && rows[1][15].isEmpty());
        const QByteArray txt = readAll(run.filePath("SMS/SMS.txt"));
        QVERIFY(txt.size() <= 2046 && txt.endsWith("b\n\n"));
    }

    // A hostile media title never names a file outside the category folder, a
    // title met again gets a name of its own, and the name recorded is the name used.
    void hostileTitles_data() {
        QTest::addColumn<QByteArrayList>("titles");  // a null title: the phone gave no item
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("climbs") << QByteArrayList{"../../x"} << QStringList{"_._.__x.jpg"};
        QTest::newRow("slash") << QByteArrayList{"a/b"} << QStringList{"a_b.jpg"};
        QTest::newRow("backslash") << QByteArrayList{"a\\b"} << QStringList{"a_b.jpg"};
        QTest::newRow("empty") << QByteArrayList{""} << QStringList{"untitled.jpg"};
        QTest::newRow("hidden") << QByteArrayList{".hidden"} << QStringList{"_hidden.jpg"};
        QTest::newRow("dotdot") << QByteArrayList{".."} << QStringList{"_..jpg"};
        QTest::newRow("control") << QByteArrayList{"x\ny\x7f"} << QStringList{"x_y_.jpg"};
        QTest::newRow("long") << QByteArrayList{QByteArray(300, 'L')} << QStringList{QString(180, 'L') + ".jpg"};
        QTest::newRow("same title thrice") << QByteArrayList{"I", QByteArray(), "I", "I"}
                                           << QStringList{"I(1).jpg", "I(2).jpg", "I.jpg"};
    }
    void hostileTitles() {
        QFETCH(QByteArrayList, titles);
        QFETCH(QStringList, expected);
        QList<std::optional<MediaItem>> items;
        for (const QByteArray& title : titles)
            items << (title.isNull() ? std::nullopt : photo(int(items.size()), title, "/sdcard/a/p.jpg"));
        QTemporaryDir run;
        QVERIFY(writeMediaJs(run.path(), MediaKind::Photos, mediaSource(items), m_options));
        QStringList files;
        for (const QString& name : expected) files << "Photos/" + name;
        QCOMPARE(filesUnder(run.path()), files << "Script/assets/Photos.js");
        QStringList recorded;
        for (const MediaEntry& e : readMediaJs(run.path(), MediaKind::Photos).entries)
            if (!e.localPath.isEmpty()) recorded << QDir(run.path()).relativeFilePath(e.localPath);
        recorded.sort();
        QCOMPARE(recorded << "Script/assets/Photos.js", files);
    }

    // Data files that are damaged, oversized or name files outside their folder are
    // refused or skipped without a crash (climbing names, links and missing copies:
    // the restore engine's hostile run folder).
    void hostileDataFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<int>>("outcome");  // status, entries, rejected names
        QTest::addColumn<QString>("copy");        // the file an entry would push, if any
        const auto entry = [](const char* name, const char* suffix) {
            return QByteArray("var Content={\"0\":{\"Filename\":\"") + name + "\",\"Suffix\":\"" + suffix + "\"}};";
        };
        const int ok = int(ReadStatus::Ok), bad = int(ReadStatus::Unparsable);
        QTest::newRow("slash suffix") << entry("a", "/../../y") << QList<int>{ok, 1, 1} << "";
        QTest::newRow("backslash") << entry("a\\\\b", "") << QList<int>{ok, 1, 1} << "";
        QTest::newRow("dot") << entry(".", "") << QList<int>{ok, 1, 1} << "";
        QTest::newRow("no suffix") << entry("photo", "") << QList<int>{ok, 1, 0} << "Photos/photo";
        QTest::newRow("another program's prefix and key case")
            << QByteArray("var Another={\"0\":{\"FILENAME\":\"photo\",\"suffix\":\"\"}};") << QList<int>{ok, 1, 0}
            << "Photos/photo";
        QTest::newRow("not an object") << QByteArray("var Content=\"x\";") << QList<int>{ok, 0, 0} << "";
        QTest::newRow("truncated") << QByteArray("var Content={\"0\":{\"Filename\":\"a\"") << QList<int>{bad, 0, 0}
                                   << "";
        QTest::newRow("shorter than the prefix") << QByteArray("var") << QList<int>{bad, 0, 0} << "";
        QTest::newRow("oversized") << QByteArray() << QList<int>{int(ReadStatus::TooLarge), 0, 0} << "";
    }
    void hostileDataFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QList<int>, outcome);
        QFETCH(QString, copy);
        QTemporaryDir run;
        QVERIFY(put(run.filePath("Photos/photo"), "") && put(run.filePath("Script/assets/Photos.js"), content));
        if (content.isEmpty()) QVERIFY(QFile::resize(run.filePath("Script/assets/Photos.js"), kMaxDataFileBytes + 1));
        const ReadResult<MediaEntry> read = readMediaJs(run.path(), MediaKind::Photos);
        QCOMPARE((QList<int>{int(read.status), int(read.entries.size()), int(read.rejected.size())}), outcome);
        for (const MediaEntry& e : read.entries) QCOMPARE(e.localPath, copy.isEmpty() ? copy : run.filePath(copy));
        if (read.status == ReadStatus::Unparsable) QVERIFY(read.error.startsWith("Error before: ["));
    }

    // A file that cannot be made is reported and leaves nothing behind.
    void failedWritesAreReported() {
        QTemporaryDir run;
        QVERIFY(put(run.filePath("Script"), "") && put(run.filePath("Contacts"), ""));
        QVERIFY(!writeContactsJs(run.path(), m_records.contactHead, m_options));
        QVERIFY(!writeContactsCsv(run.path(), m_records.contactHead, m_options));
        QVERIFY(!writeBackupInfoJs(run.path(), {}));
        QCOMPARE(filesUnder(run.path()), QStringList({"Contacts", "Script"}));
    }

    void fileOperations() {
        QTemporaryDir dir;
        const QString source = dir.filePath("source"), target = dir.filePath("target");
        for (const char* name : {"/a.txt", "/sub/b.txt", "/.hidden"}) QVERIFY(put(source + name, "new"));
        QVERIFY(QFile::link(dir.filePath("outside"), source + "/link"));
        QVERIFY(QFile::link(source + "/sub", source + "/linkdir"));
        QVERIFY(put(target + "/a.txt", "old"));
        QVERIFY(copyFolderTree(source, target));
        QCOMPARE(filesUnder(target), QStringList({"a.txt", "sub/b.txt"}));
        QCOMPARE(readAll(target + "/a.txt"), QByteArray("old"));
        QVERIFY(!copyFolderTree(dir.filePath("missing"), target));

        QVERIFY(!copyFileTo(source + "/a.txt", target + "/a.txt", false));
        QVERIFY(copyFileTo(source + "/a.txt", target + "\\c.txt", false));
        QCOMPARE(readAll(target + "/c.txt"), QByteArray("new"));
        QVERIFY(copyFileTo(source + "/a.txt", target + "/a.txt", true));
        QCOMPARE(readAll(target + "/a.txt"), QByteArray("new"));

        QCOMPARE(fileSuffix("/sdcard/a/p.jpg"), QByteArray(".jpg"));
        QCOMPARE(fileSuffix("/sdcard/my.dir/photo"), QByteArray());
        QCOMPARE(fileSuffix("/sdcard/.nomedia"), QByteArray());
        QCOMPARE(fileSuffix("a.b\x01"), QByteArray(".b_"));
        QCOMPARE(fileSuffix("a." + QByteArray(40, 'x')), QByteArray());
    }

    // The backup list as the restore screen reads it: entries that name no
    // valid run folder, names that would read back as a key in a group and
    // values that are not one absolute path are dropped, first come first kept,
    // and the file is rewritten without them; no INI file is left alone.
    void backupListRead_data() {
        QTest::addColumn<QByteArray>("ini");      // %1 ... the folders below; null: a folder in the file's place
        QTest::addColumn<QStringList>("shown");   // "line|time|folder" of every entry kept; empty: nothing read
        QTest::addColumn<bool>("rewritten");
        const QByteArray good = "03-05-2024-14-07-09-SimPhone=%1\n";
        const QStringList goodShown{"SimPhone  03/05/2024|14:07:09 03/05/2024|one"};
        QTest::newRow("suffixes and an empty device")
            << QByteArray("03-05-2024-14-07-09(2)-Sim (2) Phone=%1\n03-05-2024-14-07-09 (12)-SimPhone=%2\n"
                          "03-05-2024-14-07-10-=%3\n")
            << QStringList{"SimPhone  03/05/2024|14:07:09 03/05/2024|two",
                           "Sim (2) Phone  03/05/2024|14:07:09 03/05/2024|one", "  03/05/2024|14:07:10 03/05/2024|three"}
            << false;
        const struct {
            const char* tag;
            QByteArray line;
        } dropped[] = {
            {"two keys, one folder", "04-05-2024-10-00-00-Other=%1\n"},
            {"no data file", "04-05-2024-10-00-00-X=%4\n"},
            {"no summary", "04-05-2024-10-00-00-X=%5\n"},
            {"linked summary", "04-05-2024-10-00-00-X=%6\n"},
            {"relative path", "04-05-2024-10-00-00-X=runs/two\n"},
            {"NULL", "04-05-2024-10-00-00-X=NULL\n"},
            {"list value", "04-05-2024-10-00-00-X=%2, %3\n"},
            {"byte array value", "04-05-2024-10-00-00-X=@ByteArray(%2)\n"},
            {"name with a slash", "[04-05-2024-10-00-00]\nX=%2\n"},
        };
        for (const auto& row : dropped) QTest::newRow(row.tag) << good + row.line << goodShown << true;
        QTest::newRow("not INI") << QByteArray("\x01\x02[[[\n=\n[abc\nfoo") << QStringList{} << false;
        QTest::newRow("a folder") << QByteArray() << QStringList{} << false;
    }
    void backupListRead() {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, shown);
        QFETCH(bool, rewritten);
        QTemporaryDir dir;
        QStringList folders;
        for (const char* name : {"one", "two", "three", "noData", "noSummary", "linked"}) {
            folders << dir.filePath(name);
            QVERIFY(put(folders.last() + "/index.html", "<html></html>"));
            QVERIFY(put(dataFilePath(folders.last(), DataFile::BackupInfo), "var Content={};"));
            QVERIFY(put(dataFilePath(folders.last(), DataFile::Contacts), "var ContactContent={};"));
        }
        QVERIFY(QFile::remove(dataFilePath(folders[3], DataFile::Contacts)));
        QVERIFY(QFile::remove(dataFilePath(folders[4], DataFile::BackupInfo)));
        QVERIFY(QFile::remove(dataFilePath(folders[5], DataFile::BackupInfo)));
        QVERIFY(QFile::link(dataFilePath(folders[0], DataFile::BackupInfo), dataFilePath(folders[5], DataFile::BackupInfo)));
        const QString list = dir.filePath("mobrellist.ini");
        QByteArray written = "[General]\n" + ini;
        for (int i = 0; i < folders.size(); ++i) written.replace("%" + QByteArray::number(i + 1), folders[i].toUtf8());
        QVERIFY(ini.isNull() ? QDir().mkdir(list) : put(list, written));

        const std::optional<BackupList> read = readBackupList(list);
        QCOMPARE(read.has_value(), !shown.isEmpty());
        QStringList got;
        for (qsizetype i = 0; read && i < read->names.size(); ++i)
            got << backupListLine(read->names[i]) + "|" + backupTimeText(read->names[i]) + "|" +
                       QFileInfo(read->paths[i]).fileName();
        QCOMPARE(got, shown);
        if (rewritten) QCOMPARE(QSettings(list, QSettings::IniFormat).allKeys(), read->names);
        else if (!ini.isNull()) QCOMPARE(readAll(list), written);
    }

    // What a run is entered as: names that would read back as a key in a group,
    // or folders that are not one absolute path, are refused.
    void backupListRecords() {
        const QString name = "03-05-2024-14-07-09(2)-HTC One";
        const struct {
            QString name, folder;
            bool listIsFolder, recorded;
        } rows[] = {{name, "/runs/HTC One-03-05-2024-14-07-09(2)", false, true},
                    {"03-05-2024-14-07-09-a/b", "/runs/x", false, false},
                    {"03-05-2024-14-07-09-a\\b", "/runs/x", false, false},
                    {name, "runs/x", false, false},
                    {name, "NULL", false, false},
                    {name, "/runs/x", true, false}};
        for (const auto& row : rows) {
            QTemporaryDir dir;
            const QString list = dir.filePath("mobrellist.ini");
            if (row.listIsFolder) QVERIFY(QDir().mkdir(list));
            QCOMPARE(recordBackupRun(list, row.name, row.folder), row.recorded);
            const QSettings settings(list, QSettings::IniFormat);
            QCOMPARE(settings.allKeys(), row.recorded ? QStringList{row.name} : QStringList{});
            if (row.recorded) QCOMPARE(settings.value(row.name).toString(), row.folder);
        }
    }
};

int main(int argc, char** argv) {
    qputenv("TZ", "UTC");
    tzset();
    QCoreApplication app(argc, argv);
    ArchiveTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "archive_test.moc"
