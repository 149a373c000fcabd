#include "log/log.h"

#include "entry/process_state.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace vlog {
namespace {

constexpr std::size_t kMaxShellFolderUnits = 259; // a 260-unit area with its terminator
constexpr char kServerLogs[] = "/opt/FileMaker/FileMaker Server/Logs";
constexpr char kServerDataLogs[] = "/opt/FileMaker/FileMaker Server/Data/Logs";
constexpr char kFallbackTemp[] = "/tmp";
constexpr char kTempLogName[] = "Vnttemp.log";
constexpr char kLogFolderName[] = "VntPlugin Logs";
constexpr char kFallbackLogName[] = "miscellaneous.log";

// Hosted threads log through the natives while the host thread logs too; the
// lock keeps one line's settling, writing and forgetting of the path whole.
struct LogState {
    std::mutex mutex;
    std::optional<std::u16string> path;
    bool pathIsFallback = false;

    void forget() noexcept {
        path.reset();
        pathIsFallback = false;
    }
};

LogState &log_state() {
    static LogState instance;
    return instance;
}

const char sep[] = {platform::kPathSeparator, '\0'};

void write_to(std::FILE *file, std::string_view text) {
    if (file)
        std::fwrite(text.data(), 1, text.size(), file);
}

// A line for standard output and the temporary log.
void report(std::FILE *tempLog, const std::string &line) {
    write_to(stdout, line);
    write_to(tempLog, line);
}

__attribute__((format(printf, 1, 2))) std::string format_text(const char *format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

platform::UniqueFile open_temp_log(const std::string &time) {
    const auto folder = platform::temp_folder();
    const std::string path = folder.value_or(platform::get_env("TEMP").value_or(kFallbackTemp)) + sep + kTempLogName;
    platform::UniqueFile tempLog(folder ? platform::open_file(path, "a") : nullptr);
    if (!tempLog) {
        std::printf("Couldn't open temp log at %s\n", path.c_str());
        return tempLog;
    }
    const auto &process = entry::state();
    std::fprintf(tempLog.get(), "---Started temp log at %s for %s / %s---\n", time.c_str(),
                 platform::narrow(process.pluginName).c_str(), platform::narrow(process.appTypeName).c_str());
    std::fflush(tempLog.get());
    return tempLog;
}

// The folder that holds "VntPlugin Logs": the user's documents folder, else
// FileMaker Server's log folder, else the root.
std::string documents_folder() {
    if (const auto key = platform::RegistryKey::open(platform::Hive::CurrentUser, platform::kShellFoldersKey)) {
        const auto personal = key->read_string(u"Personal");
        if (personal && !personal->empty() && personal->size() <= kMaxShellFolderUnits)
            return platform::narrow(*personal);
    }
    if (platform::UniqueFile probe{platform::open_file(std::string(kServerLogs) + sep + "Event.log", "r")})
        return kServerLogs;
    if (platform::UniqueFile probe{platform::open_file(std::string(kServerDataLogs) + sep + "Event.log", "r")})
        return kServerDataLogs;
    return "";
}

void determine_path(const std::string &time, std::FILE *tempLog) {
    const auto &process = entry::state();
    std::string path = documents_folder() + sep + kLogFolderName;
    platform::create_directory(path);
    path += sep;
    const bool fallback = process.appTypeName == u"Unknown";
    if (fallback)
        path += kFallbackLogName;
    else
        path += platform::narrow(process.pluginName) + "_" + platform::narrow(process.appTypeName) + ".log";

    std::u16string widePath = platform::widen(path);
    if (widePath.size() > kMaxPathUnits) {
        report(tempLog, format_text("(C++ %s) Log path too long, not writing to %s\n", time.c_str(), path.c_str()));
        return;
    }
    if (!fallback)
        std::remove(path.c_str()); // every process starts its own log afresh
    report(tempLog, format_text("(C++ %s) Writing to log file at %s\n", time.c_str(), path.c_str()));
    auto &state = log_state();
    state.path = std::move(widePath);
    state.pathIsFallback = fallback;
}

} // namespace

namespace detail {

std::string narrow_format(const char *format) {
    std::string result(format);
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (result[i] != '%')
            continue;
        std::size_t j = i + 1;
        while (j < result.size() && std::string_view("-+ #0123456789.*hlLqjzt").find(result[j]) != std::string_view::npos)
            ++j;
        if (j < result.size() && result[j] == 'S')
            result[j] = 's';
        i = j;
    }
    return result;
}

void emit(std::string_view bounded, std::string_view full) {
    const std::string time = platform::local_time_text();
    platform::debug_output(u"(C++) ");
    platform::debug_output(platform::widen(bounded).substr(0, kDebugBufferSize));
    std::fflush(nullptr);

    auto &state = log_state();
    const std::lock_guard lock(state.mutex);
    platform::UniqueFile tempLog;
    if (!state.path) {
        tempLog = open_temp_log(time);
        determine_path(time, tempLog.get());
    }
    if (state.path) {
        const std::string path = platform::narrow(*state.path);
        platform::UniqueFile file(platform::open_file(path, "a"));
        if (!file) {
            const int error = errno;
            report(tempLog.get(), format_text("(C++ %s) Could not open log file at %s because of error code %d\n",
                                              time.c_str(), path.c_str(), error));
            state.forget();
        } else {
            std::fprintf(file.get(), "(C++ %s) ", time.c_str());
            write_to(file.get(), full);
        }
    }
    std::fflush(nullptr);
    if (state.pathIsFallback)
        state.forget();
}

} // namespace detail

void forget_path() {
    auto &state = log_state();
    const std::lock_guard lock(state.mutex);
    state.forget();
}

std::optional<std::u16string> current_path() {
    auto &state = log_state();
    const std::lock_guard lock(state.mutex);
    return state.path;
}

int output_hook(std::FILE *stream, const char *format, std::va_list args) noexcept {
    if (stream == nullptr || fileno(stream) < 0) {
        char buffer[kDebugBufferSize];
        const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
        if (length > 0) {
            try {
                platform::debug_output(platform::widen(
                    std::string_view(buffer, std::min(static_cast<std::size_t>(length), sizeof buffer - 1))));
            } catch (...) {
                // The VM called us: out of memory, its text is dropped.
            }
        }
        return length;
    }
    return std::vfprintf(stream, format, args);
}

} // namespace vlog
