#pragma once

// Everything fixed about the update check lives here: the program's own version,
// the maker's server with its two pages, and the texts the user reads.

// Shown after "Ver: " in the title strip and compared with the server's answer.
inline constexpr char kMobrelVersion[] = "1.0.4";

inline constexpr char kUpdateServer[] = "https://www.tolvane.com";
inline constexpr char kUpdateProductCode[] = "mobrel";
inline constexpr char kUpdateCheckPath[] = "/download/checkupates.php";
inline constexpr char kDownloadPagePath[] = "/download/index.php";

// A slow server must never keep the busy box up forever.
inline constexpr int kUpdateTimeoutMs = 10000;

// Untranslated source texts; updateOutcomeText() and checkingForUpdatesText()
// return them through the translation function.
inline constexpr char kTextCheckingForUpdates[] = "Checking for updates, Please wait...";
inline constexpr char kTextNewVersion[] =
    "A new version of Tolvane Mobrel is available. Do you want download now? ";
inline constexpr char kTextLatestVersion[] = "The current version is the latest.";
inline constexpr char kTextCheckFailed[] =
    "The update check could not be completed. Please check your network connection and try again.";
