#include "RestoreDataThread.h"

#include <mobrelclient.h>

#include <QFileInfo>

#include "datareaders.h"

namespace {

using MediaAdd = int (*)(const char*, const char*);

MediaAdd mediaAddCall(int itemType) {
    switch (itemType) {
    case 3: return MobrelApi_addPhoto;
    case 4: return MobrelApi_addVideo;
    default: return MobrelApi_addMusic;
    }
}

}  // namespace

RestoreDataThread::RestoreDataThread(QObject* parent) : QThread(parent) {
    for (int type = 0; type < kCategoryCount; ++type) {
        categoryState[type] = kNotChosen;
        doneCount[type] = 0;
    }
}

void RestoreDataThread::setPacing(unsigned long recordMs, unsigned long pollMs, unsigned long settleMs) {
    recordPauseMs = recordMs;
    smsAppPollMs = pollMs;
    importSettleMs = settleMs;
}

bool RestoreDataThread::anythingFailed() const {
    for (const Outcome& result : outcome) {
        if (result.failed > 0 || result.unreadable) return true;
    }
    return false;
}

void RestoreDataThread::run() {
    waitingForSmsApp = false;
    skipRequested = false;
    for (Outcome& result : outcome) {
        result.attempted = 0;
        result.failed = 0;
        result.unreadable = false;
    }
    for (int type = 0; type < kCategoryCount && !stopRequested; ++type) {
        if (categoryState[type] == kNotChosen) continue;
        categoryState[type] = kRestoring;
        if (sourceIsBackup) {
            switch (type) {
            case 0: restoreContactsJs(); break;
            case 1: restoreSmsJs(); break;
            case 2: restoreCallHistoryJs(); break;
            default: restoreMediaJs(type); break;
            }
        } else if (type >= 3) {
            importMediaFiles(type);
        }
        // The views fetch the category again when next shown.
        MobrelApi_SetItemisUnLoaded(type);
        categoryState[type] = kRestored;
    }
}

void RestoreDataThread::progressStep(int itemType) {
    const quint32 done = doneCount[itemType] + 1;
    doneCount[itemType] = qMin(done, totalCount[itemType]);
    QThread::msleep(recordPauseMs);
}

void RestoreDataThread::countAdd(int itemType, bool accepted) {
    ++outcome[itemType].attempted;
    if (!accepted) ++outcome[itemType].failed;
}

namespace {

// A data file that is there but cannot be read restores nothing of its category;
// a missing one is simply not part of the run.
template <class Entry>
bool usable(const ReadResult<Entry>& read, RestoreDataThread::Outcome& outcome) {
    if (read.status != ReadStatus::Ok && read.status != ReadStatus::Missing) outcome.unreadable = true;
    return read.ok();
}

}  // namespace

void RestoreDataThread::restoreContactsJs() {
    ReadResult<ContactEntry> read = readContactsJs(runFolder);
    if (!usable(read, outcome[0])) return;
    for (ContactEntry& entry : read.entries) {
        if (stopRequested) return;
        if (!entry.contactId.isEmpty()) {
            const MobrelContact contact = contactRecord(entry);
            countAdd(0, MobrelApi_AddPerson(&contact) == 0);
        }
        progressStep(0);
    }
}

void RestoreDataThread::restoreSmsJs() {
    // Read before asking for the switch: a file that is missing or unreadable
    // must not make the user change the phone's messaging app for nothing.
    ReadResult<SmsEntry> read = readSmsJs(runFolder);
    if (!usable(read, outcome[1])) return;

    if (MobrelApi_CheckAndroidVersionAt44() == 1) {
        waitingForSmsApp = true;
        MobrelApi_SetDefaultMessage();
        while (MobrelApi_CheckDefaultMessangeOK() != 0) {
            QThread::msleep(smsAppPollMs);
            // A skipped wait sends nothing and switches nothing back: the
            // phone never made the switch.
            if (skipRequested || stopRequested) {
                waitingForSmsApp = false;
                return;
            }
        }
    }
    waitingForSmsApp = false;

    for (SmsEntry& entry : read.entries) {
        if (stopRequested) break;
        if (!entry.id.isEmpty() && !entry.threadId.isEmpty() && entry.threadId != "-1") {
            const MobrelSms message = smsRecord(entry);
            countAdd(1, MobrelApi_AddSMS(&message) > 0);
        }
        progressStep(1);
    }
    MobrelApi_ReSetDefaultMessage();
}

void RestoreDataThread::restoreCallHistoryJs() {
    ReadResult<CallEntry> read = readCallHistoryJs(runFolder);
    if (!usable(read, outcome[2])) return;
    for (CallEntry& entry : read.entries) {
        if (stopRequested) return;
        if (!entry.number.isEmpty()) {
            const MobrelCallLog call = callRecord(entry);
            countAdd(2, MobrelApi_AddCallHistory(&call) > 0);
        }
        progressStep(2);
    }
}

void RestoreDataThread::restoreMediaJs(int itemType) {
    static const MediaKind kinds[] = {MediaKind::Photos, MediaKind::Videos, MediaKind::Musics};
    const ReadResult<MediaEntry> read = readMediaJs(runFolder, kinds[itemType - 3]);
    if (!usable(read, outcome[itemType])) return;
    // Names that would have left the category folder are never pushed, but
    // the user learns that they were not restored.
    for (qsizetype i = 0; i < read.rejected.size(); ++i) countAdd(itemType, false);
    const MediaAdd add = mediaAddCall(itemType);
    for (const MediaEntry& entry : read.entries) {
        if (stopRequested) return;
        // A copy deleted by hand is passed over.
        if (!entry.localPath.isEmpty())
            countAdd(itemType, add(entry.localPath.toUtf8().constData(), entry.fileName.toUtf8().constData()) >= 0);
        progressStep(itemType);
    }
}

void RestoreDataThread::importMediaFiles(int itemType) {
    const MediaAdd add = mediaAddCall(itemType);
    for (const QString& path : importFiles) {
        if (stopRequested) return;
        const QFileInfo file(path);
        // A chosen file that is gone by now did not reach the phone either.
        countAdd(itemType, file.isFile() &&
                               add(path.toUtf8().constData(), file.fileName().toUtf8().constData()) >= 0);
    }
    QThread::msleep(importSettleMs);
}
