#include "app/ProgramLayout.h"

#include <sys/stat.h>

#include <cstdio>

#include "base/WideText.h"
#include "platform/Files.h"

// The build passes the relation between the folders it installs into.
#ifndef TESSARY_SHARE_FROM_PROGRAM
#define TESSARY_SHARE_FROM_PROGRAM "../share/tessary/"
#endif

namespace {

bool HoldsFolderFile(const std::u16string& folder) {
    FILE* file = platform::OpenFile(folder + u"dir.txt", "rb");
    if (file == nullptr)
        return false;
    std::fclose(file);
    return true;
}

bool IsFolder(const std::u16string& folder) {
    struct stat info {};
    return stat(platform::NativePath(folder).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::u16string_view ShareFromProgram() {
    return u"" TESSARY_SHARE_FROM_PROGRAM;
}

ProgramLayout FindLayout(std::u16string_view programFile, std::u16string_view userDataFolder,
                         std::u16string_view shareFromProgram) {
    const std::u16string own = platform::FolderOf(programFile);
    if (HoldsFolderFile(own)) {
        if (platform::FolderWritable(own))
            return {FolderLayout::kPortable, own, own};
        // A read-only copy of a program folder: it is read where it lies, and
        // what the game writes goes to the user's own folder.
        return {FolderLayout::kInstalled, own, std::u16string(userDataFolder)};
    }
    // The folder of <share>/dir.txt, with "." and ".." resolved.
    std::u16string shared = own;
    shared += shareFromProgram;
    shared = platform::FolderOf(shared + u"dir.txt");
    if (HoldsFolderFile(shared))
        return {FolderLayout::kInstalled, shared, std::u16string(userDataFolder)};
    // A program that lies where an installation puts it, beside <prefix>/share/,
    // is installed even when its shared dir.txt has gone: its start then names
    // the file the package lacks.
    if (IsFolder(platform::FolderOf(shared.substr(0, shared.size() - 1))))
        return {FolderLayout::kInstalled, shared, std::u16string(userDataFolder)};
    return {FolderLayout::kPortable, own, own};
}

void ApplyLayout(const ProgramLayout& layout, Folders& folders) {
    folders.layout = layout.kind;
    base::WideCopy(folders.programFolder, layout.programFolder);
    base::WideCopy(folders.userFolder, layout.userFolder);
}
