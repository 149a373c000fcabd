// The operating-system services the plug-in needs, behind one small interface.
// posix/ implements it for Linux; a Windows implementation sits beside it with
// the same declarations. Nothing outside this folder calls an operating-system
// API that differs between platforms.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// ---- Text -------------------------------------------------------------------
// Host-facing text is UTF-16; narrow text is the platform's multibyte
// encoding (UTF-8 here). Invalid input becomes U+FFFD, never a failure.
std::u16string widen(std::string_view narrow);
std::string narrow(std::u16string_view wide);

// Separators of file paths and of the PATH list.
inline constexpr char kPathSeparator = '/';
inline constexpr char kPathListSeparator = ':';

// ---- Environment ------------------------------------------------------------
std::optional<std::string> get_env(const char *name);
bool set_env(const char *name, const std::string &value);

// ---- Registry (read only) ---------------------------------------------------
// POSIX stand-in: a file in the format of a registry export (REGEDIT4) named
// by VNT_REGISTRY; without it, a built-in registry describing this machine's
// Java runtime and folders.
enum class Hive { LocalMachine, CurrentUser };

// The key (under either hive) whose values name the user's and the machine's
// folders: "Personal", "Common AppData".
inline constexpr char16_t kShellFoldersKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

class RegistryKey {
public:
    // Opens a key by its backslash-separated path; letter case is ignored.
    static std::optional<RegistryKey> open(Hive hive, std::u16string_view path);
    std::optional<RegistryKey> open_subkey(std::u16string_view name) const;
    // A string value, as stored (no expansion).
    std::optional<std::u16string> read_string(std::u16string_view name) const;

    RegistryKey(RegistryKey &&) noexcept = default;
    RegistryKey &operator=(RegistryKey &&) noexcept = default;
    ~RegistryKey();

private:
    explicit RegistryKey(std::u16string fullPath) : path_(std::move(fullPath)) {}
    std::u16string path_; // "HKEY_LOCAL_MACHINE\Software\..."
};

// JAVA_VERSION of the "release" file in a Java runtime's home folder, empty
// when unknown.
std::string java_release_version(const std::string &home);

// ---- Modules and libraries --------------------------------------------------
using ModuleHandle = void *;

// Loads a library (the loader counts repeated loads); null on failure.
ModuleHandle load_library(const std::string &path);
std::string last_load_error();
void *find_symbol(ModuleHandle module, const char *name);
// The full path of the file a loaded module came from.
std::optional<std::string> module_file_name(ModuleHandle module);
// The module that holds the given code or data address.
ModuleHandle module_of(const void *address);
// The canonical long form of an existing path.
std::optional<std::string> long_path(const std::string &path);
// Where the library image in an open library file ends; anything after it
// was appended. nullopt when the file is no library of this platform.
std::optional<std::uint64_t> library_image_end(std::FILE *file);

// ---- Files and folders ------------------------------------------------------
// The temp folder: TEMP, else TMPDIR, else /tmp. Where that folder is shared
// with other users, a private subfolder of it (owned by the user, mode 0700,
// checked before every use); when that name is taken by something that is
// not ours, a fresh private folder made for this process instead. nullopt
// when no safe folder can be had.
std::optional<std::string> temp_folder();
// The private subfolder that temp_folder() refused, once it has fallen back.
std::optional<std::string> refused_temp_subfolder();
// An open stdio file, closed when it goes out of scope.
struct FileCloser {
    void operator()(std::FILE *file) const noexcept { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file with a stdio mode ("rb", "wb", "a", ...) without following a
// symbolic link at its name; created files get mode 0600.
std::FILE *open_file(const std::string &path, const char *mode);
bool create_directory(const std::string &path);
bool file_exists(const std::string &path);

// ---- Debugger output --------------------------------------------------------
// Quiet unless VNT_DEBUG_OUTPUT is set: "stderr" (or "1") sends it to standard
// error, any other value names a file to append to.
void debug_output(std::u16string_view text);

// ---- Message box ------------------------------------------------------------
// Modal, no owner, OK button only. Written to standard error here.
void message_box(std::u16string_view text);
int message_boxes_shown();

// ---- Windows ----------------------------------------------------------------
std::int64_t foreground_window();
// Makes child a child window of parent; false with an error code on failure.
bool set_parent(std::int64_t child, std::int64_t parent, int &errorCode);

// ---- Clipboard --------------------------------------------------------------
// Formats are numbers; contents are raw bytes, in-process here.
std::vector<std::uint32_t> clipboard_formats();
std::optional<std::vector<std::uint8_t>> clipboard_data(std::uint32_t format);
void clipboard_clear();
void clipboard_set(std::uint32_t format, std::span<const std::uint8_t> bytes);

// ---- Thread message queue ---------------------------------------------------
using ThreadId = std::uint64_t;
ThreadId current_thread();

struct Message {
    std::uint32_t id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};
inline constexpr std::uint32_t kQuitMessage = 0x0012;
inline constexpr std::uint32_t kWakeMessage = 0x0400; // a private message that only wakes

// Waits for the calling thread's next message: 1 for a message, 0 for a quit
// message, -1 on error.
int get_message(Message &message);
// Delivers a message to its handler (none here: the message is consumed).
void dispatch_message(const Message &message);
bool post_message(ThreadId thread, const Message &message);

// ---- Process ----------------------------------------------------------------
// The running program's file.
std::optional<std::string> executable_path();
// For a host program whose results must not mix with what plug-ins print:
// returns a stream on the original standard output and points standard
// output at standard error. Null on failure (standard output unchanged).
std::FILE *take_standard_output();

// ---- Time -------------------------------------------------------------------
// Local time in the asctime layout without its line end: "Wed Dec  2 08:10:18 2009".
std::string local_time_text();

} // namespace platform
