// The running program: its file and its standard streams.
#include "platform/platform.h"

#include <unistd.h>

namespace platform {

std::optional<std::string> executable_path() { return long_path("/proc/self/exe"); }

std::FILE *take_standard_output() {
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    if (saved < 0)
        return nullptr;
    std::FILE *results = ::fdopen(saved, "w");
    if (!results) {
        ::close(saved);
        return nullptr;
    }
    if (::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        std::fclose(results);
        return nullptr;
    }
    return results;
}

} // namespace platform
