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

namespace fmhost {

namespace {

// SCSU in its initial state: ASCII and the Latin-1 range (dynamic window 0
// at U+0080) are single bytes, other control characters are quoted from
// static window 0, everything else is quoted as a UTF-16 unit. U+0080 is
// quoted too: its byte would mask to '/'. (A quoted unit with a 0x80 byte,
// such as U+0180, still reads back with '/' there: the format has no other
// way to write that byte.)
std::vector<std::uint8_t> scsu_compress(std::u16string_view text) {
    constexpr std::uint8_t kSq0 = 0x01, kSqu = 0x0E;
    std::vector<std::uint8_t> out;
    for (const char16_t c : text) {
        const bool plain = c == 0 || c == u'\t' || c == u'\n' || c == u'\r' || (c >= 0x20 && c <= 0xFF && c != 0x80);
        if (plain) {
            out.push_back(static_cast<std::uint8_t>(c));
        } else if (c < 0x20) {
            out.push_back(kSq0);
            out.push_back(static_cast<std::uint8_t>(c));
        } else {
            out.push_back(kSqu);
            out.push_back(static_cast<std::uint8_t>(c >> 8));
            out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        }
    }
    return out;
}

} // namespace

Stream file_name_stream(std::u16string_view name) {
    Stream stream{kFnamType, {0, 0, 0, 1, 4, 'f', 'i', 'l', 'e', 0}};
    stream.bytes.push_back(static_cast<std::uint8_t>(name.size() & 0xFF));
    for (std::uint8_t b : scsu_compress(name))
        stream.bytes.push_back(b == '/' ? b : static_cast<std::uint8_t>(b ^ kMask));
    return stream;
}

} // namespace fmhost
