#include "bench_plugin.h"

#include "lib/calc_bridge.h"
#include "platform/platform.h"

#include <cstdio>

namespace bench {

void StartedPlugin::shutdown() const {
    record->message = FMX_MSG_SHUTDOWN;
    entry(record);
}

std::optional<StartedPlugin> start_plugin(const char *path) {
    const platform::ModuleHandle plugin = platform::load_library(path);
    const auto entry =
        plugin ? reinterpret_cast<FMX_ExternCallProc>(platform::find_symbol(plugin, "FMExternCallProc")) : nullptr;
    if (!entry) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, platform::last_load_error().c_str());
        return std::nullopt;
    }
    static HostCallRecord record{};
    record.apiVersion = FMX_INIT_CURRENT_VERSION;
    record.instanceID = reinterpret_cast<std::uintptr_t>(plugin);
    static FMX_Unichar name[64] = {};
    record.message = FMX_MSG_GET_STRING;
    record.param1 = FMX_STRING_NAME;
    record.param3 = 63;
    record.result = reinterpret_cast<std::intptr_t>(name);
    entry(&record);
    record.message = FMX_MSG_INIT;
    record.param1 = FMX_APP_PRO;
    record.result = 0;
    entry(&record);
    if (record.result != FMX_INIT_CURRENT_VERSION) {
        std::fprintf(stderr, "%s: init answered %lld\n", path, static_cast<long long>(record.result));
        return std::nullopt;
    }
    return StartedPlugin{entry, &record};
}

std::optional<calc::ExternalFunction> PluginContext::findExternal(std::string_view name) {
    return fmhost::find_registered(name);
}

calc::Result PluginContext::callExternal(const calc::ExternalFunction &function, const std::vector<calc::Value> &args) {
    return fmhost::call_registered(function, args, nullptr);
}

} // namespace bench
