// Where the ELF image in a library file ends: the furthest byte that the
// headers account for. Anything after it was appended to the file.
#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <sys/types.h>

namespace platform {
namespace {

constexpr std::uint32_t kSectionNoBits = 8; // SHT_NOBITS: occupies no file space
constexpr std::uint16_t kExtendedProgramCount = 0xFFFF; // PN_XNUM

// Reads little-endian fields out of a header's bytes.
struct Fields {
    const std::uint8_t *bytes;
    std::uint64_t get(std::size_t offset, std::size_t size) const {
        std::uint64_t value = 0;
        for (std::size_t i = size; i-- > 0;) value = (value << 8) | bytes[offset + i];
        return value;
    }
};

// Field offsets and sizes that differ between the 32- and 64-bit formats.
struct Layout {
    std::size_t headerSize, wordSize;
    std::size_t phoff, shoff, phentsize, phnum, shentsize, shnum;
    std::size_t sectionSize, sh_type, sh_offset, sh_size, sh_info;
    std::size_t programSize, p_offset, p_filesz;
};
constexpr Layout kElf32{52, 4, 28, 32, 42, 44, 46, 48, 40, 4, 16, 20, 28, 32, 4, 16};
constexpr Layout kElf64{64, 8, 32, 40, 54, 56, 58, 60, 64, 4, 24, 32, 44, 56, 8, 32};

// Restores a stream's position when the reader is done with it.
class PositionGuard {
public:
    explicit PositionGuard(std::FILE *file) : file_(file), position_(::ftello(file)) {}
    ~PositionGuard() {
        if (position_ >= 0) ::fseeko(file_, position_, SEEK_SET);
    }
    PositionGuard(const PositionGuard &) = delete;
    PositionGuard &operator=(const PositionGuard &) = delete;
    bool valid() const { return position_ >= 0; }

private:
    std::FILE *file_;
    off_t position_;
};

class Reader {
public:
    Reader(std::FILE *file, std::uint64_t size) : file_(file), size_(size) {}

    // Reads count bytes at offset; false when they are not all in the file.
    bool read(std::uint64_t offset, std::uint8_t *out, std::size_t count) {
        if (offset > size_ || count > size_ - offset) return false;
        return ::fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0 &&
               std::fread(out, 1, count, file_) == count;
    }
    std::uint64_t size() const { return size_; }

private:
    std::FILE *file_;
    std::uint64_t size_;
};

// end = max(end, offset + length), refusing ranges past the file's end.
bool extend(std::uint64_t &end, std::uint64_t offset, std::uint64_t length, std::uint64_t fileSize) {
    if (offset > fileSize || length > fileSize - offset) return false;
    end = std::max(end, offset + length);
    return true;
}

std::optional<std::uint64_t> image_end(Reader &reader) {
    std::array<std::uint8_t, 64> header{};
    if (!reader.read(0, header.data(), 16)) return std::nullopt;
    if (header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F')
        return std::nullopt;
    if (header[5] != 1 /* ELFDATA2LSB */) return std::nullopt;
    const Layout *layout = header[4] == 1 ? &kElf32 : header[4] == 2 ? &kElf64 : nullptr;
    if (layout == nullptr || !reader.read(0, header.data(), layout->headerSize)) return std::nullopt;

    const Fields ehdr{header.data()};
    const std::size_t word = layout->wordSize;
    const std::uint64_t phoff = ehdr.get(layout->phoff, word);
    const std::uint64_t shoff = ehdr.get(layout->shoff, word);
    const std::uint64_t phentsize = ehdr.get(layout->phentsize, 2);
    std::uint64_t phnum = ehdr.get(layout->phnum, 2);
    const std::uint64_t shentsize = ehdr.get(layout->shentsize, 2);
    std::uint64_t shnum = ehdr.get(layout->shnum, 2);

    std::uint64_t end = layout->headerSize;
    const std::uint64_t fileSize = reader.size();
    std::array<std::uint8_t, 64> entry{};

    if (shoff != 0) {
        if (shentsize < layout->sectionSize) return std::nullopt;
        // With many sections or program headers, the counts live in section 0.
        if (shnum == 0 || phnum == kExtendedProgramCount) {
            if (!reader.read(shoff, entry.data(), layout->sectionSize)) return std::nullopt;
            const Fields first{entry.data()};
            if (shnum == 0) shnum = first.get(layout->sh_size, word);
            if (phnum == kExtendedProgramCount) phnum = first.get(layout->sh_info, 4);
        }
        if (shnum > fileSize / shentsize || !extend(end, shoff, shnum * shentsize, fileSize))
            return std::nullopt;
        for (std::uint64_t i = 0; i < shnum; ++i) {
            if (!reader.read(shoff + i * shentsize, entry.data(), layout->sectionSize))
                return std::nullopt;
            const Fields section{entry.data()};
            const std::uint64_t size = section.get(layout->sh_size, word);
            if (section.get(layout->sh_type, 4) == kSectionNoBits || size == 0) continue;
            if (!extend(end, section.get(layout->sh_offset, word), size, fileSize)) return std::nullopt;
        }
    }

    if (phoff != 0 && phnum != 0) {
        if (phentsize < layout->programSize || phnum > fileSize / phentsize ||
            !extend(end, phoff, phnum * phentsize, fileSize))
            return std::nullopt;
        for (std::uint64_t i = 0; i < phnum; ++i) {
            if (!reader.read(phoff + i * phentsize, entry.data(), layout->programSize))
                return std::nullopt;
            const Fields program{entry.data()};
            const std::uint64_t size = program.get(layout->p_filesz, word);
            if (size == 0) continue;
            if (!extend(end, program.get(layout->p_offset, word), size, fileSize)) return std::nullopt;
        }
    }
    return end;
}

} // namespace

// The stream's position is the same afterwards as before.
std::optional<std::uint64_t> library_image_end(std::FILE *file) {
    if (file == nullptr) return std::nullopt;
    PositionGuard guard(file);
    if (!guard.valid() || ::fseeko(file, 0, SEEK_END) != 0) return std::nullopt;
    const off_t size = ::ftello(file);
    if (size < 0) return std::nullopt;
    Reader reader(file, static_cast<std::uint64_t>(size));
    return image_end(reader);
}

} // namespace platform
