// The plug-in's process-wide state: plain variables, written and read on the
// host's thread one message at a time.
#pragma once

#include "fmhost/plugin_interface.h"

#include <cstdint>
#include <optional>
#include <string>

namespace entry {

struct ProcessState {
    HostCallRecord *record = nullptr; // the record of the message being handled, or the last one
    std::int16_t appType = -1;
    std::u16string appTypeName = u"Unknown";
    std::u16string pluginName = u"Unknown";
    std::optional<std::u16string> options; // manifest texts, absent until read
    std::optional<std::u16string> help;
    std::optional<std::u16string> version;
    bool manifestLoaded = false;
    std::optional<std::u16string> jvmError;
    bool errorShown = false;
    bool headless = false;
    int debugPort = 4410;
};

ProcessState &state();

} // namespace entry
