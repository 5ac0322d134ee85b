// The folder and the name of one backup or export run.
#pragma once

#include <QDateTime>
#include <QString>

struct RunFolder {
    QString folder;        // absolute path of the run's folder, "/" between parts
    QString name;          // the run's key in the backup list file
    bool created = false;  // whether the folder exists now
};

// The phone's name as the screens show it: brand + " " + the model with every
// occurrence of the brand removed (case-sensitive).
QString deviceName(const QString& brand, const QString& model);

// Makes the run folder "<SavePath>/<device>-<MM-dd-yyyy-HH-mm-ss>" for the
// phone's brand and model at the local time when, and names the run
// "<MM-dd-yyyy-HH-mm-ss>-<device>"; a later run of the same second gets "(2)",
// "(3)", ... after the time in both. The phone's texts cannot leave the output
// folder: control characters are dropped and "/" and "\" become "_".
RunFolder createOutputFolder(const QString& brand, const QString& model,
                             const QDateTime& when = QDateTime::currentDateTime());
