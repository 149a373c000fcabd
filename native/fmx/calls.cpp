#include "fmx/calls.h"

#include "log/log.h"

namespace fmx {

void report_delete_failure(const char *function, std::int32_t code) noexcept {
    try {
        vlog::log("*** %s failed with host error %d\n", function, static_cast<int>(code));
    } catch (...) {
        // Out of memory while logging: nothing more can be said.
    }
}

} // namespace fmx
