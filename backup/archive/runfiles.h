// The run folder of a backup or export: its layout, the copies of the viewer
// template that ships beside the program, and the names of media copies.
#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QSet>
#include <QString>

// Category folder and file names, indexed by itemType (0 contacts ... 5 music).
inline constexpr int kArchiveCategoryCount = 6;
inline constexpr const char* kCategoryFolders[kArchiveCategoryCount] = {
    "Contacts", "SMS", "CallHistory", "Photos", "Videos", "Musics"};

// "<A>/resource", A being the folder of the running program.
QString defaultTemplateFolder();

// Commits file only when all its bytes reached the disk: QSaveFile's commit
// misses a failure of its last buffered write (a full disk) and would keep an
// empty or cut file. Cancelled otherwise.
bool commitWhole(QSaveFile& file);

// Creates the folder name inside parent unless parent/name is already a folder.
// True when parent/name is a folder afterwards.
bool ensureSubfolder(const QString& parent, const QString& name);

// Whether relative ("a/b/c") names a regular file inside folder with no
// symbolic link on the way and no "." or ".." step: what a run folder lists
// is read from the run folder itself, never from where a link points.
bool isPlainFileIn(const QString& folder, const QString& relative);

// Copies source to target ("\" in target becomes "/"). Equal paths: true; a
// missing source: false. An existing target is removed first when overwrite is
// set, else the copy fails.
bool copyFileTo(const QString& source, const QString& target, bool overwrite);

// Copies the tree under the folder source into target, creating target when
// missing (false when source is no folder).
// Links are never followed or copied, hidden entries are left out, and a file
// that already exists in target is kept as it is. False at the first folder
// that cannot be made or file that cannot be copied.
bool copyFolderTree(const QString& source, const QString& target);

// The suffix of a device path, dot included: from the last "." of its last
// component to the end; empty when that component has no dot other than a
// leading one. Control characters become "_" and a suffix longer than 32 bytes
// counts as none, so the suffix can only end a file name.
QByteArray fileSuffix(const QByteArray& devicePath);

// A base name that stays inside its folder: "/", "\" and control characters
// become "_", as do a leading "." and the second "." of every "..". At most
// 180 UTF-8 bytes, so a "(n)" and a suffix still fit a file name. Empty text
// becomes "untitled".
QString safeMediaBaseName(const QByteArray& title);

// The base for a copy in folder: the safe base of title when base + suffix is
// neither a file in folder nor in used, else the safe base followed by "(n)"
// for n = 1, 2, ... The name taken is added to used.
QString uniqueMediaBaseName(const QString& folder, const QByteArray& title,
                            const QString& suffix, QSet<QString>& used);

// The viewer's Script tree from the template folder into the run folder,
// never overwriting. False when the template has none or a copy fails.
bool copyViewerTemplate(const QString& templateFolder, const QString& runFolder);

// index.html and favicon.ico from the template folder into the run folder,
// never overwriting. False when one is missing or cannot be copied.
bool copyViewerHome(const QString& templateFolder, const QString& runFolder);

// <template>/<category>.html into <run>/<category>/ without overwriting.
bool copyCategoryPage(const QString& templateFolder, const QString& runFolder,
                      const QString& category);
