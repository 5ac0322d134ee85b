// The CSV and TXT exports of a run's record categories:
// <run>/<category>/<category>.csv and .txt. Each writer returns whether its
// file was written; a failed one leaves no file behind.
#pragma once

#include <mobrelclient.h>

#include <QString>

#include "walkoptions.h"

// "To", "From" or "Failed" for a message box code; "From" for null or unknown.
const char* smsDirectionLabel(const char* type);
// "Call In", "Call Out", "Unknown", or empty text for any other code.
const char* callStatusLabel(const char* type);

bool writeContactsCsv(const QString& runFolder, const MobrelContact* head, const WalkOptions& options);
bool writeContactsTxt(const QString& runFolder, const MobrelContact* head, const WalkOptions& options);
bool writeSmsCsv(const QString& runFolder, const MobrelSmsThread* head, const WalkOptions& options);
bool writeSmsTxt(const QString& runFolder, const MobrelSmsThread* head, const WalkOptions& options);
bool writeCallHistoryCsv(const QString& runFolder, const MobrelCallGroup* head,
                         const WalkOptions& options);
bool writeCallHistoryTxt(const QString& runFolder, const MobrelCallGroup* head,
                         const WalkOptions& options);
