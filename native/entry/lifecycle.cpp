#include "entry/lifecycle.h"

#include "entry/process_state.h"
#include "log/log.h"

#include <array>

namespace entry {

const ApplicationType *application_type(int code) {
    static const std::array<ApplicationType, 6> types{{
        {u"FMAdvanced", false, 0},
        {u"FMPro", false, 0},
        {u"Runtime", false, 0},
        {u"Server", true, 4412},
        {u"WPE", true, 4411},
        {u"Mobile", false, 0},
    }};
    if (code < 0 || code >= static_cast<int>(types.size()))
        return nullptr;
    return &types[static_cast<std::size_t>(code)];
}

void handle_init(HostCallRecord &record) {
    auto &process = state();
    process.appType = record.param1;
    if (const auto *type = application_type(record.param1)) {
        process.appTypeName = type->name;
        if (type->headless) {
            process.headless = true;
            process.debugPort = type->debugPort;
        }
    }
    vlog::log(" *** INIT for %S_%S at %s, headless mode %d\n", process.pluginName, process.appTypeName,
              platform::local_time_text(), process.headless ? 1 : 0);
}

void handle_idle(HostCallRecord &) {}

void handle_shutdown(HostCallRecord &) {
    auto &process = state();
    process.jvmError.reset();
    vlog::log("*** SHUTDOWN %S_%S ***\n", process.pluginName, process.appTypeName);
    vlog::log("Shutdown complete\n");
    vlog::forget_path();
}

void handle_preferences(HostCallRecord &) {}

} // namespace entry
