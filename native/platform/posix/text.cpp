// UTF-8 <-> UTF-16. Ill-formed input becomes U+FFFD, one replacement for each
// maximal ill-formed subpart, as Unicode recommends; nothing here fails.
#include "platform/platform.h"

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes one code point at text[pos], advancing pos past it (or past the
// maximal ill-formed subpart, which yields U+FFFD).
char32_t decode_utf8(std::string_view text, std::size_t &pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) return lead;

    int trailing = 0;
    char32_t value = 0;
    // The valid range of the second byte narrows for some leads: it rules out
    // overlong forms, surrogates and values above U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return kReplacement;
    }

    for (int i = 0; i < trailing; ++i) {
        if (pos >= text.size()) return kReplacement;
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (i == 0 ? (byte < low || byte > high) : !is_continuation(byte)) return kReplacement;
        value = (value << 6) | (byte & 0x3F);
        ++pos;
    }
    return value;
}

void append_utf8(std::string &out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::u16string widen(std::string_view narrow) {
    std::u16string out;
    out.reserve(narrow.size());
    std::size_t pos = 0;
    while (pos < narrow.size()) {
        const char32_t cp = decode_utf8(narrow, pos);
        if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string narrow(std::u16string_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() &&
            wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            append_utf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            append_utf8(out, kReplacement); // a lone surrogate
        } else {
            append_utf8(out, unit);
        }
    }
    return out;
}

} // namespace platform
