// Formatters, folder settings, the backup list file, run folders and the
// private temporary folder, in a private HOME and XDG tree. (The interface
// scale is the shell test's, with the window's size.)
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>
#include <limits>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "base/formatters.h"
#include "base/paths.h"
#include "base/runfolder.h"
#include "base/settings.h"

namespace {

QString g_root;  // the private tree every environment variable points into

bool makeFolder(const QString& path, int mode) {
    return QDir().mkpath(path) && chmod(QFile::encodeName(path).constData(), mode) == 0;
}

// Points HOME at a fresh folder holding the given sub-folders.
QString freshHome(const QString& name, const QStringList& folders) {
    const QString home = g_root + "/homes/" + name;
    QDir().mkpath(home);
    for (const QString& folder : folders) QDir().mkpath(home + "/" + folder);
    qputenv("HOME", QFile::encodeName(home));
    return home;
}

}  // namespace

class BaseTest : public QObject {
    Q_OBJECT

private slots:
    // Per formatter, value and text. Sizes: 1000 stays bytes, 1e6 stays KB, 1e9
    // stays M, and M and G count whole KB and MB. Durations are not wrapped at a day.
    void formatters_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("text");
        using Cases = std::vector<std::pair<qint64, const char*>>;
        const std::pair<const char*, Cases> table[] = {
            {"size", {{0, "0 Bytes"}, {-5, "-5 Bytes"}, {1000, "1000 Bytes"}, {1001, "1.00 KB"},
                      {1000000, "1000.00 KB"}, {1500000, "1.50 M"}, {1005500, "1.00 M"},
                      {1000000000, "1000.00 M"}, {1000000001, "1.00 G"}, {1005500000, "1.00 G"}}},
            {"duration",
             {{0, "00:00:00"}, {3725, "01:02:05"}, {90000, "25:00:00"}, {-1, "5124095576030431:00:15"}}},
            {"play", {{0, "00:00"}, {59, "00:59"}, {3600, "01:00:00"}, {3725, "01:02:05"}}},
            {"time", {{0, "1970-01-01 00:00:00"}, {1709647629, "2024-03-05 14:07:09"},
                      {-1, "1969-12-31 23:59:59"}, {std::numeric_limits<qint64>::max(), ""}}},
        };
        for (const auto& [kind, cases] : table) {
            for (const auto& [value, text] : cases) {
                QTest::addRow("%s %lld", kind, static_cast<long long>(value))
                    << QString(kind) << value << QString(text);
            }
        }
    }
    // "duration" and "play" take the value as unsigned seconds (-1 is the largest).
    void formatters() {
        QFETCH(QString, kind);
        QFETCH(qint64, value);
        QFETCH(QString, text);
        const QString result = kind == "size"       ? formatSize(value)
                               : kind == "duration" ? formatDuration(quint64(value))
                               : kind == "play"     ? formatPlayTime(quint64(value))
                                                    : formatTimestamp(value);
        QCOMPARE(result, text);
    }
    void defaultOutputFolder_data() {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("userDirs");  // XDG_DOCUMENTS_DIR of user-dirs.dirs
        QTest::addColumn<QString>("documents");
        QTest::newRow("nothing: Documents is created") << QStringList() << "" << "Documents";
        QTest::newRow("My Documents") << QStringList{"My Documents"} << "" << "My Documents";
        QTest::newRow("Documents first") << QStringList{"My Documents", "Documents"} << ""
                                         << "Documents";
        QTest::newRow("XDG documents folder") << QStringList{"Dokumente", "Documents"}
                                              << "$HOME/Dokumente" << "Dokumente";
        QTest::newRow("missing XDG folder falls back") << QStringList{"Documents"} << "$HOME/Gone"
                                                       << "Documents";
    }
    void defaultOutputFolder() {
        QFETCH(QStringList, existing);
        QFETCH(QString, userDirs);
        QFETCH(QString, documents);
        const QString home = freshHome(QTest::currentDataTag(), existing);
        const QString userDirsFile = g_root + "/config/user-dirs.dirs";
        if (!userDirs.isEmpty()) {
            QVERIFY(QDir().mkpath(g_root + "/config"));
            QFile file(userDirsFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("XDG_DOCUMENTS_DIR=\"" + userDirs.toUtf8() + "\"\n");
        }
        const QString folder = folderSetting(kSavePathKey);
        QFile::remove(userDirsFile);
        QCOMPARE(folder, home + "/" + documents + "/Tolvane/Mobrel");
        QVERIFY(QFileInfo(folder).isDir());
    }
    // A stored folder is returned while it exists; once removed the default takes
    // its place, and the stale value stays in the store.
    void storedFolder() {
        const QString key = kOpenFileKey;
        const QString home = freshHome("stored", {"Documents"});
        const QString picked = home + "/picked folder";
        QVERIFY(QDir().mkpath(picked));
        setFolderSetting(key, picked);
        QCOMPARE(folderSetting(key), picked);

        QVERIFY(QDir(picked).removeRecursively());
        QCOMPARE(folderSetting(key), home + "/Documents/Tolvane/Mobrel");
        const QSettings store(g_root + "/config/Tolvane/Mobrel.conf", QSettings::IniFormat);
        QCOMPARE(store.value(key).toString(), picked);
    }
    void backupListFileLocation() {
        const QString home = freshHome("list", {});
        QCOMPARE(backupListFile(), g_root + "/config/Tolvane/config/mobrellist.ini");
        QVERIFY(QFileInfo(g_root + "/config/Tolvane/config").isDir());

        // Without a usable XDG_CONFIG_HOME the file lives under ~/.config.
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        for (const QByteArray& value : {QByteArray(), QByteArray("relative/config")}) {
            qputenv("XDG_CONFIG_HOME", value);
            const QString file = backupListFile();
            qputenv("XDG_CONFIG_HOME", config);
            QCOMPARE(file, home + "/.config/Tolvane/config/mobrellist.ini");
        }
    }
    void runFolder_data() {
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("device");  // the device part of both names
        QTest::newRow("brand removed from model") << "samsung" << "samsung SM-G900F"
                                                  << "samsung  SM-G900F";
        QTest::newRow("brand not in model") << "HTC" << "One" << "HTC One";
        QTest::newRow("every occurrence") << "LG" << "LGxLG" << "LG x";
        QTest::newRow("case-sensitive") << "htc" << "HTC One" << "htc HTC One";
        QTest::newRow("control characters") << "Moto\t" << "G\r5\n\x01" << "Moto G5";
        QTest::newRow("separators stay inside") << "x" << "../..\\evil" << "x .._.._evil";
        QTest::newRow("blocked by a file") << "HTC" << "One" << "HTC One";
    }
    void runFolder() {
        QFETCH(QString, brand);
        QFETCH(QString, model);
        QFETCH(QString, device);
        const QString output = g_root + "/output " + QTest::currentDataTag();
        QVERIFY(QDir().mkpath(output));
        setFolderSetting(kSavePathKey, output);
        // A folder that cannot be made is reported, not passed on as made.
        const bool blocked = QByteArray(QTest::currentDataTag()).startsWith("blocked");
        if (blocked) QVERIFY(QFile(output + "/HTC One-03-05-2024-14-07-09").open(QIODevice::WriteOnly));

        const RunFolder run =
            createOutputFolder(brand, model, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
        QCOMPARE(run.folder, output + "/" + device + "-03-05-2024-14-07-09");
        QCOMPARE(run.created, !blocked);
        if (blocked) return;
        QCOMPARE(run.name, "03-05-2024-14-07-09-" + device);
        QVERIFY(QFileInfo(run.folder).isDir());
        QCOMPARE(QFileInfo(run.folder).absolutePath(), output);

        // A second run of the same second gets a folder and a name of its own.
        const RunFolder again =
            createOutputFolder(brand, model, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
        QCOMPARE(again.folder, output + "/" + device + "-03-05-2024-14-07-09(2)");
        QCOMPARE(again.name, "03-05-2024-14-07-09(2)-" + device);
        QVERIFY(again.created);
    }
    void temporaryFolders() {
        const QString runtime = g_root + "/runtime/";
        QCOMPARE(privateTempFolder(), runtime);
        QCOMPARE(mobrelTempFolder(), runtime + "Tolvane/mobrel/");
        QVERIFY(QFileInfo(runtime + "Tolvane/mobrel").isDir());
        // The library empties its work folder; the GUI only makes sure it exists.
        QFile keep(runtime + "Tolvane/mobrel/thumb.jpg");
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.close();
        mobrelTempFolder();
        QVERIFY(keep.exists());
    }
    void privateFolderRefusesForeignNames_data() {
        QTest::addColumn<QString>("taken");  // what already holds the name mobrel-<uid>
        QTest::addColumn<bool>("reused");
        QTest::newRow("nothing") << "" << true;
        QTest::newRow("our private folder") << "private" << true;
        QTest::newRow("open folder") << "open" << false;
        QTest::newRow("symlink to a private folder") << "link" << false;
        QTest::newRow("file") << "file" << false;
    }
    void privateFolderRefusesForeignNames() {
        QFETCH(QString, taken);
        QFETCH(bool, reused);
        const QString parent = g_root + "/tmp-" + QTest::currentDataTag();
        QVERIFY(QDir().mkpath(parent));
        const QString name = parent + "/mobrel-" + QString::number(geteuid());
        if (taken == "private") QVERIFY(makeFolder(name, 0700));
        if (taken == "open") QVERIFY(makeFolder(name, 0755));
        if (taken == "link") {
            QVERIFY(makeFolder(parent + "/elsewhere", 0700));
            QVERIFY(QFile::link(parent + "/elsewhere", name));
        }
        if (taken == "file") QVERIFY(QFile(name).open(QIODevice::WriteOnly));

        const QString folder = privateFolderIn(parent);
        QVERIFY(isPrivateFolder(folder));
        QCOMPARE(folder == name + "/", reused);
        if (!reused) QVERIFY(folder.startsWith(name + "-"));
        QCOMPARE(privateFolderIn(parent) == folder, reused);
    }
};

int main(int argc, char** argv) {
    QTemporaryDir root;
    if (!root.isValid()) return 1;
    g_root = root.path();
    makeFolder(g_root + "/runtime", 0700);
    qputenv("HOME", QFile::encodeName(g_root + "/homes/start"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(g_root + "/config"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(g_root + "/runtime"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(g_root + "/data"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(g_root + "/cache"));
    qputenv("TZ", "UTC");
    tzset();
    QCoreApplication app(argc, argv);
    BaseTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "base_test.moc"
