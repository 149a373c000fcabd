// A plug-in file loaded into the host, and the messages the host sends it.
//
// The plug-in keeps the address of the call record it was last sent and
// reads the call-backs from it during later function calls, so one record
// lives as long as the Plugin and every message goes through it with the
// instance handle and the call-backs filled in.
#pragma once

#include "fmhost/plugin_interface.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace fmhost {

class Plugin {
public:
    // Loads the plug-in file and resolves its entry point; null with a reason
    // in `error` when it cannot be used. The library stays loaded until the
    // process ends (a Java VM inside it cannot be unloaded).
    static std::unique_ptr<Plugin> load(const std::string &path, std::string &error);

    Plugin(const Plugin &) = delete;
    Plugin &operator=(const Plugin &) = delete;

    void set_callbacks(FMX_StartScriptCallback startScript, FMX_CurrentEnvCallback currentEnv);

    // A string request; nullopt when the plug-in left the buffer untouched.
    std::optional<std::u16string> get_string(std::uint8_t id, std::uint32_t capacity = 1024);
    // Init with the application type and API version; the plug-in's result,
    // or nullopt when it left the result field as it was.
    std::optional<std::int16_t> init(std::uint8_t appType, std::int16_t apiVersion);
    void idle(std::uint8_t idleState = 0);
    void preferences();
    void shutdown();

    void *handle() const { return handle_; }

private:
    Plugin(void *handle, FMX_ExternCallProc entry) : handle_(handle), entry_(entry) {}
    // Fills the record for a message; the caller adds the message's own
    // fields and sends it.
    void prepare(std::uint8_t message, std::uint8_t param1 = 0);

    void *handle_;
    FMX_ExternCallProc entry_;
    HostCallRecord record_{};
    std::int16_t apiVersion_ = FMX_INIT_CURRENT_VERSION;
    FMX_StartScriptCallback startScript_ = nullptr;
    FMX_CurrentEnvCallback currentEnv_ = nullptr;
};

} // namespace fmhost
