// Registry keys over the stand-in registry: the export file named by
// VNT_REGISTRY, or the built-in description of this machine. The source is
// read again at every call, so a changed variable or file takes effect at once.
#include "platform/platform.h"
#include "platform/posix/registry_default.h"
#include "platform/posix/registry_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace registry {
namespace {

constexpr std::size_t kMaxRegistryFileSize = 16u << 20;

constexpr std::u16string_view kJavaKey =
    u"HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment";

bool is_directory(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_file(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> real_path(const std::string &path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved) return std::nullopt;
    return std::string(resolved.get());
}

// The folder name the JDK uses for this machine's libraries in old layouts.
constexpr const char *kArchFolder =
#if defined(__x86_64__)
    "amd64";
#elif defined(__i386__)
    "i386";
#elif defined(__aarch64__)
    "aarch64";
#elif defined(__arm__)
    "arm";
#elif defined(__powerpc64__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    "ppc64le";
#elif defined(__s390x__)
    "s390x";
#elif defined(__riscv) && __riscv_xlen == 64
    "riscv64";
#else
    "";
#endif

std::string find_runtime_lib(const std::string &home) {
    std::vector<std::string> candidates{home + "/lib/server/libjvm.so"};
    if (*kArchFolder) {
        candidates.push_back(home + "/lib/" + kArchFolder + "/server/libjvm.so");
        candidates.push_back(home + "/jre/lib/" + kArchFolder + "/server/libjvm.so");
    }
    for (const auto &candidate : candidates)
        if (is_file(candidate)) return candidate;
    return {};
}

// JAVA_VERSION from the home's release file (KEY="value" lines).
// The numbers of a version, "1.x" read as x, for ordering runtimes.
std::vector<unsigned long> version_numbers(std::string_view version) {
    std::vector<unsigned long> numbers;
    unsigned long current = 0;
    bool inNumber = false;
    for (const char c : version) {
        if (c >= '0' && c <= '9') {
            current = std::min(current * 10 + static_cast<unsigned long>(c - '0'), 1000000ul);
            inNumber = true;
        } else if (inNumber) {
            numbers.push_back(current);
            current = 0;
            inNumber = false;
        }
    }
    if (inNumber) numbers.push_back(current);
    if (numbers.size() > 1 && numbers.front() == 1) numbers.erase(numbers.begin());
    return numbers;
}

std::string trim_trailing_slashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::optional<std::string> home_folder() {
    if (auto home = get_env("HOME"); home && !home->empty()) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd *found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && *found->pw_dir)
        return std::string(found->pw_dir);
    return std::nullopt;
}

std::optional<std::string> personal_folder() {
    if (auto documents = get_env("XDG_DOCUMENTS_DIR"); documents && !documents->empty())
        return documents;
    auto home = home_folder();
    if (!home) return std::nullopt;
    const std::string documents = trim_trailing_slashes(*home) + "/Documents";
    return is_directory(documents) ? documents : *home;
}

// The registry named by VNT_REGISTRY, or the built-in one. Problems with the
// file go to the debugger output.
Registry current_registry() {
    const auto file = get_env("VNT_REGISTRY");
    if (!file || file->empty()) return default_registry();

    auto report = [&](const std::string &message) {
        debug_output(widen("registry file " + *file + ": " + message + "\n"));
    };
    std::ifstream in(*file, std::ios::binary);
    if (!in) {
        report(std::string("cannot be read: ") + std::strerror(errno));
        return {};
    }
    std::string bytes;
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxRegistryFileSize) {
            report("larger than " + std::to_string(kMaxRegistryFileSize) + " bytes; ignored");
            return {};
        }
    }
    if (in.bad()) {
        report("read failed");
        return {};
    }
    auto parsed = parse_registry(bytes);
    for (const auto &issue : parsed.issues)
        report("line " + std::to_string(issue.line) + ": " + issue.message);
    return std::move(parsed.registry);
}

// "Software\X" under a hive -> "HKEY_...\Software\X"; a trailing backslash is
// allowed; a leading one or an empty name inside is not.
std::optional<std::u16string> full_path(std::u16string_view base, std::u16string_view path) {
    if (path.ends_with(u'\\')) path.remove_suffix(1);
    if (path.empty()) return std::u16string(base);
    if (path.starts_with(u'\\') || path.find(u"\\\\") != std::u16string_view::npos)
        return std::nullopt;
    std::u16string full(base);
    full += u'\\';
    full += path;
    return full;
}

} // namespace

std::string version_key(std::string_view javaVersion) {
    const auto first = javaVersion.find_first_of("._-+");
    const auto major = javaVersion.substr(0, first);
    if (major == "1" && first != std::string_view::npos && javaVersion[first] == '.') {
        const auto second = javaVersion.find_first_of("._-+", first + 1);
        return std::string(javaVersion.substr(0, second));
    }
    return std::string(major);
}

std::optional<JavaRuntime> describe_java_home(const std::string &home) {
    if (!is_directory(home)) return std::nullopt;
    JavaRuntime runtime;
    runtime.home = trim_trailing_slashes(home);
    runtime.version = java_release_version(runtime.home);
    runtime.runtimeLib = find_runtime_lib(runtime.home);
    return runtime;
}

std::optional<JavaRuntime> find_system_java(const std::string &jvmRoot) {
    if (auto resolved = real_path(jvmRoot + "/default-java")) {
        auto runtime = describe_java_home(*resolved);
        if (runtime && !runtime->runtimeLib.empty()) return runtime;
    }

    std::optional<JavaRuntime> best;
    struct CloseDir {
        void operator()(DIR *dir) const { ::closedir(dir); }
    };
    std::unique_ptr<DIR, CloseDir> dir(::opendir(jvmRoot.c_str()));
    if (!dir) return std::nullopt;
    while (const dirent *entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const auto resolved = real_path(jvmRoot + "/" + name);
        if (!resolved) continue;
        auto runtime = describe_java_home(*resolved);
        if (!runtime || runtime->runtimeLib.empty()) continue;
        // Newest version first; equal versions by folder name, so that the
        // choice does not depend on the directory's order.
        if (!best || std::pair(version_numbers(runtime->version), runtime->home) >
                         std::pair(version_numbers(best->version), best->home))
            best = std::move(runtime);
    }
    return best;
}

Registry default_registry() {
    Registry registry;

    std::optional<JavaRuntime> java;
    if (auto javaHome = get_env("JAVA_HOME"); javaHome && !javaHome->empty())
        java = describe_java_home(*javaHome);
    else
        java = find_system_java("/usr/lib/jvm");
    if (java) {
        registry.add_key(kJavaKey);
        if (!java->version.empty()) {
            const auto version = widen(version_key(java->version));
            registry.set_string(kJavaKey, u"CurrentVersion", version);
            const auto versionKey = std::u16string(kJavaKey) + u"\\" + version;
            registry.set_string(versionKey, u"JavaHome", widen(java->home));
            if (!java->runtimeLib.empty())
                registry.set_string(versionKey, u"RuntimeLib", widen(java->runtimeLib));
        }
    }

    registry.set_string(u"HKEY_LOCAL_MACHINE\\" + std::u16string(kShellFoldersKey), u"Common AppData",
                        u"/var/lib");
    const auto userFolders = u"HKEY_CURRENT_USER\\" + std::u16string(kShellFoldersKey);
    registry.add_key(userFolders);
    if (auto personal = personal_folder()) registry.set_string(userFolders, u"Personal", widen(*personal));
    return registry;
}

} // namespace registry

RegistryKey::~RegistryKey() = default;

std::optional<RegistryKey> RegistryKey::open(Hive hive, std::u16string_view path) {
    const std::u16string_view base =
        hive == Hive::LocalMachine ? u"HKEY_LOCAL_MACHINE" : u"HKEY_CURRENT_USER";
    auto full = registry::full_path(base, path);
    if (!full) return std::nullopt;
    // The hive itself always exists.
    if (*full != base && !registry::current_registry().has_key(*full)) return std::nullopt;
    return RegistryKey(std::move(*full));
}

std::optional<RegistryKey> RegistryKey::open_subkey(std::u16string_view name) const {
    auto full = registry::full_path(path_, name);
    if (!full) return std::nullopt;
    const bool isHive = full->find(u'\\') == std::u16string::npos;
    if (!isHive && !registry::current_registry().has_key(*full)) return std::nullopt;
    return RegistryKey(std::move(*full));
}

std::optional<std::u16string> RegistryKey::read_string(std::u16string_view name) const {
    return registry::current_registry().string_value(path_, name);
}

std::string java_release_version(const std::string &home) {
    std::ifstream release(home + "/release");
    std::string line;
    while (std::getline(release, line)) {
        if (!line.starts_with("JAVA_VERSION=")) continue;
        std::string value = line.substr(std::strlen("JAVA_VERSION="));
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return {};
}

} // namespace platform
