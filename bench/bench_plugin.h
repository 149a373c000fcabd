// What the benchmarks share: a plug-in file started the way the host starts
// it, and the host's calculation engine with the functions it registered.
#pragma once

#include "calc/simple_context.h"
#include "fmhost/plugin_interface.h"

#include <optional>

namespace bench {

// A started plug-in. It keeps the call record's address for later calls,
// so the record lives as long as the process.
struct StartedPlugin {
    FMX_ExternCallProc entry;
    HostCallRecord *record;

    void shutdown() const;
};

// Loads the plug-in file, sends the name request and init; nullopt (with
// the reason on standard error) when it cannot be loaded or init does not
// answer 51. Its Java runtime comes from the registry (VNT_REGISTRY, or
// this machine's).
std::optional<StartedPlugin> start_plugin(const char *path);

// The calculation engine with the plug-in's registered functions, called
// the way the host calls them.
class PluginContext : public calc::SimpleContext {
public:
    std::optional<calc::ExternalFunction> findExternal(std::string_view name) override;
    calc::Result callExternal(const calc::ExternalFunction &function, const std::vector<calc::Value> &args) override;
};

} // namespace bench
