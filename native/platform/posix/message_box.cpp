// Message boxes: no desktop to show them on, so they go to standard error
// and are counted.
#include "platform/platform.h"

#include <atomic>
#include <cerrno>
#include <unistd.h>

namespace platform {
namespace {
std::atomic<int> shown{0};
}

void message_box(std::u16string_view text) {
    const std::string line = "[message box] " + narrow(text) + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t written = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        done += static_cast<std::size_t>(written);
    }
    shown.fetch_add(1, std::memory_order_relaxed);
}

int message_boxes_shown() { return shown.load(std::memory_order_relaxed); }

} // namespace platform
