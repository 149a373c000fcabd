// Packaging tool.
//
//   vnt-archive jar OUT.jar MANIFEST.MF [CLASSES.jar...]
//       Writes the plug-in archive: the manifest exactly as given, then every
//       entry of each CLASSES.jar but its own manifest, copied unchanged (an
//       entry that an earlier jar had already, such as a shared folder, once).
//   vnt-archive append IMAGE.so ARCHIVE.jar OUT
//       Writes the plug-in file: the library image with the archive appended
//       right where the image ends.
#include "platform/platform.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unzip.h>
#include <vector>
#include <zip.h>

namespace {

namespace fs = std::filesystem;

struct ZipWriterCloser {
    void operator()(void *zip) const noexcept { zipClose(zip, nullptr); }
};
struct ZipReaderCloser {
    void operator()(void *zip) const noexcept { unzClose(zip); }
};
using ZipWriter = std::unique_ptr<void, ZipWriterCloser>;
using ZipReader = std::unique_ptr<void, ZipReaderCloser>;

bool fail(const std::string &message) {
    std::fprintf(stderr, "vnt-archive: %s\n", message.c_str());
    return false;
}

std::optional<std::vector<char>> read_file(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// Every entry carries the same date, the zip epoch, so that builds are
// reproducible.
zip_fileinfo entry_info() {
    zip_fileinfo info{};
    info.tmz_date.tm_mday = 1;
    info.tmz_date.tm_year = 1980;
    return info;
}

bool add_manifest(zipFile zip, const fs::path &manifest) {
    const auto text = read_file(manifest);
    if (!text)
        return fail("cannot read " + manifest.string());
    const zip_fileinfo info = entry_info();
    if (zipOpenNewFileInZip(zip, "META-INF/MANIFEST.MF", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                            Z_BEST_COMPRESSION) != ZIP_OK ||
        zipWriteInFileInZip(zip, text->data(), static_cast<unsigned>(text->size())) != ZIP_OK ||
        zipCloseFileInZip(zip) != ZIP_OK)
        return fail("cannot write the manifest");
    return true;
}

// Copies every entry of a compiled-classes jar but its manifest, compressed
// data unchanged, and but the entries already written.
bool add_classes(zipFile zip, const fs::path &classes, std::set<std::string> &written) {
    ZipReader reader(unzOpen(classes.c_str()));
    if (!reader)
        return fail("cannot open " + classes.string());
    for (int status = unzGoToFirstFile(reader.get()); status == UNZ_OK; status = unzGoToNextFile(reader.get())) {
        char name[1024];
        unz_file_info info{};
        if (unzGetCurrentFileInfo(reader.get(), &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            return fail("cannot read an entry of " + classes.string());
        const std::string_view entry(name);
        if (entry == "META-INF/" || entry == "META-INF/MANIFEST.MF" || !written.insert(std::string(entry)).second)
            continue;
        int method = 0;
        int level = 0;
        if (unzOpenCurrentFile2(reader.get(), &method, &level, 1) != UNZ_OK)
            return fail("cannot open entry " + std::string(entry));
        std::vector<char> data(info.compressed_size);
        const int read = data.empty() ? 0 : unzReadCurrentFile(reader.get(), data.data(), static_cast<unsigned>(data.size()));
        unzCloseCurrentFile(reader.get());
        if (read != static_cast<int>(data.size()))
            return fail("cannot read entry " + std::string(entry));
        const zip_fileinfo out = entry_info();
        if (zipOpenNewFileInZip2(zip, name, &out, nullptr, 0, nullptr, 0, nullptr, method, level, 1) != ZIP_OK ||
            (!data.empty() && zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())) != ZIP_OK) ||
            zipCloseFileInZipRaw(zip, info.uncompressed_size, info.crc) != ZIP_OK)
            return fail("cannot copy entry " + std::string(entry));
    }
    return true;
}

bool make_jar(const fs::path &out, const fs::path &manifest, const std::vector<fs::path> &classes) {
    ZipWriter zip(zipOpen(out.c_str(), APPEND_STATUS_CREATE));
    if (!zip)
        return fail("cannot create " + out.string());
    if (!add_manifest(zip.get(), manifest))
        return false;
    std::set<std::string> written;
    for (const fs::path &jar : classes)
        if (!add_classes(zip.get(), jar, written))
            return false;
    if (zipClose(zip.release(), nullptr) != ZIP_OK)
        return fail("cannot finish " + out.string());
    return true;
}

bool append(const fs::path &image, const fs::path &archive, const fs::path &out) {
    const auto imageBytes = read_file(image);
    const auto archiveBytes = read_file(archive);
    if (!imageBytes || !archiveBytes)
        return fail("cannot read " + (imageBytes ? archive : image).string());
    platform::UniqueFile file(platform::open_file(image.string(), "rb"));
    const auto end = file ? platform::library_image_end(file.get()) : std::nullopt;
    if (!end)
        return fail(image.string() + " is not a library");
    if (*end != imageBytes->size())
        return fail(image.string() + " has data after its library image");
    {
        std::error_code ignored;
        fs::create_directories(out.parent_path(), ignored);
        std::ofstream outFile(out, std::ios::binary | std::ios::trunc);
        outFile.write(imageBytes->data(), static_cast<std::streamsize>(imageBytes->size()));
        outFile.write(archiveBytes->data(), static_cast<std::streamsize>(archiveBytes->size()));
        if (!outFile.flush())
            return fail("cannot write " + out.string());
    }
    fs::permissions(out, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
    return true;
}

} // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    bool ok = false;
    if (args.size() >= 3 && args[0] == "jar") {
        ok = make_jar(args[1], args[2], std::vector<fs::path>(args.begin() + 3, args.end()));
    } else if (args.size() == 4 && args[0] == "append") {
        ok = append(args[1], args[2], args[3]);
    } else {
        std::fprintf(stderr, "usage: vnt-archive jar OUT.jar MANIFEST.MF [CLASSES.jar...]\n"
                             "       vnt-archive append IMAGE ARCHIVE OUT\n");
        return 2;
    }
    return ok ? 0 : 1;
}
