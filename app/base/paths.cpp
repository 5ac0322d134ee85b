#include "base/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString withSlash(const QString& folder) { return folder.endsWith('/') ? folder : folder + '/'; }

QString absoluteEnvFolder(const char* name) {
    const QString value = QFile::decodeName(qgetenv(name));
    return value.startsWith('/') ? value : QString();
}

}  // namespace

QString homeFolder() {
    const QString home = absoluteEnvFolder("HOME");
    if (!home.isEmpty()) return home;
    const passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir ? QFile::decodeName(pw->pw_dir) : QString();
}

QString documentsFolder() {
    const QString xdg = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return xdg.isEmpty() ? homeFolder() + "/Documents" : xdg;
}

QString configFolder() {
    const QString config = absoluteEnvFolder("XDG_CONFIG_HOME");
    return config.isEmpty() ? homeFolder() + "/.config" : config;
}

QString defaultOutputFolder() {
    const QString home = homeFolder();
    QString base = documentsFolder();
    if (!QFileInfo(base).isDir()) {
        if (QFileInfo(home + "/Documents").isDir()) {
            base = home + "/Documents";
        } else if (QFileInfo(home + "/My Documents").isDir()) {
            base = home + "/My Documents";
        } else {
            QDir().mkpath(base);
        }
    }
    const QString folder = withSlash(base) + "Tolvane/Mobrel";
    QDir().mkpath(folder);
    return folder;
}

QString backupListFile() {
    const QString folder = configFolder() + "/Tolvane/config";
    QDir().mkpath(folder);
    return folder + "/mobrellist.ini";
}

bool isPrivateFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    return lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & 077) == 0 && access(name.constData(), W_OK | X_OK) == 0;
}

QString privateFolderIn(const QString& parent) {
    const QString name = parent + "/mobrel-" + QString::number(geteuid());
    mkdir(QFile::encodeName(name).constData(), 0700);  // an existing name is checked next
    if (isPrivateFolder(name)) return name + '/';
    QByteArray pattern = QFile::encodeName(name + "-XXXXXX");
    if (!mkdtemp(pattern.data())) return QString();
    return QFile::decodeName(pattern) + '/';
}

QString privateTempFolder() {
    static const QString folder = [] {
        const QString runtime = absoluteEnvFolder("XDG_RUNTIME_DIR");
        if (!runtime.isEmpty() && isPrivateFolder(runtime)) return withSlash(runtime);
        return privateFolderIn("/tmp");
    }();
    return folder;
}

QString mobrelTempFolder() {
    const QString temp = privateTempFolder();
    if (temp.isEmpty()) return QString();
    const QString folder = temp + "Tolvane/mobrel/";
    QDir().mkpath(folder);
    return folder;
}
