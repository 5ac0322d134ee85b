// The library's folders: the work folder "<private temp>/Tolvane/mobrel/" that
// holds capture files and thumbnails, and the adb folder (the running program's
// folder, where adb and mobrelcore.apk are looked for). Paths of the work folder
// are formed by appending file names to workDirectory(), which ends in "/".
#pragma once

#include <string>

namespace mobrel {

// Builds the work folder once per process (any earlier "mobrel" tree is deleted
// first); later calls, from any thread, do nothing. False when no private
// temporary folder was available.
bool buildWorkDirectory();

// The work folder, built on first use.
const std::string& workDirectory();

// The running program's folder, without a trailing "/".
const std::string& adbDirectory();

// Deletes the folder path and everything below it except names beginning with
// "." (so a folder holding such a name stays). A symlink is removed, never
// followed. Failures are ignored.
void deleteTree(const std::string& path);

// Creates the folder of every prefix of path that ends in "/": the last
// component (a file name) is never created. Existing folders are fine.
void makeDirsAlongPath(const std::string& path);

}  // namespace mobrel
