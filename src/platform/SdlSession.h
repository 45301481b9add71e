#pragma once
// Holds the SDL library for the life of the program and shuts it down last.
// Making it also gives the program its application id on the desktop.

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
