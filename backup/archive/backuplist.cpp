#include "backuplist.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>

#include "datafile.h"
#include "runfiles.h"

namespace {

constexpr qsizetype kStampLength = 19;  // "MM-dd-yyyy-HH-mm-ss"

// A name with "/" or "\" would be read back as a key inside a group.
bool isUsableName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

// The folder a value names; empty when it names none.
QString folderOf(const QVariant& value) {
    if (value.typeId() != QMetaType::QString) return {};
    const QString path = value.toString();
    return path != QLatin1String("NULL") && QDir::isAbsolutePath(path) ? path : QString();
}

// The time of a run name together with its "(n)".
qsizetype stampLength(const QString& runName) {
    static const QRegularExpression suffix(QStringLiteral(" ?\\(\\d+\\)"));
    const QRegularExpressionMatch match = suffix.match(runName, kStampLength, QRegularExpression::NormalMatch,
                                                       QRegularExpression::AnchorAtOffsetMatchOption);
    return kStampLength + (match.hasMatch() ? match.capturedLength() : 0);
}

QString dateOf(const QString& runName) { return runName.left(10).replace(QLatin1Char('-'), QLatin1Char('/')); }

}  // namespace

bool isValidRunFolder(const QString& folder) {
    if (folder.isEmpty() || !isPlainFileIn(folder, QStringLiteral("index.html")) ||
        !isPlainDataFile(folder, DataFile::BackupInfo))
        return false;
    for (DataFile file : {DataFile::Contacts, DataFile::Sms, DataFile::CallHistory, DataFile::Musics,
                          DataFile::Photos, DataFile::Videos}) {
        if (isPlainDataFile(folder, file)) return true;
    }
    return false;
}

std::optional<BackupList> readBackupList(const QString& listFile) {
    QSettings settings(listFile, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) return std::nullopt;
    BackupList list;
    const QStringList names = settings.allKeys();
    for (const QString& name : names) {
        if (!isUsableName(name)) continue;
        const QString folder = folderOf(settings.value(name));
        if (folder.isEmpty() || list.paths.contains(folder) || !isValidRunFolder(folder)) continue;
        list.names << name;
        list.paths << folder;
    }
    if (list.names.size() != names.size()) {
        settings.clear();
        for (qsizetype i = 0; i < list.names.size(); ++i) settings.setValue(list.names[i], list.paths[i]);
        settings.sync();
    }
    return list;
}

bool recordBackupRun(const QString& listFile, const QString& runName, const QString& runFolder) {
    if (!isUsableName(runName) || folderOf(runFolder).isEmpty()) return false;
    QSettings settings(listFile, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) return false;
    settings.setValue(runName, runFolder);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString backupListLine(const QString& runName) {
    return runName.mid(stampLength(runName) + 1) + QStringLiteral("  ") + dateOf(runName);
}

QString backupTimeText(const QString& runName) {
    return runName.left(kStampLength).right(8).replace(QLatin1Char('-'), QLatin1Char(':')) + QLatin1Char(' ') +
           dateOf(runName);
}
