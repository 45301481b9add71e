#pragma once
// libFuzzer takes 4 KiB inputs unless told otherwise, too small for a seed
// made of whole sound files. Called from LLVMFuzzerInitialize, this adds
// "-max_len=<bytes>" to the arguments unless the caller gave a -max_len.

#include <cstring>
#include <string>
#include <vector>

inline void AddDefaultMaxLength(int* argc, char*** argv, size_t bytes) {
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp((*argv)[i], "-max_len=", 9) == 0)
            return;
    }
    static std::string maxLen;
    static std::vector<char*> args;
    maxLen = "-max_len=" + std::to_string(bytes);
    args.assign(*argv, *argv + *argc);
    args.push_back(maxLen.data());
    args.push_back(nullptr);
    *argc += 1;
    *argv = args.data();
}
