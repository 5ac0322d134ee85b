// Which adb the program runs and what its version answer says.
#pragma once

#include <QString>

// "<programFolder>/adb" when that is an executable file, else the first
// executable adb in an absolute folder of $PATH (the rule the device-link
// library follows); empty when there is none.
QString adbProgramPath(const QString& programFolder);

// The version out of the answer of "adb version", e.g. "1.0.41 (29.0.6-debian)";
// empty when the answer names none.
QString adbVersionFromOutput(const QByteArray& output);
