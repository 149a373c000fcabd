#include "entry/get_string.h"

#include "entry/process_state.h"
#include "vm/archive.h"
#include "vm/manifest.h"

#include <algorithm>

namespace entry {
namespace {

// Reads the manifest on the first string request, writing the archive first
// when nothing has written it yet in this process.
void load_manifest_once() {
    auto &process = state();
    if (process.manifestLoaded)
        return;
    if (!vm::archive_state().written)
        vm::write_attached_archive();
    const auto texts = vm::read_manifest(vm::archive_state().archivePath);
    if (texts.name)
        process.pluginName = *texts.name;
    process.options = texts.options;
    process.help = texts.help;
    process.version = texts.version;
    process.manifestLoaded = true;
}

// "help (version)", cut to the description work area.
std::optional<std::u16string> description() {
    const auto &process = state();
    if (!process.help && !process.version)
        return std::nullopt;
    std::u16string text = process.help.value_or(u"");
    if (process.version)
        text += (text.empty() ? u"(" : u" (") + *process.version + u")";
    if (text.size() > kDescriptionUnits - 1)
        text.resize(kDescriptionUnits - 1);
    return text;
}

} // namespace

std::optional<std::u16string> string_answer(std::uint8_t id) {
    switch (id) {
    case FMX_STRING_NAME:
        return state().pluginName;
    case FMX_STRING_DESCRIPTION:
        return description();
    case FMX_STRING_OPTIONS:
        return state().options;
    default:
        return std::nullopt;
    }
}

void copy_answer(std::u16string_view answer, FMX_Unichar *buffer, std::uint32_t capacity) {
    if (!buffer)
        return;
    const std::size_t copied = std::min<std::size_t>(answer.size(), capacity);
    std::copy_n(answer.begin(), copied, buffer);
    std::fill(buffer + copied, buffer + capacity, FMX_Unichar{0});
}

void handle_get_string(HostCallRecord &record) {
    load_manifest_once();
    if (const auto answer = string_answer(record.param1))
        copy_answer(*answer, reinterpret_cast<FMX_Unichar *>(record.result), record.param3);
}

} // namespace entry
