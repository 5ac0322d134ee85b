// The run folder's data file readers on any text (the first byte picks the file): a media entry
// never points outside its folder or through a link, and the library's records hold every text.
#include <QFileInfo>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "datareaders.h"
#include "recordkeys.h"
#include "scratch.h"

namespace {

// One run folder a process; each media folder holds a copy, a link to it and a folder, as the seeds name them.
QString runFolder() {
    static const QString run = [] {
        const QString path = scratchPath(QStringLiteral("run"));
        for (MediaKind kind : {MediaKind::Photos, MediaKind::Videos, MediaKind::Musics}) {
            const QString folder = path + QLatin1Char('/') + mediaCategory(kind);
            putFile(folder + QStringLiteral("/IMG_1.jpg"), "jpeg");
            if (!QFile::link(folder + QStringLiteral("/IMG_1.jpg"), folder + QStringLiteral("/IMG_1(1).jpg")) ||
                !QDir().mkpath(folder + QStringLiteral("/IMG_1(2).jpg")))
                std::abort();
        }
        return path;
    }();
    return run;
}

// A record's field is null exactly when its text is empty, else a string the sanitizer lets us read.
template <class Entry, class Record, class Keys>
void checkRecords(ReadResult<Entry> result, Record (*record)(Entry&), const Keys& keys) {
    for (Entry& entry : result.entries) {
        const Record r = record(entry);
        for (const auto& key : keys) {
            const char* field = r.*key.field;
            if ((field == nullptr) != (entry.*key.entry).isEmpty() || (field && std::strlen(field) == 0))
                std::abort();
        }
    }
}

void checkMedia(const ReadResult<MediaEntry>& result, MediaKind kind) {
    const QString folder = runFolder() + QLatin1Char('/') + mediaCategory(kind) + QLatin1Char('/');
    for (const MediaEntry& entry : result.entries) {
        if (entry.localPath.isEmpty()) continue;
        const QFileInfo copy(entry.localPath);
        if (entry.localPath != folder + entry.fileName || entry.fileName.contains(QLatin1Char('/')) ||
            copy.isSymLink() || !copy.isFile())
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {  // an unparsable file is reported on stdout
    return std::freopen("/dev/null", "w", stdout) ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const DataFile files[] = {DataFile::Contacts, DataFile::Sms,    DataFile::CallHistory, DataFile::Photos,
                                     DataFile::Videos,   DataFile::Musics, DataFile::BackupInfo};
    const int pick = data[0] % 7;
    const QString run = runFolder();
    putFile(dataFilePath(run, files[pick]), QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));
    switch (files[pick]) {
    case DataFile::Contacts: checkRecords(readContactsJs(run), contactRecord, kContactKeys); break;
    case DataFile::Sms: checkRecords(readSmsJs(run), smsRecord, kSmsKeys); break;
    case DataFile::CallHistory: checkRecords(readCallHistoryJs(run), callRecord, kCallKeys); break;
    case DataFile::BackupInfo: readBackupInfoJs(run); break;
    default: checkMedia(readMediaJs(run, MediaKind(pick - 3)), MediaKind(pick - 3));
    }
    return 0;
}
