#include "lib/scsu.h"

#include <array>

namespace fmhost {

namespace {

constexpr std::array<char32_t, 8> kStaticWindows = {0x0000, 0x0080, 0x0100, 0x0300, 0x2000, 0x2080, 0x2100, 0x3000};
constexpr std::array<char32_t, 8> kInitialDynamicWindows = {0x0080, 0x00C0, 0x0400, 0x0600,
                                                             0x0900, 0x3040, 0x30A0, 0xFF00};

// Single-byte mode tags.
constexpr std::uint8_t SQ0 = 0x01, SDX = 0x0B, SQU = 0x0E, SCU = 0x0F, SC0 = 0x10, SD0 = 0x18;
// Unicode mode tags.
constexpr std::uint8_t UC0 = 0xE0, UD0 = 0xE8, UQU = 0xF0, UDX = 0xF1, UR = 0xF2;

// Offset of a dynamic window from its defining byte; nothing for reserved ones.
std::optional<char32_t> window_offset(std::uint8_t x) {
    if (x >= 0x01 && x <= 0x67)
        return char32_t{x} * 0x80;
    if (x >= 0x68 && x <= 0xA7)
        return char32_t{x} * 0x80 + 0xAC00;
    switch (x) {
    case 0xF9: return 0x00C0;
    case 0xFA: return 0x0250;
    case 0xFB: return 0x0370;
    case 0xFC: return 0x0530;
    case 0xFD: return 0x3040;
    case 0xFE: return 0x30A0;
    case 0xFF: return 0xFF60;
    default: return std::nullopt;
    }
}

void put(std::u16string &out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

} // namespace

std::optional<std::u16string> scsu_expand(std::span<const std::uint8_t> bytes) {
    std::array<char32_t, 8> windows = kInitialDynamicWindows;
    std::size_t active = 0;
    bool unicodeMode = false;
    std::u16string out;
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    auto has = [&](std::size_t count) { return i + count <= n; };

    while (i < n) {
        const std::uint8_t b = bytes[i++];
        if (unicodeMode) {
            if (b >= UC0 && b < UC0 + 8) {
                active = b - UC0;
                unicodeMode = false;
            } else if (b >= UD0 && b < UD0 + 8) {
                if (!has(1))
                    return std::nullopt;
                const auto offset = window_offset(bytes[i++]);
                if (!offset)
                    return std::nullopt;
                active = b - UD0;
                windows[active] = *offset;
                unicodeMode = false;
            } else if (b == UQU) {
                if (!has(2))
                    return std::nullopt;
                out.push_back(static_cast<char16_t>(bytes[i] << 8 | bytes[i + 1]));
                i += 2;
            } else if (b == UDX) {
                if (!has(2))
                    return std::nullopt;
                active = bytes[i] >> 5;
                windows[active] = 0x10000 + (char32_t{static_cast<std::uint8_t>(bytes[i] & 0x1F)} << 15 |
                                             char32_t{bytes[i + 1]} << 7);
                i += 2;
                unicodeMode = false;
            } else if (b == UR) {
                return std::nullopt;
            } else {
                if (!has(1))
                    return std::nullopt;
                out.push_back(static_cast<char16_t>(b << 8 | bytes[i++]));
            }
            continue;
        }

        if (b >= 0x80) {
            put(out, windows[active] + (b - 0x80));
        } else if (b == 0x00 || b == 0x09 || b == 0x0A || b == 0x0D || b >= 0x20) {
            out.push_back(b);
        } else if (b >= SQ0 && b < SQ0 + 8) {
            if (!has(1))
                return std::nullopt;
            const std::uint8_t c = bytes[i++];
            const std::size_t window = b - SQ0;
            put(out, c < 0x80 ? kStaticWindows[window] + c : windows[window] + (c - 0x80));
        } else if (b == SDX) {
            if (!has(2))
                return std::nullopt;
            active = bytes[i] >> 5;
            windows[active] =
                0x10000 + (char32_t{static_cast<std::uint8_t>(bytes[i] & 0x1F)} << 15 | char32_t{bytes[i + 1]} << 7);
            i += 2;
        } else if (b == SQU) {
            if (!has(2))
                return std::nullopt;
            out.push_back(static_cast<char16_t>(bytes[i] << 8 | bytes[i + 1]));
            i += 2;
        } else if (b == SCU) {
            unicodeMode = true;
        } else if (b >= SC0 && b < SC0 + 8) {
            active = b - SC0;
        } else if (b >= SD0 && b < SD0 + 8) {
            if (!has(1))
                return std::nullopt;
            const auto offset = window_offset(bytes[i++]);
            if (!offset)
                return std::nullopt;
            active = b - SD0;
            windows[active] = *offset;
        } else {
            return std::nullopt; // the reserved tag 0x0C
        }
    }
    return out;
}

} // namespace fmhost
