// Files the Qt-based fuzz targets write their inputs to: one private folder per
// process, kept for every input and removed at exit.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

// <scratch>/<relative>; aborts when the folder cannot be made.
inline QString scratchPath(const QString& relative) {
    static QTemporaryDir dir;
    if (!dir.isValid()) std::abort();
    return dir.filePath(relative);
}

// Writes bytes to the file at path, making its folder; aborts on failure, since
// an input that never reached the reader would hide a fault.
inline void putFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!QDir().mkpath(path.section(QLatin1Char('/'), 0, -2)) || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size())
        std::abort();
}
