// Writers of the run folder's data files (Script/assets/*.js). Each returns
// whether its data file was written; a failed one leaves no file behind.
#pragma once

#include <mobrelclient.h>

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "walkoptions.h"

// One photo, video or music item of the phone's catalogue.
struct MediaItem {
    qint32 id = 0;
    QByteArray title, displayName, album, artist, path;
    qint64 duration = 0, size = 0, modifiedTime = 0, createdTime = 0;
    bool ticked = false;  // the media views' tick mark (loaded 1)
};
MediaItem mediaItem(const MobrelPhotoInfo& photo);
MediaItem mediaItem(const MobrelVideoInfo& video);
MediaItem mediaItem(const MobrelMusicInfo& music);

enum class MediaKind { Photos, Videos, Musics };
// "Photos", "Videos", "Musics"
QString mediaCategory(MediaKind kind);

// The catalogue as the worker reaches it through the library.
struct MediaSource {
    int count = 0;
    // Item index, or none when the library gives none.
    std::function<std::optional<MediaItem>(int index)> item;
    // Copies the phone's file of item id to targetPath.
    std::function<void(qint32 id, const QString& targetPath)> copyTo;
};

// Contacts.js, SMS.js, CallHistory.js from the library's lists, then the
// category's page. Counted: every contact visited; every message or call of a
// written conversation or group.
bool writeContactsJs(const QString& runFolder, const MobrelContact* head, const WalkOptions& options);
bool writeSmsJs(const QString& runFolder, const MobrelSmsThread* head, const WalkOptions& options);
bool writeCallHistoryJs(const QString& runFolder, const MobrelCallGroup* head,
                        const WalkOptions& options);

// Photos.js, Videos.js or Musics.js, copying every item (every ticked one in an
// export) into the category folder under a safe, unique name. Counted: every
// index, before its item is fetched. The stop flag is not looked at.
bool writeMediaJs(const QString& runFolder, MediaKind kind, const MediaSource& source,
                  const WalkOptions& options);

// Deviceinfo.js from device record 0, then index.html and favicon.ico.
bool writeDeviceInfoJs(const QString& runFolder, const MobrelDeviceInfo& device,
                       const QString& templateFolder);

// Profile.js: the chosen record categories (itemType 0 to 2; media are never listed).
bool writeProfileJs(const QString& runFolder, const std::array<bool, kArchiveCategoryCount>& chosen);

// Backupinfo.js: the done count of every category the run completed, by itemType.
using CompletedCounts = std::array<std::optional<quint32>, kArchiveCategoryCount>;
bool writeBackupInfoJs(const QString& runFolder, const CompletedCounts& completed);
