#include "app/ReplayFolder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/Files.h"
#include "world/Folders.h"

namespace {

constexpr char kExtension[] = ".replay";
constexpr char kRankMark[] = "_rank-";

// Ours: "YYYY-MM-DD_HH-MM-SS_score-..." with the extension. Nothing else in
// the folder is ever removed.
bool IsReplayName(const std::string& name) {
    const size_t ext = sizeof kExtension - 1;
    return name.size() > 26 && name.compare(name.size() - ext, ext, kExtension) == 0 &&
           name.compare(19, 7, "_score-") == 0 &&
           std::all_of(name.begin(), name.begin() + 4, [](char c) { return c >= '0' && c <= '9'; });
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

base::Outcome SaveReplay(const std::filesystem::path& folder, const Replay& replay,
                         platform::FileSystem& files) {
    if (folder.empty())
        return base::Outcome::Failed("there is no player's folder to keep it in");
    if (base::Outcome made = platform::MakeFolders(folder); !made)
        return made;
    const std::vector<uint8_t> bytes = EncodeReplay(replay);
    const std::string name = ReplayFileName(replay);
    if (base::Outcome saved =
            platform::ReplaceFile(folder / name, bytes.data(), bytes.size(), files);
        !saved)
        return saved;

    // The others beyond the newest kKeptOthers go; the ranked ones stay.
    std::error_code error;
    std::vector<std::string> others;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string entryName = entry.path().filename().string();
        if (IsReplayName(entryName) && entryName.find(kRankMark) == std::string::npos)
            others.push_back(entryName);
    }
    std::sort(others.begin(), others.end());
    for (size_t i = 0; i + kKeptOthers < others.size(); ++i)
        files.Remove((folder / others[i]).native());
    return {};
}
