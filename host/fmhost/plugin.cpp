#include "plugin.h"

#include "platform/platform.h"

#include <algorithm>
#include <vector>

namespace fmhost {

std::optional<Plugin> Plugin::load(const std::string &path, std::string &error) {
    void *handle = platform::load_library(path);
    if (!handle) {
        error = "cannot load " + path + ": " + platform::last_load_error();
        return std::nullopt;
    }
    auto entry = reinterpret_cast<FMX_ExternCallProc>(platform::find_symbol(handle, "FMExternCallProc"));
    if (!entry) {
        error = path + " has no FMExternCallProc";
        return std::nullopt;
    }
    return Plugin(handle, entry);
}

void Plugin::send(HostCallRecord &record) {
    record.instanceID = reinterpret_cast<std::uintptr_t>(handle_);
    entry_(&record);
}

std::optional<std::u16string> Plugin::get_string(std::uint8_t id, std::uint32_t capacity) {
    // A marker fills the buffer, so that an untouched buffer can be told apart.
    constexpr FMX_Unichar kUntouched = 0xFFFF;
    std::vector<FMX_Unichar> buffer(capacity + 1, kUntouched);
    record_ = HostCallRecord{};
    record_.message = FMX_MSG_GET_STRING;
    record_.param1 = id;
    record_.param3 = capacity;
    record_.result = reinterpret_cast<std::intptr_t>(buffer.data());
    send(record_);
    if (std::all_of(buffer.begin(), buffer.end(), [](FMX_Unichar unit) { return unit == kUntouched; }))
        return std::nullopt;
    std::u16string answer;
    for (std::size_t i = 0; i < capacity && buffer[i] != 0; ++i)
        answer += static_cast<char16_t>(buffer[i]);
    return answer;
}

} // namespace fmhost
