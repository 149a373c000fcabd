// Small helpers shared by the native tests: private folders, environment
// changes undone at scope end, whole-file reads and writes.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace testing_support {

namespace fs = std::filesystem;

// A fresh private folder, removed with everything in it at scope end.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "vnt-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path &path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::string operator/(const std::string &name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

// Sets (or, with nullopt, unsets) an environment variable for a scope.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::string &value) : ScopedEnv(name, value.c_str()) {}
    ScopedEnv(const char *name, std::nullopt_t) : ScopedEnv(name, static_cast<const char *>(nullptr)) {}
    // A null value unsets the variable.
    ScopedEnv(const char *name, const char *value) : name_(name) {
        if (const char *old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char *name_;
    std::optional<std::string> old_;
};

inline std::string read_all(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_all(const fs::path &path, const std::string &text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Permission bits of a file or folder (of a link itself, not its target).
inline mode_t mode_of(const fs::path &path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

inline std::size_t count(const std::string &text, const std::string &what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// A registry file whose documents folder is `personal`.
inline void write_registry(const fs::path &file, const std::string &personal) {
    std::string escaped;
    for (char c : personal)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    write_all(file, "REGEDIT4\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
                    "\"Personal\"=\"" + escaped + "\"\n");
}

} // namespace testing_support
