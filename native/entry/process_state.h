// The plug-in's process-wide state: plain variables, written and read under
// the host call lock (one message or function call at a time).
#pragma once

#include "fmhost/plugin_interface.h"

#include <cstdint>
#include <optional>
#include <string>

namespace entry {

struct ProcessState {
    // What is kept of the host's call records, by value: the instance handle
    // and the call-backs of the most recent message. The record itself
    // belongs to the host and may be gone once its message returns.
    std::uintptr_t instanceID = 0;
    FMX_StartScriptCallback startScript = nullptr;
    FMX_CurrentEnvCallback currentEnv = nullptr;
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
