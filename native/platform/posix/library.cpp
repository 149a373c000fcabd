// Libraries through the dynamic loader. A module handle is what dlopen
// returns; the loader counts repeated loads of the same library.
#include "platform/platform.h"

#include <cstdlib>
#include <dlfcn.h>
#include <link.h>
#include <memory>
#include <unistd.h>

namespace platform {
namespace {

thread_local std::string lastError;

void record_error(const char *fallback) {
    const char *text = ::dlerror();
    lastError = text != nullptr ? text : fallback;
}

std::optional<std::string> program_file() {
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return std::nullopt;
    path.resize(static_cast<std::size_t>(length));
    return path;
}

} // namespace

ModuleHandle load_library(const std::string &path) {
    // An empty name would give the main program, which no caller means.
    if (path.empty() || path.find('\0') != std::string::npos) {
        lastError = "invalid library path";
        return nullptr;
    }
    ::dlerror();
    ModuleHandle handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        record_error("cannot load library");
    else
        lastError.clear();
    return handle;
}

std::string last_load_error() { return lastError; }

void *find_symbol(ModuleHandle module, const char *name) {
    if (module == nullptr || name == nullptr) {
        lastError = "invalid module or symbol name";
        return nullptr;
    }
    ::dlerror();
    void *symbol = ::dlsym(module, name);
    if (symbol == nullptr) record_error("symbol not found");
    return symbol;
}

std::optional<std::string> module_file_name(ModuleHandle module) {
    if (module == nullptr) return program_file();
    link_map *map = nullptr;
    if (::dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return std::nullopt;
    const std::string name = map->l_name != nullptr ? map->l_name : "";
    if (name.empty()) return program_file();
    if (name.front() == '/') return name;
    return long_path(name);
}

ModuleHandle module_of(const void *address) {
    Dl_info info{};
    link_map *map = nullptr;
    if (address == nullptr ||
        ::dladdr1(address, &info, reinterpret_cast<void **>(&map), RTLD_DL_LINKMAP) == 0 ||
        map == nullptr)
        return nullptr;
    if (map->l_name == nullptr || *map->l_name == '\0') return ::dlopen(nullptr, RTLD_NOW);
    // RTLD_NOLOAD finds the loaded library without loading anything; the
    // count it adds is given back at once, as the library stays loaded
    // while code inside it runs.
    ModuleHandle handle = ::dlopen(map->l_name, RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) ::dlclose(handle);
    return handle;
}

std::optional<std::string> long_path(const std::string &path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved) return std::nullopt;
    return std::string(resolved.get());
}

} // namespace platform
