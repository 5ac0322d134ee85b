// Folders the library works in: a private temporary folder, the user's
// documents folder and the folder of the running program.
#pragma once

#include <string>

namespace mobrel::platform {

// A folder only this user can enter, ending in "/": $XDG_RUNTIME_DIR when it is
// set and private, else privateFolderIn("/tmp"). "" when none could be made.
std::string privateTempFolder();

// "<parent>/mobrel-<uid>/", created with mode 0700. When that name is taken by
// something that is not our private folder (another owner, a symlink, open
// permissions), a fresh "<parent>/mobrel-<uid>-XXXXXX/" is made instead.
std::string privateFolderIn(const std::string& parent);

// The user's documents folder (XDG_DOCUMENTS_DIR of user-dirs.dirs, else
// $HOME/Documents), without a trailing "/". It may not exist yet.
std::string documentsFolder();

// The folder of the running program (not of this library), without a trailing
// "/"; "" if it cannot be found.
std::string programFolder();

}  // namespace mobrel::platform
