// Readers of the run folder's data files for the restore: each gives back
// plain records, one per element of the file in file order (see
// archiverecords.h), and the library records the restore hands to the phone.
#pragma once

#include <mobrelclient.h>

#include <QList>
#include <QStringList>
#include <array>

#include "archiverecords.h"
#include "datafile.h"
#include "datawriters.h"

template <class Entry>
struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    QString error;          // why the file was refused
    QList<Entry> entries;
    QStringList rejected;   // media names that would have left the category folder
    bool ok() const { return status == ReadStatus::Ok; }
};

ReadResult<ContactEntry> readContactsJs(const QString& runFolder);
ReadResult<SmsEntry> readSmsJs(const QString& runFolder);
ReadResult<CallEntry> readCallHistoryJs(const QString& runFolder);
ReadResult<MediaEntry> readMediaJs(const QString& runFolder, MediaKind kind);

// The counts of Backupinfo.js by itemType; 0 for a category it does not list.
struct BackupCounts {
    ReadStatus status = ReadStatus::Missing;
    QString error;
    std::array<quint32, kArchiveCategoryCount> counts{};
};
BackupCounts readBackupInfoJs(const QString& runFolder);

// Library records pointing into the entry's texts (valid while the entry
// lives and is not changed); an empty text gives a null field, every other
// field is zero.
MobrelContact contactRecord(ContactEntry& entry);
// The message as the restore writes it: type "0" (received) when flags is "1",
// else "1" (sent); read "1" when read is "1", else "0".
MobrelSms smsRecord(SmsEntry& entry);
MobrelCallLog callRecord(CallEntry& entry);
