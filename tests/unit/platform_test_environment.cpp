// Keeps the system's GL libraries loaded for the whole test process.
//
// SDL loads the GL library for each GL window and unloads it with the last
// one. Mesa's drivers leave memory behind when they are unloaded, and the
// leak checker of the sanitizer build then reports it at exit, failing any
// test that made a window. Holding one reference of our own keeps that memory
// reachable, as libepoxy does in the game once it has drawn anything.

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

class KeepGlLibrariesLoaded : public ::testing::Environment {
public:
    void SetUp() override {
        // Mesa's software driver is loaded by path, not by soname.
        for (const char* name :
             {"libEGL.so.1", "libGL.so.1", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"}) {
            dlopen(name, RTLD_NOW | RTLD_LOCAL);  // never closed; absent libraries are fine
        }
    }
};

[[maybe_unused]] ::testing::Environment* const kKeepGlLibraries =
    ::testing::AddGlobalTestEnvironment(new KeepGlLibrariesLoaded);

}  // namespace
