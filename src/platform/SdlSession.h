#pragma once
// Holds the SDL library for the life of the program and shuts it down last,
// after the summary of the GL debug output (when TESSARY_GL_DEBUG turned it on).
// Making it also settles how the program meets the desktop: its application
// id, and the video driver it prefers.

namespace platform {

// The name of the desktop file, which the window carries as its class.
inline constexpr char kApplicationId[] = "tessary";

class SdlSession {
public:
    SdlSession();
    ~SdlSession();
    SdlSession(const SdlSession&) = delete;
    SdlSession& operator=(const SdlSession&) = delete;
};

}  // namespace platform
