// Native paths, the program folder, and replacing a file without ever leaving
// it half written.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/WideText.h"
#include "platform/Files.h"

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

TEST(Files, NativePathUsesSlashesAndUtf8) {
    EXPECT_EQ(platform::NativePath(u"data\\grp\\grp_0003.txt"), "data/grp/grp_0003.txt");
    EXPECT_EQ(platform::NativePath(u"/opt/データ\\a"),
              "/opt/\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF/a");
    // Paths come from fixed buffers: the first terminator ends them.
    EXPECT_EQ(platform::NativePath(u"Game.ini\0junk"sv), "Game.ini");
}

TEST(Files, FolderOfNormalisesAndKeepsTheTrailingSeparator) {
    const struct {
        std::u16string_view program;
        std::u16string_view folder;
    } cases[] = {
        {u"/a/b/./c/../tessary", u"/a/b/"},
        {u"/a//b///tessary", u"/a/b/"},
        {u"/tessary", u"/"},
        {u"/../x/tessary", u"/x/"},  // nothing above the root
        {u"\\opt\\game\\tessary", u"/opt/game/"},
        {u"a/../../b/tessary", u"../b/"},  // a relative path keeps leading ".."
        {u"tessary", u"./"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::FolderOf(c.program), c.folder) << base::ToUtf8(c.program);
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

TEST(Files, ReplaceFileLeavesTheOldFileWholeWhenItCannotWrite) {
    TempFolder folder;
    const std::string path = folder.File("Game.ini");
    const std::string old = "the settings as they were";
    Write(path, old);
    // A directory where the temporary file belongs: it cannot be made, even as root.
    ASSERT_EQ(mkdir((path + ".new").c_str(), 0700), 0);

    const std::string bytes = "new";
    EXPECT_FALSE(platform::ReplaceFile(base::FromUtf8(path), bytes.data(), bytes.size()));
    EXPECT_EQ(Contents(path), old);
    // So does a folder that does not exist.
    EXPECT_FALSE(platform::ReplaceFile(base::FromUtf8(folder.File("no/such/file")), bytes.data(),
                                       bytes.size()));
}

}  // namespace
