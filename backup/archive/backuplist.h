// The backup list file: an INI file whose keys are run names and whose values
// are the runs' folders. Anyone may have edited it, so its entries are
// checked before they are shown, and the file is rewritten without those that
// do not pass.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct BackupList {
    QStringList names;  // run names, in the order the file lists them
    QStringList paths;  // their run folders
};

// Whether folder holds index.html, Script/assets/Backupinfo.js and at least one
// category data file, each a regular file reached without a link.
bool isValidRunFolder(const QString& folder);

// The file's entries that name a valid run folder, first come first kept: an
// entry is left out when its name is empty or holds "/" or "\", when its value
// is not one absolute path ("NULL", a list, any other type), when an earlier
// entry has the same folder or when the folder is no valid run folder. When
// anything was left out, the file is rewritten with the rest. nullopt when the
// file cannot be read or is no INI file: nothing is changed then.
std::optional<BackupList> readBackupList(const QString& listFile);

// Enters a finished run under its name; a name already listed gets the new
// folder. False (nothing written) for a name the reader would drop, a folder
// that is not absolute, or a file that cannot be read or written.
bool recordBackupRun(const QString& listFile, const QString& runName, const QString& runFolder);

// Run names are "MM-dd-yyyy-HH-mm-ss-<device>"; a later run of the same second
// has "(n)" (older versions: " (n)") after the time.
// The drop-down's line: "<device>  MM/dd/yyyy".
QString backupListLine(const QString& runName);
// "HH:mm:ss MM/dd/yyyy"
QString backupTimeText(const QString& runName);
