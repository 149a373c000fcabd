// A plug-in file loaded into the host, and the messages the host sends it.
#pragma once

#include "fmhost/plugin_interface.h"

#include <cstdint>
#include <optional>
#include <string>

namespace fmhost {

class Plugin {
public:
    // Loads the plug-in file and resolves its entry point; nullopt with a
    // reason in `error` when it cannot be used.
    static std::optional<Plugin> load(const std::string &path, std::string &error);

    // A string request; nullopt when the plug-in left the buffer untouched.
    std::optional<std::u16string> get_string(std::uint8_t id, std::uint32_t capacity = 1024);

    void *handle() const { return handle_; }

private:
    Plugin(void *handle, FMX_ExternCallProc entry) : handle_(handle), entry_(entry) {}
    void send(HostCallRecord &record);

    void *handle_;
    FMX_ExternCallProc entry_;
    HostCallRecord record_{};
};

} // namespace fmhost
