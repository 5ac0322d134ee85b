// The data files of a run folder: "Script/assets/<name>.js", each a fixed
// prefix, the cJSON_Print text of one JSON document and a single ";".
#pragma once

#include <cjson/cJSON.h>

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <memory>

enum class DataFile { Contacts, Sms, CallHistory, Photos, Videos, Musics, DeviceInfo, Profile, BackupInfo };

// Larger data files are refused unread.
inline constexpr qint64 kMaxDataFileBytes = 256 * 1024 * 1024;

// "Contacts", "SMS", ..., "Deviceinfo", "Profile", "Backupinfo".
QString dataFileName(DataFile file);
// "var ContactContent=", "var SMSContent=", ...
QByteArray dataFilePrefix(DataFile file);
// <run>/Script/assets/<name>.js
QString dataFilePath(const QString& runFolder, DataFile file);
// Whether the data file is a regular file reached without a link from the run folder.
bool isPlainDataFile(const QString& runFolder, DataFile file);

struct CJsonDelete {
    void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using CJsonTree = std::unique_ptr<cJSON, CJsonDelete>;

// One data file being written. The file is opened at once, so a file that
// cannot be made stops a writer before it does any work; nothing reaches the
// run folder before commit(), and a failed write leaves no half file.
class DataFileOut {
public:
    DataFileOut(const QString& runFolder, DataFile file);
    bool isOpen() const { return m_open; }
    // The document: an object holding "Version" and what the writer adds.
    cJSON* root() const { return m_root.get(); }
    bool commit();

private:
    QSaveFile m_file;
    QByteArray m_prefix;
    CJsonTree m_root;
    bool m_open = false;
};

// Refused: a link, or no regular file (a FIFO would block the reader).
enum class ReadStatus { Ok, Missing, Refused, TooLarge, Unparsable };

struct DataFileIn {
    ReadStatus status = ReadStatus::Missing;
    QString error;  // why it was refused, for the caller to show or log
    CJsonTree root;
};

// Reads a data file: only a regular file reached without a link from the run
// folder. Skips as many bytes as its prefix has, drops the last
// byte (the ";") and parses the rest. A text that does not parse prints
// "Error before: [<text where the parser stopped>]" on standard output.
DataFileIn readDataFile(const QString& runFolder, DataFile file);

// The string value of key in object (key case ignored); empty when missing or
// not a string.
QByteArray stringItem(const cJSON* object, const char* key);
