#include "plugin.h"

#include "platform/platform.h"

#include <algorithm>
#include <vector>

namespace fmhost {

std::unique_ptr<Plugin> Plugin::load(const std::string &path, std::string &error) {
    void *handle = platform::load_library(path);
    if (!handle) {
        error = "cannot load " + path + ": " + platform::last_load_error();
        return nullptr;
    }
    auto entry = reinterpret_cast<FMX_ExternCallProc>(platform::find_symbol(handle, "FMExternCallProc"));
    if (!entry) {
        error = path + " has no FMExternCallProc";
        return nullptr;
    }
    return std::unique_ptr<Plugin>(new Plugin(handle, entry));
}

void Plugin::set_callbacks(FMX_StartScriptCallback startScript, FMX_CurrentEnvCallback currentEnv) {
    startScript_ = startScript;
    currentEnv_ = currentEnv;
}

void Plugin::prepare(std::uint8_t message, std::uint8_t param1) {
    record_ = HostCallRecord{};
    record_.apiVersion = apiVersion_;
    record_.message = message;
    record_.param1 = param1;
    record_.instanceID = reinterpret_cast<std::uintptr_t>(handle_);
    record_.cStartScript = startScript_;
    record_.cCurrentEnv = currentEnv_;
}

std::optional<std::u16string> Plugin::get_string(std::uint8_t id, std::uint32_t capacity) {
    // A marker fills the buffer, so that an untouched buffer can be told apart.
    constexpr FMX_Unichar kUntouched = 0xFFFF;
    std::vector<FMX_Unichar> buffer(capacity + 1, kUntouched);
    prepare(FMX_MSG_GET_STRING, id);
    record_.param3 = capacity;
    record_.result = reinterpret_cast<std::intptr_t>(buffer.data());
    entry_(&record_);
    record_.result = 0; // the buffer goes away
    if (std::all_of(buffer.begin(), buffer.end(), [](FMX_Unichar unit) { return unit == kUntouched; }))
        return std::nullopt;
    std::u16string answer;
    for (std::size_t i = 0; i < capacity && buffer[i] != 0; ++i)
        answer += static_cast<char16_t>(buffer[i]);
    return answer;
}

std::optional<std::int16_t> Plugin::init(std::uint8_t appType, std::int16_t apiVersion) {
    // Outside the 16-bit range, so no answer of the plug-in can equal it.
    constexpr std::intptr_t kUntouched = 0x5A5A5A5A;
    apiVersion_ = apiVersion;
    prepare(FMX_MSG_INIT, appType);
    record_.result = kUntouched;
    entry_(&record_);
    if (record_.result == kUntouched)
        return std::nullopt;
    return static_cast<std::int16_t>(record_.result);
}

void Plugin::idle(std::uint8_t idleState) {
    prepare(FMX_MSG_IDLE, idleState);
    entry_(&record_);
}

void Plugin::preferences() {
    prepare(FMX_MSG_PREFERENCES);
    entry_(&record_);
}

void Plugin::shutdown() {
    prepare(FMX_MSG_SHUTDOWN);
    entry_(&record_);
}

} // namespace fmhost
