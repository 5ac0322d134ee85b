#include "runfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "bytetext.h"

namespace {

constexpr int kMaxSuffixBytes = 32;
constexpr int kMaxBaseBytes = 180;

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

}  // namespace

QString defaultTemplateFolder() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/resource");
}

bool commitWhole(QSaveFile& file) {
    if (!file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool ensureSubfolder(const QString& parent, const QString& name) {
    const QString path = parent + QLatin1Char('/') + name;
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) return true;
    return QDir(parent).mkdir(name);
}

bool isPlainFileIn(const QString& folder, const QString& relative) {
    const QStringList steps = relative.split(QLatin1Char('/'));
    QString path = folder;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QString& step = steps[i];
        if (step.isEmpty() || step == QLatin1String(".") || step == QLatin1String("..")) return false;
        path += QLatin1Char('/') + step;
        const QFileInfo info(path);
        if (info.isSymLink()) return false;
        const bool last = i + 1 == steps.size();
        if (last ? !info.isFile() : !info.isDir()) return false;
    }
    return true;
}

bool copyFileTo(const QString& source, const QString& target, bool overwrite) {
    QString to = target;
    to.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (source == to) return true;
    if (!QFileInfo::exists(source)) return false;
    if (overwrite && QFileInfo(to).isFile()) QFile::remove(to);
    return QFile::copy(source, to);
}

bool copyFolderTree(const QString& source, const QString& target) {
    if (!QFileInfo(source).isDir()) return false;
    const QFileInfo targetInfo(target);
    if (targetInfo.isSymLink()) return false;
    if (!targetInfo.isDir() && !QDir().mkpath(target)) return false;
    const QFileInfoList entries = QDir(source).entryInfoList(
        QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString to = target + QLatin1Char('/') + entry.fileName();
        if (entry.isDir()) {
            if (!copyFolderTree(entry.filePath(), to)) return false;
            continue;
        }
        const QFileInfo existing(to);
        if (existing.exists() || existing.isSymLink()) continue;
        if (!QFile::copy(entry.filePath(), to)) return false;
    }
    return true;
}

QByteArray fileSuffix(const QByteArray& devicePath) {
    const int componentStart =
        qMax(devicePath.lastIndexOf('/'), devicePath.lastIndexOf('\\')) + 1;
    const int dot = devicePath.lastIndexOf('.');
    if (dot <= componentStart) return QByteArray();
    QByteArray suffix = devicePath.mid(dot);
    if (suffix.size() > kMaxSuffixBytes) return QByteArray();
    for (char& c : suffix) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '_';
    }
    return suffix;
}

QString safeMediaBaseName(const QByteArray& title) {
    QString name = QString::fromUtf8(title);
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const bool dotted = c == QLatin1Char('.') && (i == 0 || name[i - 1] == QLatin1Char('.'));
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || isControl(c) || dotted)
            name[i] = QLatin1Char('_');
    }
    name = QString::fromUtf8(utf8Prefix(name.toUtf8(), kMaxBaseBytes));
    return name.isEmpty() ? QStringLiteral("untitled") : name;
}

QString uniqueMediaBaseName(const QString& folder, const QByteArray& title,
                            const QString& suffix, QSet<QString>& used) {
    const QString safe = safeMediaBaseName(title);
    QString base = safe;
    for (quint32 n = 1;; ++n) {
        const QString name = base + suffix;
        if (!used.contains(name) && !QFileInfo(folder + QLatin1Char('/') + name).exists()) {
            used.insert(name);
            return base;
        }
        base = safe + QLatin1Char('(') + QString::number(n) + QLatin1Char(')');
    }
}

bool copyViewerTemplate(const QString& templateFolder, const QString& runFolder) {
    return copyFolderTree(templateFolder + QStringLiteral("/Script"),
                          runFolder + QStringLiteral("/Script"));
}

bool copyViewerHome(const QString& templateFolder, const QString& runFolder) {
    bool ok = true;
    for (const char* name : {"index.html", "favicon.ico"}) {
        const QString file = QString::fromLatin1(name);
        const QString target = runFolder + QLatin1Char('/') + file;
        if (QFileInfo::exists(target)) continue;
        ok = copyFileTo(templateFolder + QLatin1Char('/') + file, target, false) && ok;
    }
    return ok;
}

bool copyCategoryPage(const QString& templateFolder, const QString& runFolder,
                      const QString& category) {
    const QString page = category + QStringLiteral(".html");
    const QString target = runFolder + QLatin1Char('/') + category + QLatin1Char('/') + page;
    if (QFileInfo::exists(target)) return true;
    return ensureSubfolder(runFolder, category) &&
           copyFileTo(templateFolder + QLatin1Char('/') + page, target, false);
}
