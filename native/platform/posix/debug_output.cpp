// Debugger output: there is no debugger channel here, so the text goes where
// VNT_DEBUG_OUTPUT says, or nowhere.
#include "platform/platform.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

// Writes all of text; one write call unless the kernel takes less.
void write_all(int fd, const std::string &text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        done += static_cast<std::size_t>(written);
    }
}

} // namespace

void debug_output(std::u16string_view text) {
    const auto target = get_env("VNT_DEBUG_OUTPUT");
    if (!target || target->empty() || text.empty()) return;
    const std::string bytes = narrow(text);
    if (*target == "stderr" || *target == "1") {
        write_all(STDERR_FILENO, bytes);
        return;
    }
    const int fd = ::open(target->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;
    write_all(fd, bytes);
    ::close(fd);
}

} // namespace platform
