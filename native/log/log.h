// The native log. Each line goes to the debugger output, to the per-plug-in
// log file (in the user's documents folder, "VntPlugin Logs") and, while the
// file's location is being settled, to a temporary log in the temp folder.
//
//   vlog::log("Found JVM dll at %S\n", path);
//
// The format is a printf format in which "%S" takes UTF-16 text
// (std::u16string, std::u16string_view or const char16_t*); "%s" takes
// narrow text (const char*, std::string or std::string_view).
#pragma once

#include "platform/platform.h"

#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

namespace vlog {

// Size of the buffer for the debugger output; longer lines are cut there but
// reach the log file whole.
inline constexpr std::size_t kDebugBufferSize = 1024;
// Longest log path kept, in UTF-16 units.
inline constexpr std::size_t kMaxPathUnits = 255;

template <class... Args> void log(const char *format, const Args &...args);

// Forgets the log file path, so that the next line settles it afresh (and
// restarts a per-plug-in log file).
void forget_path();
// The log file path in use, absent when none is settled.
std::optional<std::u16string> current_path();

// The Java VM's "vfprintf" hook: VM console output for a stream without a
// file descriptor goes to the debugger output, any other to its stream.
// Called by the VM, so nothing is thrown.
int output_hook(std::FILE *stream, const char *format, std::va_list args) noexcept;

namespace detail {

// Arguments are first held (UTF-16 text narrowed, narrow text copied) and
// then passed to snprintf as C values.
template <class T> auto hold(const T &value) {
    if constexpr (std::is_convertible_v<const T &, std::u16string_view>)
        return platform::narrow(std::u16string_view(value));
    else if constexpr (std::is_convertible_v<const T &, std::string_view> && !std::is_same_v<T, const char *> &&
                       !std::is_same_v<T, char *>)
        return std::string(std::string_view(value));
    else
        return value;
}
inline const char *pass(const std::string &text) { return text.c_str(); }
template <class T> T pass(T value) {
    static_assert(std::is_arithmetic_v<T> || std::is_pointer_v<T> || std::is_enum_v<T>,
                  "log arguments are numbers, pointers or text");
    return value;
}

// The format with every "%S" conversion turned into "%s".
std::string narrow_format(const char *format);
// Writes one formatted line: `bounded` is cut to the debugger buffer, `full`
// is the whole message.
void emit(std::string_view bounded, std::string_view full);

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
template <class... Held> void format_and_emit(const std::string &format, const Held &...held) {
    char bounded[kDebugBufferSize];
    const int length = std::snprintf(bounded, sizeof bounded, format.c_str(), pass(held)...);
    if (length < 0)
        return;
    const auto size = static_cast<std::size_t>(length);
    if (size < sizeof bounded) {
        emit(std::string_view(bounded, size), std::string_view(bounded, size));
        return;
    }
    std::string full(size, '\0');
    std::snprintf(full.data(), full.size() + 1, format.c_str(), pass(held)...);
    emit(std::string_view(bounded, sizeof bounded - 1), full);
}
#pragma GCC diagnostic pop

} // namespace detail

template <class... Args> void log(const char *format, const Args &...args) {
    const std::string narrowFormat = detail::narrow_format(format);
    std::apply([&](const auto &...held) { detail::format_and_emit(narrowFormat, held...); },
               std::make_tuple(detail::hold(args)...));
}

} // namespace vlog
