#include "base/formatters.h"

#include <ctime>

QString formatSize(qint64 bytes) {
    if (bytes <= 1000) return QString::asprintf("%lld Bytes", static_cast<long long>(bytes));
    if (bytes <= 1000000) return QString::asprintf("%.02f KB", bytes / 1000.0);
    if (bytes <= 1000000000) return QString::asprintf("%.02f M", (bytes / 1000) / 1000.0);
    return QString::asprintf("%.02f G", (bytes / 1000000) / 1000.0);
}

// The hours are printed as 64-bit numbers: a huge count must not wrap negative.
QString formatDuration(quint64 seconds) {
    return QString::asprintf("%02llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                             static_cast<unsigned>(seconds / 60 % 60),
                             static_cast<unsigned>(seconds % 60));
}

QString formatTimestamp(qint64 secondsSinceEpoch) {
    static_assert(sizeof(time_t) >= sizeof(qint64), "every 64-bit time must fit time_t");
    const time_t t = static_cast<time_t>(secondsSinceEpoch);
    tm local {};
    if (!localtime_r(&t, &local)) return QString();
    return QString::asprintf("%04lld-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900LL,
                             local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                             local.tm_sec);
}

QString formatPlayTime(quint64 seconds) {
    const quint64 hours = seconds / 3600;
    const QString minutesSeconds = QString::asprintf(
        "%02u:%02u", static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    if (hours == 0) return minutesSeconds;
    return QString::asprintf("%02llu:", static_cast<unsigned long long>(hours)) + minutesSeconds;
}
