// Process environment through the C library.
#include "platform/platform.h"

#include <cstdlib>

namespace platform {

std::optional<std::string> get_env(const char *name) {
    if (name == nullptr) return std::nullopt;
    const char *value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

bool set_env(const char *name, const std::string &value) {
    // An embedded NUL would silently cut the value short.
    if (name == nullptr || value.find('\0') != std::string::npos) return false;
    return ::setenv(name, value.c_str(), 1) == 0;
}

} // namespace platform
