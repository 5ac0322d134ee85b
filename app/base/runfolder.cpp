#include "base/runfolder.h"

#include <QDir>
#include <QFileInfo>

#include "base/settings.h"

namespace {

constexpr int kMostRunsInOneSecond = 99;

// The device name as one safe path component and settings key.
QString folderSafe(const QString& name) {
    QString safe;
    safe.reserve(name.size());
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) continue;
        safe += (c == '/' || c == '\\') ? QChar('_') : c;
    }
    return safe;
}

}  // namespace

QString deviceName(const QString& brand, const QString& model) {
    QString shortModel = model;
    if (!brand.isEmpty()) shortModel.remove(brand, Qt::CaseSensitive);
    return brand + ' ' + shortModel;
}

RunFolder createOutputFolder(const QString& brand, const QString& model, const QDateTime& when) {
    const QString output = QString(folderSetting(kSavePathKey)).replace('\\', '/');
    const QString device = folderSafe(deviceName(brand, model));
    // A run of the same phone in the same second finds its folder taken: it
    // takes the next "(n)" instead of mixing its files into the other run's
    // folder (or deleting that folder when stopped).
    QString time = when.toString("MM-dd-yyyy-HH-mm-ss");
    const QString second = time;
    for (int n = 2; QFileInfo(output + '/' + device + '-' + time).isDir() && n <= kMostRunsInOneSecond; ++n) {
        time = second + QStringLiteral("(%1)").arg(n);
    }
    const QString folderName = device + '-' + time;

    QDir(output).mkdir(folderName);
    RunFolder run;
    run.folder = output + '/' + folderName;
    QDir().mkpath(run.folder);
    run.name = time + '-' + device;
    run.created = QFileInfo(run.folder).isDir();
    return run;
}
