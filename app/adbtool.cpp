#include "adbtool.h"

#include <QFileInfo>
#include <QStringList>

namespace {

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// A version is short, printable text; anything else in the answer is dropped.
QString versionWord(const QString& line, const QString& prefix) {
    if (!line.startsWith(prefix)) return {};
    QString word = line.mid(prefix.size()).trimmed().left(40);
    for (const QChar c : word) {
        if (!c.isPrint()) return {};
    }
    return word;
}

}  // namespace

QString adbProgramPath(const QString& programFolder) {
    if (!programFolder.isEmpty() && isExecutableFile(programFolder + QStringLiteral("/adb"))) {
        return programFolder + QStringLiteral("/adb");
    }
    const QStringList folders =
        QString::fromLocal8Bit(qgetenv("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& folder : folders) {
        // A relative entry would depend on the working folder of the moment.
        if (!folder.startsWith(QLatin1Char('/'))) continue;
        const QString candidate = folder + QStringLiteral("/adb");
        if (isExecutableFile(candidate)) return candidate;
    }
    return {};
}

QString adbVersionFromOutput(const QByteArray& output) {
    QString protocol;
    QString release;
    const QStringList lines = QString::fromUtf8(output).split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (protocol.isEmpty()) protocol = versionWord(line, QStringLiteral("Android Debug Bridge version "));
        if (release.isEmpty()) release = versionWord(line, QStringLiteral("Version "));
    }
    if (protocol.isEmpty()) return release;
    return release.isEmpty() ? protocol : protocol + QStringLiteral(" (") + release + QLatin1Char(')');
}
