#include "vm/options.h"

#include "log/log.h"
#include "platform/platform.h"

#include <cstdio>

namespace vm {
namespace {

constexpr char kVendorFolder[] = "Vantorel";
// The marker names; the longest one bounds the folder's length.
constexpr char kDebugMarker[] = "debug";
constexpr char kProfileMarker[] = "profile";
constexpr char kHeadlessMarker[] = "headless";
constexpr char kMemoryMarker[] = "memorysize";
constexpr std::size_t kLongestMarkerName = sizeof kMemoryMarker - 1;
// Where a Sun runtime on this platform kept the machine's shared extensions.
constexpr char kSystemExtensionFolder[] = "/usr/java/packages/lib/ext";

} // namespace

std::vector<std::string> option_texts(const OptionInputs &in) {
    const bool profile = in.markers.profile;
    const bool debug = in.markers.debug && !profile;
    const std::string &lib = in.javaLibFolder;
    const char sep = platform::kPathSeparator;
    const char list = platform::kPathListSeparator;

    std::vector<std::string> options{"-Xms4m", in.markers.maxHeap.value_or("-Xmx64m")};
    if (debug) {
        options.emplace_back("-Xdebug");
        options.push_back("-Xrunjdwp:transport=dt_socket,address=" + std::to_string(in.debugPort) +
                          ",server=y,suspend=n");
    }
    if (profile)
        options.emplace_back("-agentlib:yjpagent");
    if (in.headless)
        options.emplace_back("-Djava.awt.headless=true");
    if (in.tempFolder)
        options.push_back("-Djava.util.logging.config.file=" + *in.tempFolder + sep + "logging.properties");
    options.emplace_back(kOutputHookOption);
    options.push_back("-Xbootclasspath/a:" + lib + sep + "deploy.jar" + list + lib + sep + "plugin.jar" + list + lib +
                      sep + "javaws.jar");
    if (in.extensionFolders)
        options.push_back("-Djava.ext.dirs=" + lib + sep + "ext" + list + lib + list + lib + sep + "deploy" + list +
                          kSystemExtensionFolder + list);
    if (in.nativeAccess)
        options.emplace_back(kNativeAccessOption);
    return options;
}

std::optional<std::string> heap_option(std::string_view line) {
    if (line.find_first_not_of("\r\n") == std::string_view::npos)
        return std::nullopt;
    std::string option = "-Xmx" + std::string(line) + "m";
    if (option.size() > kMaxHeapOptionLength)
        return std::nullopt;
    return option;
}

std::optional<std::string> marker_folder() {
    const auto key = platform::RegistryKey::open(platform::Hive::LocalMachine, platform::kShellFoldersKey);
    const auto value = key ? key->read_string(u"Common AppData") : std::nullopt;
    if (!value || value->size() > kMaxCommonAppDataUnits) {
        vlog::log("No marker folder (\"Common AppData\" cannot be read); marker files ignored\n");
        return std::nullopt;
    }
    std::string folder = platform::narrow(*value);
    if (folder.empty() || folder.back() != platform::kPathSeparator)
        folder += platform::kPathSeparator;
    folder += kVendorFolder;
    folder += platform::kPathSeparator;
    if (folder.size() + kLongestMarkerName > kMaxMarkerPath) {
        vlog::log("Marker folder path too long, marker files ignored: %s\n", folder);
        return std::nullopt;
    }
    return folder;
}

Markers read_markers(const std::string &folder) {
    Markers markers;
    if (platform::file_exists(folder + kDebugMarker)) {
        markers.debug = true;
        vlog::log("Enabling debugger\n");
    }
    if (platform::file_exists(folder + kProfileMarker)) {
        markers.profile = true;
        vlog::log("Enabling profiler\n");
    }
    if (platform::file_exists(folder + kHeadlessMarker)) {
        markers.headless = true;
        vlog::log("Forcing headless mode\n");
    }
    if (platform::UniqueFile file{platform::open_file(folder + kMemoryMarker, "r")}) {
        // The first line, at most 31 characters: the number of megabytes.
        // Its line break is dropped; left in, it would make the VM refuse the
        // option and not start at all.
        char line[kMaxHeapOptionLength + 1] = {};
        std::string_view first = std::fgets(line, sizeof line, file.get()) ? line : "";
        while (!first.empty() && (first.back() == '\n' || first.back() == '\r'))
            first.remove_suffix(1);
        if (!first.empty()) {
            markers.maxHeap = heap_option(first);
            if (markers.maxHeap)
                vlog::log("Found custom memory file, %s\n", *markers.maxHeap);
            else
                vlog::log("Ignoring custom memory file, its first line is too long: %s\n", first);
        }
    }
    return markers;
}

namespace {

// The major version of a version text: 8 for "1.8.0_292", 17 for "17" or
// "17.0.15"; nullopt when the text is no version.
std::optional<int> major_version(std::string_view version) {
    const bool legacy = version.starts_with("1.");
    if (legacy)
        version.remove_prefix(2);
    std::size_t digits = 0;
    int major = 0;
    while (digits < version.size() && digits < 4 && version[digits] >= '0' && version[digits] <= '9')
        major = major * 10 + (version[digits++] - '0');
    if (digits == 0 || (digits < version.size() && version[digits] != '.' && version[digits] != '_' &&
                        version[digits] != '-' && version[digits] != '+'))
        return legacy ? std::optional<int>(1) : std::nullopt;
    return major;
}

} // namespace

std::optional<bool> accepts_extension_folders(std::string_view version) {
    const auto major = major_version(version);
    return major ? std::optional<bool>(*major < 9) : std::nullopt;
}

std::optional<bool> accepts_native_access(std::string_view version) {
    const auto major = major_version(version);
    return major ? std::optional<bool>(*major >= 17) : std::nullopt;
}

} // namespace vm
