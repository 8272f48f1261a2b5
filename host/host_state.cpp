#include "host/host_state.h"

HostState hostState = {nullptr, false,       nullptr, false,   false,   false, nullptr,
                       nullptr, kNoCheckYet, nullptr, nullptr, nullptr, {0, 0}};
