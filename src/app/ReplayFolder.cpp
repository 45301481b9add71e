#include "app/ReplayFolder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/Files.h"
#include "world/Folders.h"

namespace {

constexpr char kExtension[] = ".replay";
constexpr char kRankMark[] = "_rank-";
// Names tried for one game before giving up: its own, then _2 .. _99.
constexpr int kMaxNameTries = 99;

// Reads what `pattern` asks for at `at` and moves past it: '9' a digit,
// '*' one or more digits without a leading zero, any other character itself.
bool Take(std::string_view name, size_t& at, std::string_view pattern) {
    for (char want : pattern) {
        if (want == '*') {
            const size_t from = at;
            while (at < name.size() && name[at] >= '0' && name[at] <= '9')
                ++at;
            if (at == from || (name[from] == '0' && at - from > 1))
                return false;
        } else if (at >= name.size() || (want == '9' ? name[at] < '0' || name[at] > '9'
                                                     : name[at] != want)) {
            return false;
        } else {
            ++at;
        }
    }
    return true;
}

struct OwnName {
    bool ours = false;
    bool ranked = false;
};

// Ours, and only ours: "YYYY-MM-DD_HH-MM-SS_score-N", then "_rank-M" for a
// ranked game and "_K" for a name that was taken, then the extension, and
// nothing else. A copy, a renamed file or another extension is the player's.
OwnName ReadOwnName(std::string_view name) {
    OwnName own;
    size_t at = 0;
    if (!Take(name, at, "9999-99-99_99-99-99_score-*"))
        return own;
    size_t next = at;
    if (Take(name, next, "_rank-*")) {
        own.ranked = true;
        at = next;
    }
    next = at;
    if (Take(name, next, "_*"))
        at = next;
    own.ours = name.substr(at) == kExtension;
    return own;
}

}  // namespace

std::filesystem::path ReplayFolderOf(const Folders& folders) {
    if (folders.userFolder.empty())
        return {};
    return folders.userFolder / "replays/";
}

std::string ReplayFileName(const Replay& replay) {
    const ReplayRankingLine& d = replay.result.ranking;
    char name[96];
    std::snprintf(name, sizeof name, "%04u-%02u-%02u_%02u-%02u-%02u_score-%u", d.year, d.month,
                  d.day, d.hour, d.minute, d.second, replay.result.score);
    std::string text = name;
    if (d.place != 0)
        text += kRankMark + std::to_string(d.place);
    return text + kExtension;
}

std::filesystem::path FreeReplayPath(const std::filesystem::path& folder, const Replay& replay) {
    const std::string name = ReplayFileName(replay);
    const std::string stem = name.substr(0, name.size() - (sizeof kExtension - 1));
    std::error_code error;
    for (int n = 1; n <= kMaxNameTries; ++n) {
        const std::filesystem::path path =
            folder / (n == 1 ? name : stem + "_" + std::to_string(n) + kExtension);
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, error)))
            return path;
    }
    return {};
}

base::Outcome SaveReplay(const std::filesystem::path& folder, const Replay& replay,
                         platform::FileSystem& files) {
    if (folder.empty())
        return base::Outcome::Failed("there is no player's folder to keep it in");
    if (base::Outcome made = platform::MakeFolders(folder); !made)
        return made;
    const std::filesystem::path path = FreeReplayPath(folder, replay);
    if (path.empty())
        return base::Outcome::Failed("every name for it in " + folder.string() + " is taken");
    const std::vector<uint8_t> bytes = EncodeReplay(replay);
    if (base::Outcome saved = platform::ReplaceFile(path, bytes.data(), bytes.size(), files);
        !saved)
        return saved;

    // The others beyond the newest kKeptOthers go; the ranked ones stay.
    std::error_code error;
    std::vector<std::string> others;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string entryName = entry.path().filename().string();
        const OwnName own = ReadOwnName(entryName);
        if (own.ours && !own.ranked)
            others.push_back(std::move(entryName));
    }
    std::sort(others.begin(), others.end());
    for (size_t i = 0; i + kKeptOthers < others.size(); ++i)
        files.Remove((folder / others[i]).native());
    return {};
}
