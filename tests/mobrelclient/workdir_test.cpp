// The folders: the private temporary folder, the documents folder, the work
// folder built once per process, and deleteTree; and the log's copy on stderr,
// also once per process. (The folders made on the way to the thumbnails: the
// media end-to-end tests.)
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

std::string privateName(const std::string& parent) {
    return parent + "/mobrel-" + std::to_string(geteuid()) + "/";
}

}  // namespace

TEST(PrivateFolder, IsMadeOnceAndOnlyForUsAndATakenNameIsRefused) {
    const std::string parent = makeTempDir("tmp");
    const std::string folder = platform::privateFolderIn(parent);
    EXPECT_EQ(folder, privateName(parent));
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(platform::privateFolderIn(parent), folder);  // ours: used again

    const std::string outside = makeTempDir("outside");
    // A symlink planted under our name, and a folder others may enter.
    const std::string linked = makeTempDir("tmp");
    fs::create_directory_symlink(outside, privateName(linked).substr(0, privateName(linked).size() - 1));
    const std::string open = makeTempDir("tmp");
    fs::create_directory(privateName(open));
    chmod(privateName(open).c_str(), 0777);

    for (const std::string& taken : {linked, open}) {
        const std::string other = platform::privateFolderIn(taken);
        EXPECT_EQ(other.rfind(privateName(taken).substr(0, privateName(taken).size() - 1) + "-", 0), 0u) << other;
        EXPECT_EQ(modeOf(other), 0700u);
        EXPECT_FALSE(fs::is_symlink(other.substr(0, other.size() - 1)));
    }
    EXPECT_TRUE(fs::is_empty(outside));
}

TEST(PrivateFolder, AFolderOfAnotherOwnerIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give a folder away";
    const std::string parent = makeTempDir("tmp");
    fs::create_directory(privateName(parent));
    chmod(privateName(parent).c_str(), 0700);
    ASSERT_EQ(chown(privateName(parent).c_str(), 12345, 12345), 0);
    EXPECT_NE(platform::privateFolderIn(parent), privateName(parent));
}

TEST(PrivateFolder, RuntimeFolderIsUsedOnlyWhenPrivate) {
    const std::string runtime = makeTempDir("runtime");
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.c_str());
    chmod(runtime.c_str(), 0700);
    EXPECT_EQ(platform::privateTempFolder(), runtime + "/");
    chmod(runtime.c_str(), 0755);
    EXPECT_EQ(platform::privateTempFolder(), privateName("/tmp"));
}

TEST(DocumentsFolder, FollowsUserDirsElseHomeDocuments) {
    const std::string home = makeTempDir("home");
    const std::string config = makeTempDir("config");
    ScopedEnv h("HOME", home.c_str());
    ScopedEnv c("XDG_CONFIG_HOME", config.c_str());
    EXPECT_EQ(platform::documentsFolder(), home + "/Documents");
    writeFile(config + "/user-dirs.dirs", "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                          "XDG_DOCUMENTS_DIR=\"$HOME/Papiere\"\n");
    EXPECT_EQ(platform::documentsFolder(), home + "/Papiere");
    writeFile(config + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n");
    EXPECT_EQ(platform::documentsFolder(), "/srv/docs");
    writeFile(config + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"relative/docs\"\n");
    EXPECT_EQ(platform::documentsFolder(), home + "/Documents");
}

TEST(DeleteTree, RemovesTheTreeButNeverFollowsALinkNorDotNames) {
    const std::string outside = makeTempDir("outside");
    writeFile(outside + "/keep.txt", "keep");
    const std::string root = makeTempDir("tree");
    fs::create_directories(root + "/photo/sub");
    writeFile(root + "/photo/sub/1.png", "x");
    writeFile(root + "/sdlk000001", "x");
    fs::create_directory_symlink(outside, root + "/photo/link");
    fs::create_symlink(outside + "/keep.txt", root + "/filelink");

    deleteTree(root + "/");  // the work folder is named with its trailing "/"
    EXPECT_FALSE(fs::exists(root));
    EXPECT_EQ(readFile(outside + "/keep.txt"), "keep");

    // The tree itself given as a link: only the link goes.
    const std::string link = makeTempDir("links") + "/work";
    fs::create_directory_symlink(outside, link);
    deleteTree(link + "/");
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(readFile(outside + "/keep.txt"), "keep");

    // Names beginning with a dot stay; nothing there, nothing happens.
    const std::string dotted = makeTempDir("tree");
    writeFile(dotted + "/music/.nomedia", "");
    writeFile(dotted + "/music/2.png", "x");
    deleteTree(dotted);
    EXPECT_TRUE(fs::exists(dotted + "/music/.nomedia"));
    EXPECT_FALSE(fs::exists(dotted + "/music/2.png"));
    deleteTree(dotted + "/missing");
}

TEST(WorkFolder, BuiltOncePerProcessAfterClearingTheLastOne) {
    // A fresh process with an earlier run's files in its work folder.
    const std::string runtime = makeTempDir("runtime");
    chmod(runtime.c_str(), 0700);
    writeFile(runtime + "/Tolvane/mobrel/sdlk000003", "old");
    writeFile(runtime + "/Tolvane/mobrel/photo/7.png", "old");
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.c_str());
    const mobreltest::CommandResult probe = runCommand({standInProgram(), "workdir"});
    ASSERT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.out, runtime + "/Tolvane/mobrel/\n");  // the same for all of its threads
    EXPECT_TRUE(fs::is_directory(runtime + "/Tolvane/mobrel"));
    EXPECT_TRUE(fs::is_empty(runtime + "/Tolvane/mobrel"));
}

// A stderr nobody reads does not end the process.
TEST(Log, AStderrNobodyReadsDoesNotKillTheProcess) {
    const mobreltest::CommandResult probe = runCommand({standInProgram(), "log-broken-pipe"});
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.out, "alive\n");
}
