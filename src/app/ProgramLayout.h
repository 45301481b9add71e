#pragma once
// ProgramLayout: where the program's own files are and where each player's
// files are kept, worked out from where the program file lies.
//
// A program folder that holds dir.txt and may be written to is portable:
// everything, Game.ini and the slot files included, lives in it. Otherwise the
// game is installed: its shared files are found relative to the program (in
// <prefix>/share/tessary/ for a program in <prefix>/games/ or <prefix>/bin/, or
// in the program folder itself when that folder is read-only), and each user's
// Game.ini and slot files live in their own data folder.

#include <filesystem>
#include <string_view>

#include "world/Folders.h"

// Where the installation puts the shared files, seen from the program's
// folder: "../share/tessary/" unless the build chose other folders.
std::string_view ShareFromProgram();

struct ProgramLayout {
    FolderLayout kind = FolderLayout::kPortable;
    std::filesystem::path programFolder;  // dir.txt, the shaders, the data folder
    std::filesystem::path userFolder;     // Game.ini and the slot files
};

// programFile: the running program's full path; userDataFolder: the per-user
// folder an installed game uses. With no dir.txt in either place the layout is
// installed when the program lies beside <prefix>/share/ (start-up then ends
// naming the shared dir.txt), else portable (start-up ends for want of dir.txt
// in the program's folder).
ProgramLayout FindLayout(const std::filesystem::path& programFile,
                         const std::filesystem::path& userDataFolder,
                         std::string_view shareFromProgram = ShareFromProgram());

// Puts the layout's folders into the record.
void ApplyLayout(const ProgramLayout& layout, Folders& folders);
