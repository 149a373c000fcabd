// The host's lifecycle messages: init, idle, shutdown and preferences.
#pragma once

#include "fmhost/plugin_interface.h"

#include <string>

namespace entry {

// Name, headless flag and debug port that an application type brings.
struct ApplicationType {
    const char16_t *name;
    bool headless;
    int debugPort;
};
// Nullptr for an unknown code, which changes nothing.
const ApplicationType *application_type(int code);

void handle_init(HostCallRecord &record);
void handle_idle(HostCallRecord &record);
void handle_shutdown(HostCallRecord &record);
void handle_preferences(HostCallRecord &record);

} // namespace entry
