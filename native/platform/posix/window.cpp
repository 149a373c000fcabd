// Host windows do not exist here: no foreground window, and parenting fails
// the way Windows reports an invalid window handle.
#include "platform/platform.h"

namespace platform {
namespace {
constexpr int kInvalidWindowHandle = 1400;
}

std::int64_t foreground_window() { return 0; }

bool set_parent(std::int64_t, std::int64_t, int &errorCode) {
    errorCode = kInvalidWindowHandle;
    return false;
}

} // namespace platform
