// The backup list file of any text ("%1", "%2": valid run folders, "%3": one without data) and
// what the restore screen makes of each kept run: kept entries pass the checks and read back the same.
#include <QFileInfo>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "backuplist.h"
#include "datafile.h"
#include "datareaders.h"
#include "scratch.h"

namespace {

QList<QByteArray> makeRunFolders() {
    QList<QByteArray> paths;
    for (const char* name : {"one", "two", "empty"}) {
        const QString run = scratchPath(QString::fromLatin1(name));
        putFile(run + QStringLiteral("/index.html"), "<html></html>");
        putFile(dataFilePath(run, DataFile::BackupInfo), "var Content={\"BackupInfo\":{\"Contacts\":\"3\"}};");
        if (paths.size() < 2) putFile(dataFilePath(run, DataFile::Sms), "var SMSContent={};");
        paths << run.toUtf8();
    }
    return paths;
}

bool passes(const QString& name, const QString& path, const QStringList& earlier) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           QFileInfo(path).isAbsolute() && !earlier.contains(path) && isValidRunFolder(path);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {  // an unparsable Backupinfo.js is reported on stdout
    return std::freopen("/dev/null", "w", stdout) ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QList<QByteArray> runs = makeRunFolders();
    QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    for (qsizetype i = 0; i < runs.size(); ++i) text.replace("%" + QByteArray::number(i + 1), runs[i]);
    // A fresh name for every read: the settings object caches what it read of a file.
    static quint64 reads = 0;
    const QString file = scratchPath(QStringLiteral("list%1.ini").arg(reads++));
    const QString again = scratchPath(QStringLiteral("list%1.ini").arg(reads++));
    putFile(file, text);

    if (const std::optional<BackupList> list = readBackupList(file)) {
        if (list->names.size() != list->paths.size()) std::abort();
        for (qsizetype i = 0; i < list->names.size(); ++i) {
            if (!passes(list->names[i], list->paths[i], list->paths.mid(0, i))) std::abort();
            backupListLine(list->names[i]);
            backupTimeText(list->names[i]);
            readBackupInfoJs(list->paths[i]);
        }
        const std::optional<BackupList> reread = QFile::rename(file, again) ? readBackupList(again) : std::nullopt;
        if (!reread || reread->names != list->names || reread->paths != list->paths) std::abort();
    }
    QFile::remove(file);
    QFile::remove(again);
    return 0;
}
