// The folders the program works with: the user's documents and configuration
// folders, the default output folder, the backup list file and the private
// temporary folder shared with the device-link library.
#pragma once

#include <QString>

// $HOME when it is an absolute path, else the home folder of the user database.
QString homeFolder();

// The XDG documents folder (user-dirs), else $HOME/Documents. It may not exist.
QString documentsFolder();

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config.
QString configFolder();

// The default output folder "<documents>/Tolvane/Mobrel", creating what is
// missing. <documents> is the first existing one of the documents folder,
// $HOME/Documents and $HOME/My Documents, else the documents folder, created.
// Creation failures are not reported; the path is returned all the same.
QString defaultOutputFolder();

// "<config>/Tolvane/config/mobrellist.ini": beside the settings, not in a
// temporary folder that is emptied at logout or reboot. The folders are created.
QString backupListFile();

// True for a real folder (not a symlink) owned by us that nobody else may enter.
bool isPrivateFolder(const QString& path);

// "<parent>/mobrel-<uid>/", created with mode 0700. When that name is taken by
// anything but our private folder, a fresh "<parent>/mobrel-<uid>-XXXXXX/" is
// made instead. Empty when nothing could be made.
QString privateFolderIn(const QString& parent);

// "$XDG_RUNTIME_DIR/" when it is set and private, else privateFolderIn("/tmp").
// Chosen once per process; empty when no private folder could be made.
QString privateTempFolder();

// "<private temp>/Tolvane/mobrel/", the library's work folder (it keeps its
// thumbnails there), created when missing but never emptied here. Empty when
// there is no private temporary folder.
QString mobrelTempFolder();
