// Native paths, the program folder, reading with a reason, and replacing a
// file without ever leaving it half written, on a good disk and a failing one.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/WideText.h"
#include "platform/Files.h"
#include "support/FailingFiles.h"

namespace {

using namespace std::string_view_literals;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = ::testing::TempDir() + "tessary-files-XXXXXX";
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(Files, StoredNamesBecomePathsWithSlashesAndUtf8) {
    EXPECT_EQ(base::PathFromStored(u"data\\grp\\grp_0003.txt"), "data/grp/grp_0003.txt");
    EXPECT_EQ(base::PathFromStored(u"/opt/データ\\a"),
              "/opt/\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF/a");
    // Names come from fixed buffers: the first terminator ends them.
    EXPECT_EQ(base::PathFromStored(u"Game.ini\0junk"sv), "Game.ini");
}

TEST(Files, FolderOfNormalisesAndKeepsTheTrailingSeparator) {
    const struct {
        const char* program;
        const char* folder;
    } cases[] = {
        {"/a/b/./c/../tessary", "/a/b/"},
        {"/a//b///tessary", "/a/b/"},
        {"/tessary", "/"},
        {"/../x/tessary", "/x/"},        // nothing above the root
        {"a/../../b/tessary", "../b/"},  // a relative path keeps leading ".."
        {"tessary", "./"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::FolderOf(c.program).native(), c.folder) << c.program;
    }
}

TEST(Files, ReplaceFileWritesExactlyTheNewBytes) {
    TempFolder folder;
    const std::string path = folder.File("Game.ini");
    Write(path, std::string(600, 'o'));  // longer than what replaces it

    const std::string bytes("\x00\xFF\r\n\x1A tail", 9);
    ASSERT_TRUE(platform::ReplaceFile(base::FromUtf8(path), bytes.data(), bytes.size()));
    EXPECT_EQ(Contents(path), bytes);
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));

    ASSERT_TRUE(platform::ReplaceFile(base::FromUtf8(path), nullptr, 0));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

// What a save must respect of the file it replaces, and what an earlier run
// may have left beside it.
TEST(Files, ReplaceFileHonoursTheFileItReplaces) {
    using Step = FailingFiles::Step;
    const struct {
        const char* name;
        mode_t mode;           // of the old file; 0: there is none
        bool link;             // Game.ini is a symbolic link to the old file
        const char* staleNew;  // "file", "folder", "full folder" or nullptr
        Step step;             // kCreateDenied: the folder takes no new file
        bool saved;
    } cases[] = {
        {"plain", 0644, false, nullptr, Step::kNone, true},
        {"mode kept", 0600, false, nullptr, Step::kNone, true},
        {"group mode kept", 0664, false, nullptr, Step::kNone, true},
        {"read-only file", 0444, false, nullptr, Step::kNone, false},
        {"through a link", 0640, true, nullptr, Step::kNone, true},
        {"stale file", 0644, false, "file", Step::kNone, true},
        {"stale folder", 0644, false, "folder", Step::kNone, true},
        {"stale full folder", 0644, false, "full folder", Step::kNone, true},
        {"read-only folder", 0644, false, nullptr, Step::kCreateDenied, true},
        {"read-only folder, link", 0644, true, nullptr, Step::kCreateDenied, true},
        {"read-only folder, no file", 0, false, nullptr, Step::kCreateDenied, false},
        {"another user's file", 0666, false, nullptr, Step::kChownDenied, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.File("Game.ini");
        const std::string stored = c.link ? folder.File("real.bin") : path;
        const std::string old = "the settings as they were";
        if (c.mode != 0) {
            Write(stored, old);
            ASSERT_EQ(chmod(stored.c_str(), c.mode), 0);
        }
        struct stat before {};
        stat(stored.c_str(), &before);
        if (c.link) {
            ASSERT_EQ(symlink("real.bin", path.c_str()), 0);
        }
        if (c.staleNew != nullptr) {
            const std::string stale = stored + ".new";
            if (std::string(c.staleNew) == "file") {
                Write(stale, "half a file");
            } else {
                ASSERT_EQ(mkdir(stale.c_str(), 0755), 0);
                if (std::string(c.staleNew) == "full folder")
                    Write(stale + "/x", "x");
            }
        }
        FailingFiles files;
        files.suffix = c.link ? "real.bin" : "Game.ini";
        files.failing = c.step;

        const std::string bytes = "new";
        const base::Outcome saved =
            platform::ReplaceFile(base::FromUtf8(path), bytes.data(), bytes.size(), files);
        EXPECT_EQ(saved.ok(), c.saved) << saved.reason();
        struct stat st {};
        if (c.mode != 0) {
            EXPECT_EQ(Contents(stored), c.saved ? bytes : old);
            ASSERT_EQ(stat(stored.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, c.mode);
            // Where no new file may be made or given away, the file itself is rewritten.
            const bool inPlace = c.step == Step::kCreateDenied || c.step == Step::kChownDenied;
            if (c.saved) {
                EXPECT_EQ(st.st_ino == before.st_ino, inPlace);
            }
        }
        if (c.link) {
            ASSERT_EQ(lstat(path.c_str(), &st), 0);
            EXPECT_TRUE(S_ISLNK(st.st_mode));
        }
        if (!c.saved) {
            EXPECT_NE(saved.reason().find(stored), std::string::npos) << saved.reason();
        }
        // Nothing of this save is left beside the file.
        for (const auto& entry : std::filesystem::directory_iterator(folder.File(""))) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "Game.ini" || name == "real.bin" ||
                        (c.staleNew != nullptr && std::string(c.staleNew) == "full folder" &&
                         name == std::filesystem::path(stored).filename().string() + ".new"))
                << name;
        }
    }
}

// A disk that fails at each step of a save in turn: the old file stays whole
// (or, once the rename is done, the new one), nothing is left to block the
// next save, and the failure names the file and the system's reason.
TEST(Files, ReplaceFileOnAFailingDisk) {
    using Step = FailingFiles::Step;
    const struct {
        Step step;
        const char* reason;
        bool replaced;  // the new bytes are in place though the save failed
    } cases[] = {
        {Step::kCreate, "No space left on device", false},
        {Step::kShortWrite, "No space left on device", false},
        {Step::kWriteNoSpace, "No space left on device", false},
        {Step::kWriteIo, "Input/output error", false},
        {Step::kFsync, "Input/output error", false},
        {Step::kClose, "Input/output error", false},
        {Step::kRename, "Input/output error", false},
        {Step::kFolderFlush, "Input/output error", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        TempFolder folder;
        const std::string path = folder.File("Game.ini");
        const std::string old(512, 'o');
        const std::string bytes(512, 'n');
        Write(path, old);
        FailingFiles files;
        files.failing = c.step;
        const base::Outcome saved =
            platform::ReplaceFile(base::FromUtf8(path), bytes.data(), bytes.size(), files);
        const std::string& why = saved.reason();
        EXPECT_FALSE(saved);
        EXPECT_EQ(Contents(path), c.replaced ? bytes : old);
        EXPECT_NE(why.find(path), std::string::npos) << why;
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        EXPECT_FALSE(std::filesystem::exists(path + ".new"));

        files.failing = Step::kNone;
        EXPECT_TRUE(platform::ReplaceFile(base::FromUtf8(path), bytes.data(), bytes.size(), files));
        EXPECT_EQ(Contents(path), bytes);
    }
}

TEST(Files, ReadingSaysWhatFailed) {
    TempFolder folder;
    ASSERT_EQ(mkdir(folder.File("dir").c_str(), 0755), 0);
    uint8_t byte = 0;
    const base::Outcome none =
        platform::ReadFilePrefix(base::FromUtf8(folder.File("none")), &byte, 1);
    EXPECT_FALSE(none);
    EXPECT_EQ(none.reason(),
              "could not open " + folder.File("none") + ": No such file or directory");
    const base::Outcome dir =
        platform::ReadFilePrefix(base::FromUtf8(folder.File("dir")), &byte, 1);
    EXPECT_FALSE(dir);
    EXPECT_EQ(dir.reason(), "could not read " + folder.File("dir") + ": Is a directory");
    EXPECT_FALSE(platform::FileReadable(base::FromUtf8(folder.File("dir"))));
    Write(folder.File("empty"), "");
    EXPECT_TRUE(platform::FileReadable(base::FromUtf8(folder.File("empty"))));
}

}  // namespace
