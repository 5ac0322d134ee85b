#include "datawriters.h"

#include <QSet>

#include "base/formatters.h"
#include "bytetext.h"
#include "datafile.h"
#include "recordkeys.h"
#include "recordwalk.h"

namespace {

void addText(cJSON* object, const char* key, const QByteArray& text) {
    cJSON_AddStringToObject(object, key, text.constData());
}

void addText(cJSON* object, const char* key, const char* text) {
    cJSON_AddStringToObject(object, key, text ? text : "");
}

cJSON* addMember(cJSON* parent, const QByteArray& name) {
    cJSON* object = cJSON_CreateObject();
    cJSON_AddItemToObject(parent, name.constData(), object);
    return object;
}

// Commits the data file, then copies the category's page and pauses.
bool finishRecordFile(DataFileOut& out, const QString& runFolder, const QString& category,
                      const WalkOptions& options) {
    const bool written = out.commit();
    if (!written) return false;
    copyCategoryPage(options.templateFolder, runFolder, category);
    if (options.pagePauseMs) QThread::msleep(options.pagePauseMs);
    return true;
}

QByteArray deviceText(const char* field, int size) {
    QByteArray text(field, static_cast<int>(qstrnlen(field, static_cast<size_t>(size))));
    text.replace('\n', QByteArray());
    text.replace('\r', QByteArray());
    return text;
}

// The fields that photos, videos and music records all have.
template <class Info>
MediaItem sharedMediaFields(const Info& info) {
    MediaItem item;
    item.id = info.id;
    item.title = textOf(info.title);
    item.path = textOf(info.path);
    item.size = info.size;
    item.modifiedTime = info.modifiedTime;
    item.createdTime = info.createdTime;
    item.ticked = info.loaded == 1;
    return item;
}

}  // namespace

MediaItem mediaItem(const MobrelPhotoInfo& photo) {
    return sharedMediaFields(photo);
}

MediaItem mediaItem(const MobrelVideoInfo& video) {
    MediaItem item = sharedMediaFields(video);
    item.displayName = textOf(video.displayName);
    item.duration = video.duration;
    return item;
}

MediaItem mediaItem(const MobrelMusicInfo& music) {
    MediaItem item = sharedMediaFields(music);
    item.album = textOf(music.album);
    item.artist = textOf(music.artist);
    item.duration = music.duration;
    return item;
}

QString mediaCategory(MediaKind kind) {
    return QString::fromLatin1(kCategoryFolders[3 + static_cast<int>(kind)]);
}

bool writeContactsJs(const QString& runFolder, const MobrelContact* head, const WalkOptions& options) {
    DataFileOut out(runFolder, DataFile::Contacts);
    if (!out.isOpen()) return false;
    int number = 0;
    walkContacts(head, options, false, true, [&](const MobrelContact& contact, bool written) {
        options.count();
        if (!written) return;
        cJSON* object = addMember(out.root(), QByteArray::number(++number));
        for (const ContactKey& key : kContactKeys) addText(object, key.key, contact.*key.field);
        addText(object, "Headimg", "");
        addText(object, "isDelete", "0");
    });
    return finishRecordFile(out, runFolder, QStringLiteral("Contacts"), options);
}

bool writeSmsJs(const QString& runFolder, const MobrelSmsThread* head, const WalkOptions& options) {
    DataFileOut out(runFolder, DataFile::Sms);
    if (!out.isOpen()) return false;
    int groupNumber = 0;
    cJSON* group = nullptr;
    walkGroups(
        head, options, true,
        [&](const MobrelSmsThread&) {
            group = addMember(out.root(), "Group_" + QByteArray::number(++groupNumber));
        },
        [&](const MobrelSms& message, int position) {
            options.count();
            const QByteArray name = QByteArray::number(position);
            cJSON* object = addMember(group, name);
            addText(object, kSmsKeys[0].key, name);
            for (int i = 1; i < 8; ++i) addText(object, kSmsKeys[i].key, message.*kSmsKeys[i].field);
            addText(object, "Type", "0");
            addText(object, "Headimg", "");
            addText(object, "isDelete", "0");
        });
    return finishRecordFile(out, runFolder, QStringLiteral("SMS"), options);
}

bool writeCallHistoryJs(const QString& runFolder, const MobrelCallGroup* head,
                        const WalkOptions& options) {
    DataFileOut out(runFolder, DataFile::CallHistory);
    if (!out.isOpen()) return false;
    int groupNumber = 0;
    cJSON* group = nullptr;
    QByteArray groupName;
    walkGroups(
        head, options, true,
        [&](const MobrelCallGroup& callGroup) {
            group = addMember(out.root(), "Group_" + QByteArray::number(++groupNumber));
            groupName = utf8Prefix(textOf(callGroup.reserved2) + textOf(callGroup.reserved1), 254);
        },
        [&](const MobrelCallLog& call, int position) {
            options.count();
            cJSON* object = addMember(group, QByteArray::number(position));
            addText(object, kCallKeys[0].key, call.*kCallKeys[0].field);
            addText(object, kCallKeys[1].key, groupName);
            for (int i = 2; i < 6; ++i) addText(object, kCallKeys[i].key, call.*kCallKeys[i].field);
            addText(object, "Headimg", "");
            addText(object, "isDelete", "0");
        });
    return finishRecordFile(out, runFolder, QStringLiteral("CallHistory"), options);
}

bool writeMediaJs(const QString& runFolder, MediaKind kind, const MediaSource& source,
                  const WalkOptions& options) {
    static const DataFile files[] = {DataFile::Photos, DataFile::Videos, DataFile::Musics};
    DataFileOut out(runFolder, files[static_cast<int>(kind)]);
    if (!out.isOpen()) return false;
    const QString category = mediaCategory(kind);
    ensureSubfolder(runFolder, category);
    const QString folder = runFolder + QLatin1Char('/') + category;
    QSet<QString> used;
    int number = 0;
    for (int i = 0; i < source.count; ++i) {
        options.count();
        const std::optional<MediaItem> item = source.item(i);
        if (!item || (options.tickedOnly && !item->ticked)) continue;
        const QString suffix = QString::fromUtf8(fileSuffix(item->path));
        const QString base = uniqueMediaBaseName(folder, item->title, suffix, used);
        source.copyTo(item->id, folder + QLatin1Char('/') + base + suffix);

        cJSON* object = addMember(out.root(), QByteArray::number(number++));
        addText(object, "SessionID", QByteArray::number(item->id));
        addText(object, "Title", item->title);
        if (kind == MediaKind::Videos) addText(object, "Displayname", item->displayName);
        if (kind == MediaKind::Musics) {
            addText(object, "Album", item->album);
            addText(object, "Artist", item->artist);
        }
        addText(object, "Filename", base.toUtf8());
        addText(object, "Suffix", suffix.toUtf8());
        if (kind != MediaKind::Photos)
            addText(object, "Duration", formatDuration(static_cast<quint64>(qMax<qint64>(0, item->duration))).toUtf8());
        addText(object, "Filesize", QByteArray::number(item->size));
        addText(object, "Modiftime", formatTimestamp(item->modifiedTime).toUtf8());
        addText(object, "Createtime", formatTimestamp(item->createdTime).toUtf8());
        addText(object, "isDelete", "0");
    }
    return out.commit();
}

bool writeDeviceInfoJs(const QString& runFolder, const MobrelDeviceInfo& device,
                       const QString& templateFolder) {
    DataFileOut out(runFolder, DataFile::DeviceInfo);
    if (!out.isOpen()) return false;
    cJSON* info = addMember(out.root(), "DeviceInfo");
    addText(info, "Device_Name", deviceText(device.brand, sizeof device.brand));
    addText(info, "Serial_Number", deviceText(device.serial, sizeof device.serial));
    addText(info, "Device_Type", deviceText(device.model, sizeof device.model));
    addText(info, "Device_Version", deviceText(device.androidVersion, sizeof device.androidVersion));
    if (!out.commit()) return false;
    copyViewerHome(templateFolder, runFolder);
    return true;
}

bool writeProfileJs(const QString& runFolder, const std::array<bool, kArchiveCategoryCount>& chosen) {
    DataFileOut out(runFolder, DataFile::Profile);
    if (!out.isOpen()) return false;
    int number = 0;
    for (int type = 0; type < 3; ++type) {
        if (!chosen[type]) continue;
        cJSON* object = addMember(out.root(), QByteArray::number(++number));
        addText(object, "SessionID", kCategoryFolders[type]);
    }
    return out.commit();
}

bool writeBackupInfoJs(const QString& runFolder, const CompletedCounts& completed) {
    DataFileOut out(runFolder, DataFile::BackupInfo);
    if (!out.isOpen()) return false;
    cJSON* info = addMember(out.root(), "BackupInfo");
    for (int type = 0; type < kArchiveCategoryCount; ++type) {
        if (completed[type]) addText(info, kBackupInfoKeys[type], QByteArray::number(*completed[type]));
    }
    return out.commit();
}
