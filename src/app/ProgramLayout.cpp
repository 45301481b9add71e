#include "app/ProgramLayout.h"

#include <sys/stat.h>

#include <cstdio>

#include "platform/Files.h"

// The build passes the relation between the folders it installs into.
#ifndef TESSARY_SHARE_FROM_PROGRAM
#define TESSARY_SHARE_FROM_PROGRAM "../share/tessary/"
#endif

namespace {

bool HoldsFolderFile(const std::filesystem::path& folder) {
    FILE* file = platform::OpenFile(folder / "dir.txt", "rb");
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}

bool IsFolder(const std::filesystem::path& folder) {
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string_view ShareFromProgram() {
    return TESSARY_SHARE_FROM_PROGRAM;
}

ProgramLayout FindLayout(const std::filesystem::path& programFile,
                         const std::filesystem::path& userDataFolder,
                         std::string_view shareFromProgram) {
    const std::filesystem::path own = platform::FolderOf(programFile);
    if (HoldsFolderFile(own)) {
        if (platform::FolderWritable(own))
            return {FolderLayout::kPortable, own, own};
        // A read-only copy of a program folder: it is read where it lies, and
        // what the game writes goes to the user's own folder.
        return {FolderLayout::kInstalled, own, userDataFolder};
    }
    // The folder of <share>/dir.txt, with "." and ".." resolved.
    const std::filesystem::path shared = platform::FolderOf(own / shareFromProgram / "dir.txt");
    if (HoldsFolderFile(shared))
        return {FolderLayout::kInstalled, shared, userDataFolder};
    // A program that lies where an installation puts it, beside <prefix>/share/,
    // is installed even when its shared dir.txt has gone: its start then names
    // the file the package lacks.
    if (IsFolder(platform::FolderOf(shared.parent_path())))
        return {FolderLayout::kInstalled, shared, userDataFolder};
    return {FolderLayout::kPortable, own, own};
}

void ApplyLayout(const ProgramLayout& layout, Folders& folders) {
    folders.layout = layout.kind;
    folders.programFolder = layout.programFolder;
    folders.userFolder = layout.userFolder;
}
