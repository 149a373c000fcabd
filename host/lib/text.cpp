// FM_Text_: UTF-16 texts with character styles. Positions and sizes past the
// end are cut at the end; FMX_SIZE_END means up to the end.
#include "lib/guard.h"
#include "lib/objects.h"

#include <algorithm>
#include <cstring>

using namespace fmhost;
using namespace fmhost::detail;

namespace {

// Texts stay below FMX_SIZE_END units so that every size fits a uint32.
constexpr std::size_t kMaxSize = FMX_SIZE_END - 1;

std::u16string units(const FMX_Unichar *unicode, std::size_t length) {
    std::u16string text(length, u'\0');
    if (length)
        std::memcpy(text.data(), unicode, length * sizeof(FMX_Unichar));
    return text;
}

} // namespace

extern "C" {

FMX_Text *FM_Text_Constructor1(FMX_Error *err) {
    return guarded<FMX_Text *>(__func__, err, nullptr, [] { return construct<FMX_Text>(); });
}

void FM_Text_Delete(FMX_Text *text, FMX_Error *err) {
    guarded(__func__, err, [&] { destroy(text); });
}

uint32_t FM_Text_GetSize(const FMX_Text *text, FMX_Error *err) {
    return guarded<uint32_t>(__func__, err, 0, [&] { return static_cast<uint32_t>(readable(text).text.size()); });
}

void FM_Text_GetUnicode(const FMX_Text *text, FMX_Unichar *buffer, uint32_t position, uint32_t size,
                        FMX_Error *err) {
    guarded(__func__, err, [&] {
        const std::u16string &chars = readable(text).text.chars();
        if (position >= chars.size() || size == 0)
            return;
        const std::size_t count = std::min<std::size_t>(size, chars.size() - position);
        if (!buffer)
            fail();
        std::memcpy(buffer, chars.data() + position, count * sizeof(FMX_Unichar));
    });
}

void FM_Text_AssignUnicode(FMX_Text *text, const FMX_Unichar *unicode, FMX_Error *err) {
    guarded(__func__, err, [&] {
        FMX_Text &t = writable(text);
        if (!unicode)
            fail();
        std::size_t length = 0;
        while (unicode[length] != 0)
            ++length;
        if (length > kMaxSize)
            fail();
        t.text.assign(units(unicode, length));
    });
}

void FM_Text_AssignUnicodeWithLength(FMX_Text *text, const FMX_Unichar *unicode, uint32_t length,
                                     FMX_Error *err) {
    guarded(__func__, err, [&] {
        FMX_Text &t = writable(text);
        if ((!unicode && length != 0) || length > kMaxSize)
            fail();
        t.text.assign(units(unicode, length));
    });
}

void FM_Text_AppendText(FMX_Text *text, const FMX_Text *other, uint32_t position, uint32_t size, FMX_Error *err) {
    guarded(__func__, err, [&] {
        FMX_Text &t = writable(text);
        const FMX_Text &o = readable(other);
        const std::size_t available = position < o.text.size() ? o.text.size() - position : 0;
        if (t.text.size() + std::min<std::size_t>(size, available) > kMaxSize)
            fail();
        t.text.append(o.text, position, size);
    });
}

void FM_Text_SetStyle(FMX_Text *text, const FMX_CharacterStyle *style, uint32_t position, uint32_t size,
                      FMX_Error *err) {
    guarded(__func__, err, [&] {
        FMX_Text &t = writable(text);
        t.text.set_style(readable(style).style, position, size);
    });
}

void FM_Text_GetStyle(const FMX_Text *text, FMX_CharacterStyle *style, uint32_t position, FMX_Error *err) {
    guarded(__func__, err, [&] {
        const FMX_Text &t = readable(text);
        writable(style).style = t.text.style_at(position);
    });
}

void FM_Text_GetDefaultStyle(const FMX_Text *text, FMX_CharacterStyle *style, FMX_Error *err) {
    guarded(__func__, err, [&] {
        const FMX_Text &t = readable(text);
        writable(style).style = t.text.default_style();
    });
}

} // extern "C"
