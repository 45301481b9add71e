#include "input/CXi.h"

void CXi::PollInput() {
    // The keyboard and pad devices are not connected to the game yet: the
    // held bits stay as they are.
    (void)system_;
    (void)mapScene_;
}
