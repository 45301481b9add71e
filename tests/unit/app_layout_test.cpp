// Where the game finds its files: a writable folder holding dir.txt is a
// portable copy; otherwise the shared files are found relative to the program
// and the player's files go to the player's own folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/ProgramLayout.h"
#include "base/WideText.h"
#include "platform/Files.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kUser = u"/home/player/.local/share/tessary/";

TEST(ProgramLayout, FollowsWhereDirTxtLies) {
    const struct {
        const char* name;
        const char* dirTxt[2];  // folders under the root that hold dir.txt
        const char* program;    // the program file
        FolderLayout kind;
        const char* programFolder;  // "" for the player's folder
        const char* userFolder;
    } cases[] = {
        {"portable copy", {"game"}, "game/tessary", FolderLayout::kPortable, "game/", "game/"},
        {"installed in games/",
         {"usr/share/tessary"},
         "usr/games/tessary",
         FolderLayout::kInstalled,
         "usr/share/tessary/",
         ""},
        {"installed in bin/",
         {"usr/share/tessary"},
         "usr/bin/tessary",
         FolderLayout::kInstalled,
         "usr/share/tessary/",
         ""},
        {"a portable copy wins over shared files",
         {"usr/games", "usr/share/tessary"},
         "usr/games/tessary",
         FolderLayout::kPortable,
         "usr/games/",
         "usr/games/"},
        // Another package's folder makes usr/share/: the program lies where
        // an installation puts it, and its own shared dir.txt is missing.
        {"installed without its shared dir.txt",
         {"usr/share/other"},
         "usr/games/tessary",
         FolderLayout::kInstalled,
         "usr/share/tessary/",
         ""},
        {"no dir.txt anywhere",
         {},
         "usr/games/tessary",
         FolderLayout::kPortable,
         "usr/games/",
         "usr/games/"},
    };
    for (const auto& c : cases) {
        TempFolder root;
        for (const char* folder : c.dirTxt) {
            if (folder == nullptr)
                continue;
            fs::create_directories(root.Native(folder));
            root.Write(std::string(folder) + "/dir.txt", {0xFF, 0xFE});
        }
        fs::create_directories(fs::path(root.Native(c.program)).parent_path());
        const ProgramLayout layout = FindLayout(root.Path(c.program), kUser, "../share/tessary/");
        EXPECT_EQ(layout.kind, c.kind) << c.name;
        EXPECT_EQ(layout.programFolder, root.Path(c.programFolder)) << c.name;
        const fs::path user = c.userFolder[0] == '\0' ? fs::path(kUser) : root.Path(c.userFolder);
        EXPECT_EQ(layout.userFolder, user) << c.name;
    }
}

TEST(ProgramLayout, AReadOnlyProgramFolderKeepsThePlayersFilesElsewhere) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write to any folder";
    TempFolder root;
    root.Write("dir.txt", {0xFF, 0xFE});
    ASSERT_EQ(chmod(root.path().c_str(), 0555), 0);
    const ProgramLayout layout = FindLayout(root.Path("tessary"), kUser);
    chmod(root.path().c_str(), 0700);
    EXPECT_EQ(layout.kind, FolderLayout::kInstalled);
    EXPECT_EQ(layout.programFolder, root.Path(""));
    EXPECT_EQ(layout.userFolder, kUser);
}

TEST(ProgramLayout, MakeFoldersMakesEachMissingFolderPrivate) {
    TempFolder root;
    ASSERT_TRUE(platform::MakeFolders(root.Path("share/tessary/")));
    ASSERT_TRUE(platform::MakeFolders(root.Path("share/tessary/")));  // there already
    for (const char* folder : {"share", "share/tessary"}) {
        struct stat info {};
        ASSERT_EQ(stat(root.Native(folder).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
    }
    root.Write("file", {1});
    const base::Outcome made = platform::MakeFolders(root.Path("file/sub/"));
    EXPECT_FALSE(made);
    EXPECT_NE(made.reason().find("file/sub: Not a directory"), std::string::npos) << made.reason();
}

}  // namespace
