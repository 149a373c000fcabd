// FM_CharacterStyle_ and FM_Color_: character styles and their colours.
// A new style is plain, font 0, size 12, opaque black; a new colour is
// opaque black.
#include "lib/guard.h"
#include "lib/objects.h"

using namespace fmhost;
using namespace fmhost::detail;

extern "C" {

FMX_CharacterStyle *FM_CharacterStyle_Constructor1(FMX_Error *err) {
    return guarded<FMX_CharacterStyle *>(__func__, err, nullptr, [] { return construct<FMX_CharacterStyle>(); });
}

void FM_CharacterStyle_Delete(FMX_CharacterStyle *style, FMX_Error *err) {
    guarded(__func__, err, [&] { destroy(style); });
}

void FM_CharacterStyle_SetFace(FMX_CharacterStyle *style, uint16_t face, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(style).style.face = face; });
}

void FM_CharacterStyle_SetFont(FMX_CharacterStyle *style, uint16_t font, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(style).style.font = font; });
}

void FM_CharacterStyle_SetSize(FMX_CharacterStyle *style, uint16_t size, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(style).style.size = size; });
}

void FM_CharacterStyle_SetColor(FMX_CharacterStyle *style, const FMX_Color *color, FMX_Error *err) {
    guarded(__func__, err, [&] {
        FMX_CharacterStyle &s = writable(style);
        s.style.color = readable(color).rgba;
    });
}

uint16_t FM_CharacterStyle_GetFace(const FMX_CharacterStyle *style, FMX_Error *err) {
    return guarded<uint16_t>(__func__, err, 0, [&] { return readable(style).style.face; });
}

uint16_t FM_CharacterStyle_GetFont(const FMX_CharacterStyle *style, FMX_Error *err) {
    return guarded<uint16_t>(__func__, err, 0, [&] { return readable(style).style.font; });
}

uint16_t FM_CharacterStyle_GetSize(const FMX_CharacterStyle *style, FMX_Error *err) {
    return guarded<uint16_t>(__func__, err, 0, [&] { return readable(style).style.size; });
}

const FMX_Color *FM_CharacterStyle_GetColor(const FMX_CharacterStyle *style, FMX_Error *err) {
    return guarded<const FMX_Color *>(__func__, err, nullptr, [&] {
        const FMX_CharacterStyle &s = readable(style);
        return s.colorView.show(FMX_Color{s.style.color});
    });
}

FMX_Color *FM_Color_Constructor1(FMX_Error *err) {
    return guarded<FMX_Color *>(__func__, err, nullptr, [] { return construct<FMX_Color>(); });
}

void FM_Color_Delete(FMX_Color *color, FMX_Error *err) {
    guarded(__func__, err, [&] { destroy(color); });
}

void FM_Color_SetRed(FMX_Color *color, uint8_t value, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(color).rgba.red = value; });
}

void FM_Color_SetGreen(FMX_Color *color, uint8_t value, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(color).rgba.green = value; });
}

void FM_Color_SetBlue(FMX_Color *color, uint8_t value, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(color).rgba.blue = value; });
}

void FM_Color_SetAlpha(FMX_Color *color, uint8_t value, FMX_Error *err) {
    guarded(__func__, err, [&] { writable(color).rgba.alpha = value; });
}

uint8_t FM_Color_GetRed(const FMX_Color *color, FMX_Error *err) {
    return guarded<uint8_t>(__func__, err, 0, [&] { return readable(color).rgba.red; });
}

uint8_t FM_Color_GetGreen(const FMX_Color *color, FMX_Error *err) {
    return guarded<uint8_t>(__func__, err, 0, [&] { return readable(color).rgba.green; });
}

uint8_t FM_Color_GetBlue(const FMX_Color *color, FMX_Error *err) {
    return guarded<uint8_t>(__func__, err, 0, [&] { return readable(color).rgba.blue; });
}

uint8_t FM_Color_GetAlpha(const FMX_Color *color, FMX_Error *err) {
    return guarded<uint8_t>(__func__, err, 0, [&] { return readable(color).rgba.alpha; });
}

} // extern "C"
