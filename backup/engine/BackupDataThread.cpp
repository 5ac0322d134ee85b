#include "BackupDataThread.h"

#include <mobrelclient.h>

#include <QFileInfo>

#include "base/listheads.h"
#include "datawriters.h"
#include "exportfiles.h"
#include "recordwalk.h"
#include "runfiles.h"

namespace {

template <class Record>
using RecordWriter = bool (*)(const QString&, const Record*, const WalkOptions&);

struct CategoryResult {
    bool complete = false;
    std::optional<quint32> written;
};

// A record list the views have not fetched: flushed first unless the library
// holds the category already. False when the flush failed, so that what the
// library kept is written but not taken for the whole category.
template <class Record>
bool fetchList(int itemType, Record*& head, int (*flush)(), int (*get)(Record**)) {
    if (head) return true;
    bool fetched = true;
    if (MobrelApi_CheckItemisLoaded(itemType) != 1) fetched = flush() == 0;
    get(&head);
    return fetched;
}

// What the writers write of a list, walked as they walk it.
quint32 writtenRecords(const MobrelContact* head, const WalkOptions& options) {
    quint32 written = 0;
    walkContacts(head, options, true, false,
                 [&](const MobrelContact&, bool isWritten) { written += isWritten ? 1 : 0; });
    return written;
}

template <class Group>
quint32 writtenRecords(const Group* head, const WalkOptions& options) {
    quint32 written = 0;
    walkGroups(head, options, false, [](const Group&) {}, [&](const auto&, int) { ++written; });
    return written;
}

template <class Record>
CategoryResult writeRecords(const QString& runFolder, int itemType, Record*& head, int (*flush)(),
                            int (*get)(Record**), std::array<RecordWriter<Record>, 3> writers,
                            const WalkOptions& options) {
    const bool fetched = fetchList(itemType, head, flush, get);
    const bool csv = writers[0](runFolder, head, options);
    const bool txt = writers[1](runFolder, head, options);
    CategoryResult result;
    if (writers[2](runFolder, head, options)) {
        WalkOptions counting = options;
        counting.stopRequested = nullptr;
        result.written = writtenRecords(head, counting);
    }
    result.complete = fetched && csv && txt && result.written.has_value() && !options.stopped();
    return result;
}

template <class Record>
struct MediaCalls {
    MediaKind kind;
    int (*flush)();
    int (*count)();
    int (*info)(Record**, int);
    int (*exportFile)(int, const char*);
};

// Every item is looked up and copied by the library; an index the library
// gives nothing for or a copy that did not arrive leaves the category incomplete.
template <class Record>
CategoryResult writeMedia(const QString& runFolder, int itemType, const MediaCalls<Record>& calls,
                          const WalkOptions& options) {
    bool whole = MobrelApi_CheckItemisLoaded(itemType) == 1 || calls.flush() != -1;
    quint32 copied = 0;
    MediaSource source;
    source.count = calls.count();
    source.item = [&](int index) -> std::optional<MediaItem> {
        Record* record = nullptr;
        if (calls.info(&record, index) != 0 || !record) {
            whole = false;
            return std::nullopt;
        }
        return mediaItem(*record);
    };
    source.copyTo = [&](qint32 id, const QString& targetPath) {
        if (calls.exportFile(id, targetPath.toUtf8().constData()) == 0 && QFileInfo(targetPath).isFile())
            ++copied;
        else
            whole = false;
    };
    CategoryResult result;
    if (writeMediaJs(runFolder, calls.kind, source, options)) result.written = copied;
    result.complete = whole && result.written.has_value();
    return result;
}

}  // namespace

BackupDataThread::BackupDataThread(QObject* parent) : QThread(parent) {
    for (int type = 0; type < kCategoryCount; ++type) {
        categoryState[type] = kNotChosen;
        doneCount[type] = 0;
        categoryComplete[type] = false;
    }
}

void BackupDataThread::setPacing(unsigned long recordMs, unsigned long pageMs) {
    recordPauseMs = recordMs;
    pagePauseMs = pageMs;
}

void BackupDataThread::run() {
    stopRequested = false;
    runFilesWritten = false;
    for (int type = 0; type < kCategoryCount; ++type) {
        doneCount[type] = 0;
        categoryComplete[type] = false;
    }
    // Without the template the run has no viewer; its data is written all the same.
    const QString templateFolder = defaultTemplateFolder();
    copyViewerTemplate(templateFolder, runFolder);
    MobrelDeviceInfo device{};
    MobrelApi_GetAndroidDevicesInfo(&device, 0);
    bool ownFiles = writeDeviceInfoJs(runFolder, device, templateFolder);
    std::array<bool, kCategoryCount> chosen{};
    for (int type = 0; type < kCategoryCount; ++type) chosen[type] = categoryState[type] == kChosen;
    ownFiles = writeProfileJs(runFolder, chosen) && ownFiles;

    CompletedCounts written;
    for (int type = 0; type < kCategoryCount; ++type) {
        if (categoryState[type] == kNotChosen) continue;
        categoryState[type] = kWriting;
        categoryComplete[type] = backupCategory(type, written[type]);
        categoryState[type] = kWritten;
    }
    // Without its summary the run cannot be restored: none of it is whole.
    ownFiles = writeBackupInfoJs(runFolder, written) && ownFiles;
    runFilesWritten = ownFiles;
    if (!ownFiles) {
        for (auto& complete : categoryComplete) complete = false;
    }
}

bool BackupDataThread::backupCategory(int itemType, std::optional<quint32>& written) {
    WalkOptions options;
    options.tickedOnly = !backupMode;
    options.stopRequested = [this] { return stopRequested.load(); };
    options.countOne = [this, itemType] { ++doneCount[itemType]; };
    options.recordPauseMs = recordPauseMs;
    options.pagePauseMs = pagePauseMs;

    CategoryResult result;
    switch (itemType) {
    case 0:
        result = writeRecords<MobrelContact>(runFolder, 0, contactListHead, MobrelApi_FlushPerson,
                                             MobrelApi_GetPerson,
                                             {writeContactsCsv, writeContactsTxt, writeContactsJs}, options);
        break;
    case 1:
        result = writeRecords<MobrelSmsThread>(runFolder, 1, smsThreadListHead, MobrelApi_FlushSMS,
                                               MobrelApi_GetSMS, {writeSmsCsv, writeSmsTxt, writeSmsJs}, options);
        break;
    case 2:
        result = writeRecords<MobrelCallGroup>(
            runFolder, 2, callGroupListHead, MobrelApi_FlushCallHistory, MobrelApi_GetCallHistory,
            {writeCallHistoryCsv, writeCallHistoryTxt, writeCallHistoryJs}, options);
        break;
    case 3:
        result = writeMedia(runFolder, 3,
                            MediaCalls<MobrelPhotoInfo>{MediaKind::Photos, MobrelApi_FlushPhotos,
                                                        MobrelApi_GetPhotoCount, MobrelApi_GetPhotoInfo,
                                                        MobrelApi_ExportPhoto},
                            options);
        break;
    case 4:
        result = writeMedia(runFolder, 4,
                            MediaCalls<MobrelVideoInfo>{MediaKind::Videos, MobrelApi_FlushVideo,
                                                        MobrelApi_GetVideoCount, MobrelApi_GetVideoInfo,
                                                        MobrelApi_ExportVideo},
                            options);
        break;
    default:
        result = writeMedia(runFolder, 5,
                            MediaCalls<MobrelMusicInfo>{MediaKind::Musics, MobrelApi_FlushMusic,
                                                        MobrelApi_GetMusicCount, MobrelApi_GetMusicInfo,
                                                        MobrelApi_ExportMusic},
                            options);
        break;
    }
    written = result.written;
    return result.complete;
}
