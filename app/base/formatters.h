// Number-to-text formatters of sizes, durations and times. Each builds its
// result in its own storage, so workers and the GUI thread may call them at once.
#pragma once

#include <QString>
#include <QtGlobal>

// Decimal units: "999 Bytes", "1.00 KB", "1.50 M", "1.00 G" (each threshold
// strictly greater-than; negative counts as bytes).
QString formatSize(qint64 bytes);

// "HH:MM:SS"; the hours are not wrapped at 24.
QString formatDuration(quint64 seconds);

// "yyyy-MM-dd HH:mm:ss" in local time; empty for a time local time cannot hold.
QString formatTimestamp(qint64 secondsSinceEpoch);

// "MM:SS", or "HH:MM:SS" from one hour on.
QString formatPlayTime(quint64 seconds);
