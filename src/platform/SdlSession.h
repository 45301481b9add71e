#pragma once
// Holds the SDL library for the life of the program and shuts it down last.

namespace platform {

class SdlSession {
public:
    SdlSession();
    ~SdlSession();
    SdlSession(const SdlSession&) = delete;
    SdlSession& operator=(const SdlSession&) = delete;
};

}  // namespace platform
