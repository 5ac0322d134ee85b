#include "base/settings.h"

#include <QFileInfo>
#include <QSettings>

#include "base/paths.h"

namespace {
constexpr char kOrganisation[] = "Tolvane";
constexpr char kApplication[] = "Mobrel";
}  // namespace

QString folderSetting(const QString& key) {
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation,
                             kApplication);
    const QString stored = settings.value(key).toString();
    if (!stored.isEmpty() && QFileInfo(stored).isDir()) return stored;
    return defaultOutputFolder();
}

void setFolderSetting(const QString& key, const QString& path) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    settings.setValue(key, path);
}
