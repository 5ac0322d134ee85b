// The two remembered folders of the per-user settings store
// (~/.config/Tolvane/Mobrel.conf).
#pragma once

#include <QString>

// The output folder of backups and exports.
inline constexpr char kSavePathKey[] = "SavePath";
// The folder of the files last added to the phone.
inline constexpr char kOpenFileKey[] = "openfile";

// The stored folder when it names an existing folder, else defaultOutputFolder()
// (which is not written back). Never empty.
QString folderSetting(const QString& key);

void setFolderSetting(const QString& key, const QString& path);
