#include "vm/archive.h"

#include "entry/process_state.h"
#include "log/log.h"
#include "platform/platform.h"

#include <cstdio>
#include <random>

namespace vm {
namespace {

constexpr std::size_t kBlock = 512;

// A name beside the archive that no other process writing the same archive
// picks at the same time.
std::string temporary_name(const std::string &path) {
    std::random_device random;
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
    return path + suffix;
}

// Copies from the library's current position to its end; false on any read
// or write failure.
bool copy_rest(std::FILE *from, std::FILE *to) {
    char block[kBlock];
    for (;;) {
        const std::size_t read = std::fread(block, 1, sizeof block, from);
        if (std::fwrite(block, 1, read, to) != read)
            return false;
        if (read < sizeof block)
            return !std::ferror(from);
    }
}

} // namespace

ArchiveState &archive_state() {
    static ArchiveState instance;
    return instance;
}

std::string archive_path_for(const std::string &moduleFileName, const std::string &tempFolder) {
    const auto slash = moduleFileName.rfind(platform::kPathSeparator);
    if (slash == std::string::npos)
        return {};
    std::string base = moduleFileName.substr(slash + 1);
    const auto dot = base.rfind('.');
    if (dot == std::string::npos)
        return {};
    base.replace(dot, std::string::npos, ".jar");
    return tempFolder + "/" + base;
}

bool write_attached_archive() {
    auto &state = archive_state();
    const std::uintptr_t instance = entry::state().instanceID;
    if (!instance)
        return false;
    const auto moduleName = platform::module_file_name(reinterpret_cast<platform::ModuleHandle>(instance));
    if (!moduleName || moduleName->size() > kMaxModuleFileName)
        return false;
    state.moduleFileName = *moduleName;

    const auto temp = platform::temp_folder();
    if (!temp) {
        vlog::log("writeAttachedJarFile: no private temp folder can be used\n");
        return false;
    }
    if (const auto refused = platform::refused_temp_subfolder())
        vlog::log("writeAttachedJarFile: %s is not a private folder of ours; using %s instead\n", *refused, *temp);
    const std::string path = archive_path_for(*moduleName, *temp);
    if (path.empty())
        return false;
    if (path.size() > kMaxArchivePath) {
        vlog::log("writeAttachedJarFile: archive path too long: %s\n", path);
        return false;
    }
    state.archivePath = path;
    vlog::log("writeAttachedJarFile(): writing jar %s\n", path);

    platform::UniqueFile module(platform::open_file(*moduleName, "rb"));
    if (!module) {
        vlog::log("writeAttachedJarFile: failed to open %s\n", *moduleName);
        return false;
    }
    // The copy is written beside the archive and renamed over it, so that a
    // VM reading an earlier copy never sees a half-written file.
    const std::string temporary = temporary_name(path);
    platform::UniqueFile archive(platform::open_file(temporary, "wb"));
    if (!archive) {
        vlog::log("writeAttachedJarFile: failed to open %s\n", path);
        return false;
    }
    const auto start = platform::library_image_end(module.get());
    if (!start || std::fseek(module.get(), static_cast<long>(*start), SEEK_SET) != 0) {
        vlog::log("writeAttachedJarFile: fseek failed\n");
        std::remove(temporary.c_str());
        return false;
    }
    const bool copied = copy_rest(module.get(), archive.get());
    const bool closed = std::fclose(archive.release()) == 0;
    if (!copied || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        vlog::log("writeAttachedJarFile: failed to write %s\n", path);
        std::remove(temporary.c_str());
        return false;
    }
    state.written = true;
    return true;
}

} // namespace vm
