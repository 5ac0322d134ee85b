#include "datareaders.h"

#include <QFileInfo>

#include "recordkeys.h"
#include "runfiles.h"

namespace {

char* fieldOf(QByteArray& text) {
    return text.isEmpty() ? nullptr : text.data();
}

template <class Entry>
ReadResult<Entry> opened(DataFileIn& in) {
    ReadResult<Entry> result;
    result.status = in.status;
    result.error = in.error;
    return result;
}

// Calls read(element) for every child of the root, or with nested for every
// child of every child.
template <class Read>
void forEachElement(const cJSON* root, bool nested, Read read) {
    for (const cJSON* child = root->child; child; child = child->next) {
        if (!nested) {
            read(child);
            continue;
        }
        for (const cJSON* element = child->child; element; element = element->next) read(element);
    }
}

template <class Entry, class Keys>
ReadResult<Entry> readRecords(const QString& runFolder, DataFile file, bool nested, const Keys& keys) {
    DataFileIn in = readDataFile(runFolder, file);
    ReadResult<Entry> result = opened<Entry>(in);
    if (!result.ok()) return result;
    forEachElement(in.root.get(), nested, [&](const cJSON* element) {
        Entry entry;
        for (const auto& key : keys) entry.*key.entry = stringItem(element, key.key);
        result.entries.append(entry);
    });
    return result;
}

bool leavesFolder(const QString& name) {
    return name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
           name.contains(QStringLiteral(".."));
}

}  // namespace

ReadResult<ContactEntry> readContactsJs(const QString& runFolder) {
    return readRecords<ContactEntry>(runFolder, DataFile::Contacts, false, kContactKeys);
}

ReadResult<SmsEntry> readSmsJs(const QString& runFolder) {
    return readRecords<SmsEntry>(runFolder, DataFile::Sms, true, kSmsKeys);
}

ReadResult<CallEntry> readCallHistoryJs(const QString& runFolder) {
    return readRecords<CallEntry>(runFolder, DataFile::CallHistory, true, kCallKeys);
}

ReadResult<MediaEntry> readMediaJs(const QString& runFolder, MediaKind kind) {
    static const DataFile files[] = {DataFile::Photos, DataFile::Videos, DataFile::Musics};
    DataFileIn in = readDataFile(runFolder, files[static_cast<int>(kind)]);
    ReadResult<MediaEntry> result = opened<MediaEntry>(in);
    if (!result.ok()) return result;
    const QString category = mediaCategory(kind) + QLatin1Char('/');
    forEachElement(in.root.get(), false, [&](const cJSON* element) {
        MediaEntry entry;
        entry.sessionId = stringItem(element, "SessionID");
        entry.title = stringItem(element, "Title");
        const QString base = QString::fromUtf8(stringItem(element, "Filename"));
        const QString suffix = QString::fromUtf8(stringItem(element, "Suffix"));
        if (leavesFolder(base) || leavesFolder(suffix) || base + suffix == QLatin1String(".")) {
            result.rejected.append(base + suffix);
        } else if (!base.isEmpty()) {
            entry.fileName = base + suffix;
            const QString relative = category + entry.fileName;
            const QFileInfo copy(runFolder + QLatin1Char('/') + relative);
            if (isPlainFileIn(runFolder, relative))
                entry.localPath = copy.filePath();
            else if (copy.exists() || copy.isSymLink())
                result.rejected.append(entry.fileName);  // a link or no regular file
        }
        result.entries.append(entry);
    });
    return result;
}

BackupCounts readBackupInfoJs(const QString& runFolder) {
    BackupCounts result;
    DataFileIn in = readDataFile(runFolder, DataFile::BackupInfo);
    result.status = in.status;
    result.error = in.error;
    if (in.status != ReadStatus::Ok) return result;
    forEachElement(in.root.get(), false, [&](const cJSON* member) {
        for (int type = 0; type < kArchiveCategoryCount; ++type) {
            const QByteArray count = stringItem(member, kBackupInfoKeys[type]);
            if (!count.isEmpty()) result.counts[type] = count.toUInt();
        }
    });
    return result;
}

MobrelContact contactRecord(ContactEntry& entry) {
    MobrelContact contact{};
    for (const ContactKey& key : kContactKeys) contact.*key.field = fieldOf(entry.*key.entry);
    return contact;
}

MobrelSms smsRecord(SmsEntry& entry) {
    static char zero[] = "0";
    static char one[] = "1";
    MobrelSms message{};
    for (const SmsKey& key : kSmsKeys) message.*key.field = fieldOf(entry.*key.entry);
    if (!entry.flags.isEmpty()) message.type = entry.flags == "1" ? zero : one;
    if (!entry.read.isEmpty()) message.read = entry.read == "1" ? one : zero;
    return message;
}

MobrelCallLog callRecord(CallEntry& entry) {
    MobrelCallLog call{};
    for (const CallKey& key : kCallKeys) call.*key.field = fieldOf(entry.*key.entry);
    return call;
}
