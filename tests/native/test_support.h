// Small helpers shared by the native tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <unistd.h>

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

private:
    fs::path path_;
};

// Sets (or, with nullopt, unsets) an environment variable for a scope.
class ScopedEnv {
public:
    ScopedEnv(const char *name, std::optional<std::string> value) : name_(name) {
        if (const char *old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
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
    std::ofstream(path, std::ios::binary) << text;
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
