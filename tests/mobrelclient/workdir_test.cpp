// The folders (private temporary, documents, the work folder once per process,
// deleteTree) and the log's copy on stderr.
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"
#include "test_support.h"
#include "workdir.h"

namespace fs = std::filesystem;
using namespace mobrel;
using namespace mobrel::test;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st.st_mode & 0777;
}

std::string privateName(const std::string& parent) { return parent + "/mobrel-" + std::to_string(geteuid()); }

}  // namespace

// A symlink planted under our name, a folder others may enter, one of another owner: refused.
TEST(PrivateFolder, IsMadeOnceAndOnlyForUsAndATakenNameIsRefused) {
    const std::string parent = makeTempDir("tmp");
    const std::string folder = platform::privateFolderIn(parent);
    EXPECT_EQ(folder, privateName(parent) + "/");
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(platform::privateFolderIn(parent), folder);  // ours: used again

    const std::string outside = makeTempDir("outside");
    const std::string linked = makeTempDir("tmp"), open = makeTempDir("tmp"), owned = makeTempDir("tmp");
    fs::create_directory_symlink(outside, privateName(linked));
    fs::create_directory(privateName(open));
    chmod(privateName(open).c_str(), 0777);
    fs::create_directory(privateName(owned));
    chmod(privateName(owned).c_str(), 0700);
    const bool root = geteuid() == 0 && chown(privateName(owned).c_str(), 12345, 12345) == 0;
    for (const std::string& taken : root ? std::vector{linked, open, owned} : std::vector{linked, open}) {
        const std::string other = platform::privateFolderIn(taken);
        EXPECT_EQ(other.rfind(privateName(taken) + "-", 0), 0u) << other;
        EXPECT_EQ(modeOf(other), 0700u);
        EXPECT_FALSE(fs::is_symlink(other.substr(0, other.size() - 1)));
    }
    EXPECT_TRUE(fs::is_empty(outside));
}

TEST(PrivateFolder, RuntimeFolderIsUsedOnlyWhenPrivate) {
    const std::string runtime = makeTempDir("runtime");
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.c_str());
    chmod(runtime.c_str(), 0700);
    EXPECT_EQ(platform::privateTempFolder(), runtime + "/");
    chmod(runtime.c_str(), 0755);
    EXPECT_EQ(platform::privateTempFolder(), privateName("/tmp") + "/");
}

TEST(DocumentsFolder, FollowsUserDirsElseHomeDocuments) {
    const std::string home = makeTempDir("home"), config = makeTempDir("config");
    ScopedEnv h("HOME", home.c_str());
    ScopedEnv c("XDG_CONFIG_HOME", config.c_str());
    EXPECT_EQ(platform::documentsFolder(), home + "/Documents");
    const std::pair<const char*, std::string> cases[] = {
        {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Papiere\"\n",
         home + "/Papiere"},
        {"XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n", "/srv/docs"},
        {"XDG_DOCUMENTS_DIR=\"relative/docs\"\n", home + "/Documents"}};
    for (const auto& [dirs, expected] : cases) {
        writeFile(config + "/user-dirs.dirs", dirs);
        EXPECT_EQ(platform::documentsFolder(), expected) << dirs;
    }
}

TEST(DeleteTree, RemovesTheTreeButNeverFollowsALinkNorDotNames) {
    const std::string outside = makeTempDir("outside");
    writeFile(outside + "/keep.txt", "keep");
    const std::string root = makeTempDir("tree");
    writeFile(root + "/photo/sub/1.png", "x");
    writeFile(root + "/sdlk000001", "x");
    fs::create_directory_symlink(outside, root + "/photo/link");
    fs::create_symlink(outside + "/keep.txt", root + "/filelink");
    deleteTree(root + "/");  // the work folder is named with its trailing "/"
    EXPECT_FALSE(fs::exists(root));

    const std::string link = makeTempDir("links") + "/work";  // the tree itself a link: only the link goes
    fs::create_directory_symlink(outside, link);
    deleteTree(link + "/");
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(readFile(outside + "/keep.txt"), "keep");

    const std::string dotted = makeTempDir("tree");  // names beginning with a dot stay
    writeFile(dotted + "/music/.nomedia", "");
    writeFile(dotted + "/music/2.png", "x");
    deleteTree(dotted);
    EXPECT_TRUE(fs::exists(dotted + "/music/.nomedia"));
    EXPECT_FALSE(fs::exists(dotted + "/music/2.png"));
    deleteTree(dotted + "/missing");
}

// Probes in fresh processes: the work folder emptied of an earlier run's files and
// the same for all threads; a stderr nobody reads does not end the process.
TEST(OncePerProcess, WorkFolderIsClearedAndBrokenStderrIsSurvived) {
    const std::string runtime = makeTempDir("runtime");
    chmod(runtime.c_str(), 0700);
    writeFile(runtime + "/Tolvane/mobrel/sdlk000003", "old");
    writeFile(runtime + "/Tolvane/mobrel/photo/7.png", "old");
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.c_str());
    const CommandResult probe = runCommand({standInProgram(), "workdir"});
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.out, runtime + "/Tolvane/mobrel/\n");
    EXPECT_TRUE(fs::is_directory(runtime + "/Tolvane/mobrel"));
    EXPECT_TRUE(fs::is_empty(runtime + "/Tolvane/mobrel"));

    const CommandResult log = runCommand({standInProgram(), "log-broken-pipe"});
    EXPECT_EQ(log.exitCode, 0);
    EXPECT_EQ(log.out, "alive\n");
}
