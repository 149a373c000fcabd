// An in-process clipboard: formats in the order they were first set, each
// with its bytes.
#include "platform/platform.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace platform {
namespace {

struct Clipboard {
    std::mutex mutex;
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> entries;

    auto find(std::uint32_t format) {
        return std::find_if(entries.begin(), entries.end(),
                            [format](const auto &entry) { return entry.first == format; });
    }
};

// Never destroyed: threads still running at exit may use it.
Clipboard &clipboard() {
    static auto *instance = new Clipboard;
    return *instance;
}

} // namespace

std::vector<std::uint32_t> clipboard_formats() {
    auto &board = clipboard();
    std::lock_guard lock(board.mutex);
    std::vector<std::uint32_t> formats;
    formats.reserve(board.entries.size());
    for (const auto &entry : board.entries) formats.push_back(entry.first);
    return formats;
}

std::optional<std::vector<std::uint8_t>> clipboard_data(std::uint32_t format) {
    auto &board = clipboard();
    std::lock_guard lock(board.mutex);
    const auto entry = board.find(format);
    if (entry == board.entries.end()) return std::nullopt;
    return entry->second;
}

void clipboard_clear() {
    auto &board = clipboard();
    std::lock_guard lock(board.mutex);
    board.entries.clear();
}

// Format 0 is no format (it ends an enumeration on Windows); it is ignored.
void clipboard_set(std::uint32_t format, std::span<const std::uint8_t> bytes) {
    if (format == 0) return;
    auto &board = clipboard();
    std::lock_guard lock(board.mutex);
    std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    if (const auto entry = board.find(format); entry != board.entries.end())
        entry->second = std::move(copy);
    else
        board.entries.emplace_back(format, std::move(copy));
}

} // namespace platform
