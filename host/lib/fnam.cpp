// The file name stored in a container's FNAM stream.
//
// Layout: 00 00 00 01, the protocol's length L and its L characters, the
// folder's length in characters and the folder, the name's length in
// characters and the name. Folder and name are SCSU bytes in which every
// byte but '/' is XOR-ed with kMask. A folder ends with '/', so the name's
// length byte follows the folder length byte directly (empty folder) or the
// last '/'; of those places the one whose length byte matches the name read
// after it is taken.
#include "lib/scsu.h"
#include "lib/values.h"

namespace fmhost {

namespace {

constexpr std::uint32_t kFnamType = 0x464E414D; // "FNAM"
// The mask maps every byte but '/' to another; '/' XOR kMask is 0x80, so an
// unmasked 0x80 reads as '/'.
constexpr std::uint8_t kMask = 0xAF;

std::optional<std::u16string> name_after(const std::vector<std::uint8_t> &bytes, std::size_t lengthAt) {
    if (lengthAt >= bytes.size())
        return std::nullopt;
    std::vector<std::uint8_t> name(bytes.begin() + static_cast<std::ptrdiff_t>(lengthAt) + 1, bytes.end());
    for (std::uint8_t &b : name)
        if (b != '/')
            b ^= kMask;
    auto text = scsu_expand(name);
    if (!text || text->empty() || (text->size() & 0xFF) != bytes[lengthAt])
        return std::nullopt;
    return text;
}

} // namespace

std::optional<std::u16string> container_file_name(const Streams &streams) {
    const Stream *fnam = nullptr;
    for (const Stream &stream : streams)
        if (stream.type == kFnamType)
            fnam = &stream;
    if (!fnam)
        return std::nullopt;
    const std::vector<std::uint8_t> &bytes = fnam->bytes;
    if (bytes.size() < 5)
        return std::nullopt;
    const std::size_t folderLengthAt = 5 + std::size_t{bytes[4]};
    if (folderLengthAt >= bytes.size())
        return std::nullopt;
    if (bytes[folderLengthAt] == 0)
        return name_after(bytes, folderLengthAt + 1);
    for (std::size_t i = bytes.size(); i-- > folderLengthAt + 1;)
        if (bytes[i] == '/')
            if (auto name = name_after(bytes, i + 1))
                return name;
    return std::nullopt;
}

} // namespace fmhost
