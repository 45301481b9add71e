#include "input/AutoRepeat.h"

bool RepeatStep(const RepeatTimings& timings, int32_t& counter, bool& fast, bool axisHeld,
                bool stepAllowed) {
    bool step = false;
    if (counter == timings.ready && axisHeld && stepAllowed) {
        step = true;
        counter = 0;
    }
    if (!axisHeld) {
        counter = timings.ready;
        fast = false;
    } else if (counter < timings.ready) {
        counter += fast ? timings.fastStep : 1;
        if (counter >= timings.ready) {
            counter = timings.ready;
            fast = true;
        }
    }
    return step;
}
