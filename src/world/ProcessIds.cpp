#include "world/ProcessIds.h"

ProcessIds& StartupProcessIds() {
    static ProcessIds ids;
    return ids;
}
