#pragma once
// Holds the SDL library for the life of the program and shuts it down last,
// after the summary of the GL debug output (when TESSARY_GL_DEBUG turned it on).

namespace platform {

class SdlSession {
public:
    SdlSession();
    ~SdlSession();
    SdlSession(const SdlSession&) = delete;
    SdlSession& operator=(const SdlSession&) = delete;
};

}  // namespace platform
