#include "menu/OptionsWindow.h"

namespace options_window {

void StepOptionValue(System&, int32_t, bool, bool) {}

void RunOptionsWindow(CSetVerTex&, System&, MapSceneEntity&, CXi&, CXa2&) {}

}  // namespace options_window
