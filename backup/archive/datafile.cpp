#include "datafile.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include "runfiles.h"

namespace {

struct FileInfo {
    const char* name;
    const char* prefix;
};

const FileInfo& infoOf(DataFile file) {
    static const FileInfo infos[] = {
        {"Contacts", "var ContactContent="},  {"SMS", "var SMSContent="},
        {"CallHistory", "var CallHistoryContent="}, {"Photos", "var Content="},
        {"Videos", "var Content="},            {"Musics", "var Content="},
        {"Deviceinfo", "var Content="},        {"Profile", "var UserSelected="},
        {"Backupinfo", "var Content="}};
    return infos[static_cast<int>(file)];
}

}  // namespace

QString dataFileName(DataFile file) {
    return QString::fromLatin1(infoOf(file).name);
}

QByteArray dataFilePrefix(DataFile file) {
    return QByteArray(infoOf(file).prefix);
}

namespace {

QString relativeDataFilePath(DataFile file) {
    return QStringLiteral("Script/assets/") + dataFileName(file) + QStringLiteral(".js");
}

}  // namespace

QString dataFilePath(const QString& runFolder, DataFile file) {
    return runFolder + QLatin1Char('/') + relativeDataFilePath(file);
}

bool isPlainDataFile(const QString& runFolder, DataFile file) {
    return isPlainFileIn(runFolder, relativeDataFilePath(file));
}

DataFileOut::DataFileOut(const QString& runFolder, DataFile file)
    : m_file(dataFilePath(runFolder, file)), m_prefix(dataFilePrefix(file)),
      m_root(cJSON_CreateObject()) {
    const QString script = runFolder + QStringLiteral("/Script");
    m_open = m_root && ensureSubfolder(runFolder, QStringLiteral("Script")) &&
             ensureSubfolder(script, QStringLiteral("assets")) && m_file.open(QIODevice::WriteOnly);
    if (!m_open) return;
    cJSON* version = cJSON_CreateObject();
    cJSON_AddStringToObject(version, "Current", file == DataFile::DeviceInfo ? "2.0.0" : "1.0.0");
    cJSON_AddItemToObject(m_root.get(), "Version", version);
}

bool DataFileOut::commit() {
    if (!m_open) return false;
    char* text = cJSON_Print(m_root.get());
    if (!text) {
        m_file.cancelWriting();
        return false;
    }
    const QByteArray document = m_prefix + QByteArray(text) + ';';
    cJSON_free(text);
    m_root.reset();
    m_open = false;
    if (m_file.write(document) != document.size()) {
        m_file.cancelWriting();
        return false;
    }
    return commitWhole(m_file);
}

DataFileIn readDataFile(const QString& runFolder, DataFile file) {
    DataFileIn in;
    QFile source(dataFilePath(runFolder, file));
    const QFileInfo info(source.fileName());
    if (!info.exists() && !info.isSymLink()) {
        in.error = QStringLiteral("%1 is missing").arg(source.fileName());
        return in;
    }
    if (!isPlainDataFile(runFolder, file)) {
        in.status = ReadStatus::Refused;
        in.error = QStringLiteral("%1 is no plain file of the run folder").arg(source.fileName());
        return in;
    }
    if (!source.open(QIODevice::ReadOnly)) {
        in.error = source.errorString();
        return in;
    }
    if (source.size() > kMaxDataFileBytes) {
        in.status = ReadStatus::TooLarge;
        in.error = QStringLiteral("%1 holds %2 bytes, more than a data file may").arg(source.fileName()).arg(source.size());
        return in;
    }
    const qint64 prefixBytes = dataFilePrefix(file).size();
    // Only what the file holds: a read of the limit would reserve all of it first.
    QByteArray text;
    if (source.size() > prefixBytes && source.seek(prefixBytes)) text = source.read(source.size() - prefixBytes);
    text.chop(1);
    const char* stop = nullptr;
    in.root.reset(cJSON_ParseWithLengthOpts(text.constData(), static_cast<size_t>(text.size()), &stop, false));
    if (in.root) {
        in.status = ReadStatus::Ok;
        return in;
    }
    in.status = ReadStatus::Unparsable;
    const QByteArray rest = stop ? QByteArray(stop) : QByteArray();
    in.error = QStringLiteral("Error before: [%1]").arg(QString::fromUtf8(rest.left(80)));
    std::printf("Error before: [%s]\n", rest.constData());
    std::fflush(stdout);
    return in;
}

QByteArray stringItem(const cJSON* object, const char* key) {
    const cJSON* item = cJSON_GetObjectItem(object, key);
    return cJSON_IsString(item) && item->valuestring ? QByteArray(item->valuestring) : QByteArray();
}
