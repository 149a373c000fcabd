#include "vm/manifest.h"

#include "platform/platform.h"

#include <cstdio>
#include <memory>
#include <unzip.h>

namespace vm {
namespace {

struct ZipCloser {
    void operator()(void *zip) const noexcept { unzClose(zip); }
};
using UniqueZip = std::unique_ptr<void, ZipCloser>;

// The open entry of a zip, closed when it goes out of scope.
class OpenEntry {
public:
    explicit OpenEntry(unzFile zip) : zip_(zip), open_(unzOpenCurrentFile(zip) == UNZ_OK) {}
    OpenEntry(const OpenEntry &) = delete;
    OpenEntry &operator=(const OpenEntry &) = delete;
    ~OpenEntry() {
        if (open_)
            unzCloseCurrentFile(zip_);
    }
    explicit operator bool() const { return open_; }

private:
    unzFile zip_;
    bool open_;
};

constexpr int kIgnoreCase = 2;

// One entry being read: key, then value after the first ':'.
struct Entry {
    std::u16string key;
    std::u16string value;
    bool inValue = false;

    void add(char16_t unit) {
        std::u16string &part = inValue ? value : key;
        if (unit == u' ' && part.empty())
            return;
        if (part.size() < (inValue ? kMaxValueUnits : kMaxKeyUnits))
            part += unit;
    }
    bool empty() const { return key.empty() && !inValue; }
};

void deliver(const Entry &entry, ManifestTexts &texts, const std::function<void(const std::string &)> &unknownKey) {
    if (entry.empty())
        return;
    if (entry.key == u"plugin-name")
        texts.name = entry.value;
    else if (entry.key == u"plugin-options")
        texts.options = entry.value;
    else if (entry.key == u"plugin-help")
        texts.help = entry.value;
    else if (entry.key == u"plugin-version")
        texts.version = entry.value;
    else if (entry.key != u"Manifest-Version" && entry.key != u"pluginClassName")
        unknownKey(platform::narrow(entry.key));
}

} // namespace

std::string read_manifest_text(const std::string &archivePath) {
    UniqueZip zip(unzOpen(archivePath.c_str()));
    if (!zip || unzLocateFile(zip.get(), "META-INF/MANIFEST.MF", kIgnoreCase) != UNZ_OK)
        return {};
    unz_file_info info{};
    if (unzGetCurrentFileInfo(zip.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return {};
    OpenEntry entry(zip.get());
    if (!entry)
        return {};
    std::string text(kManifestBytes, '\0');
    const int read = unzReadCurrentFile(zip.get(), text.data(), static_cast<unsigned>(text.size()));
    if (read < 0)
        return {};
    text.resize(static_cast<std::size_t>(read));
    return text;
}

ManifestTexts parse_manifest(std::string_view text, const std::function<void(const std::string &)> &unknownKey) {
    ManifestTexts texts;
    Entry entry;
    bool atLineStart = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Every byte is one UTF-16 unit of the same value.
        const char16_t unit = static_cast<unsigned char>(text[i]);
        if (unit == u'\r' || unit == u'\n') {
            atLineStart = true;
            continue;
        }
        if (atLineStart) {
            atLineStart = false;
            if (unit == u' ')
                continue; // a continuation line: its blank is dropped
            deliver(entry, texts, unknownKey);
            entry = Entry{};
        }
        if (unit == u':' && !entry.inValue)
            entry.inValue = true;
        else
            entry.add(unit);
    }
    deliver(entry, texts, unknownKey);
    return texts;
}

ManifestTexts read_manifest(const std::string &archivePath) {
    return parse_manifest(read_manifest_text(archivePath),
                          [](const std::string &key) { std::printf("Unrecognized manifest key: %s\n", key.c_str()); });
}

} // namespace vm
