// dir.txt reader: any bytes, of any length, give a terminated folder text of
// at most 80 units in both copies.

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "base/WideText.h"
#include "persist/FolderFile.h"
#include "world/System.h"
#include "world/WorldState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto system = std::make_unique<System>();
    FolderFile file(system->folders);
    file.Decode(data, size);

    const size_t length = base::WideLength(system->folders.folderText, Folders::kFolderTextUnits);
    if (length > FolderFile::kTextBytes / 2)
        std::abort();
    if (base::PathFromStored(base::WideView(system->folders.folderText)) !=
        system->folders.dataFolderName)
        std::abort();
    return 0;
}
