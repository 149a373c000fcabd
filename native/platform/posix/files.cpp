// Files and folders. Everything the plug-in writes lands in the temp folder,
// which on a shared /tmp means a private subfolder that other users cannot
// enter or replace; files are opened without following a link at their name.
#include "platform/platform.h"

#include <cerrno>
#include <mutex>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr mode_t kGroupOtherBits = S_IRWXG | S_IRWXO;

std::string base_temp_folder() {
    for (const char *name : {"TEMP", "TMPDIR"})
        if (auto value = get_env(name); value && !value->empty()) return *value;
    return "/tmp";
}

// A fresh private folder in a shared one, made once per process when the
// user's own subfolder cannot be used.
struct Fallback {
    std::mutex mutex;
    std::optional<std::string> folder;
    std::optional<std::string> refused;
};

Fallback &fallback() {
    static auto *instance = new Fallback;
    return *instance;
}

// Whether a folder is ours alone: a real directory owned by us with no
// access for anyone else.
bool is_private_folder(const std::string &path, uid_t uid) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid &&
           (st.st_mode & kGroupOtherBits) == 0;
}

std::optional<std::string> fallback_folder(const std::string &base, const std::string &refused, uid_t uid) {
    auto &state = fallback();
    const std::lock_guard lock(state.mutex);
    if (state.folder && state.refused == refused && is_private_folder(*state.folder, uid))
        return state.folder;
    std::string pattern = (base == "/" ? "" : base) + "/vantorel-" + std::to_string(uid) + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        return std::nullopt;
    state.folder = pattern;
    state.refused = refused;
    return state.folder;
}

} // namespace

std::optional<std::string> temp_folder() {
    std::string base = base_temp_folder();
    while (base.size() > 1 && base.back() == '/') base.pop_back();

    struct stat st {};
    if (::stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    const uid_t uid = ::geteuid();
    if (st.st_uid == uid && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0) return base;

    // Shared: without the sticky bit others could rename our folder away
    // between the check and the use, so such a folder is refused.
    if ((st.st_mode & S_ISVTX) == 0) return std::nullopt;

    // Use (and first make) a folder of our own inside it. Whatever is at
    // that name must be our directory with no access for anyone else; a
    // link, another's folder or loose permissions are refused, never
    // repaired. Another user can take the name first, so a refused name
    // falls back to a fresh folder that mkdtemp makes ours.
    const std::string own = (base == "/" ? "" : base) + "/vantorel-" + std::to_string(uid);
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
    if (is_private_folder(own, uid)) return own;
    return fallback_folder(base, own, uid);
}

std::optional<std::string> refused_temp_subfolder() {
    auto &state = fallback();
    const std::lock_guard lock(state.mutex);
    return state.refused;
}

std::FILE *open_file(const std::string &path, const char *mode) {
    if (mode == nullptr || path.find('\0') != std::string::npos) {
        errno = EINVAL;
        return nullptr;
    }
    int flags = 0;
    switch (mode[0]) {
    case 'r': flags = O_RDONLY; break;
    case 'w': flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    case 'a': flags = O_WRONLY | O_CREAT | O_APPEND; break;
    default: errno = EINVAL; return nullptr;
    }
    for (const char *c = mode + 1; *c != '\0'; ++c) {
        if (*c == '+')
            flags = (flags & ~(O_WRONLY | O_RDONLY)) | O_RDWR;
        else if (*c == 'x' && mode[0] == 'w')
            flags |= O_EXCL;
        else if (*c != 'b') {
            errno = EINVAL;
            return nullptr;
        }
    }

    const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    const bool update = (flags & O_RDWR) != 0;
    const char *streamMode = mode[0] == 'r' ? (update ? "r+" : "r")
                           : mode[0] == 'w' ? (update ? "w+" : "w")
                                            : (update ? "a+" : "a");
    std::FILE *file = ::fdopen(fd, streamMode);
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

bool create_directory(const std::string &path) { return ::mkdir(path.c_str(), 0700) == 0; }

bool file_exists(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace platform
