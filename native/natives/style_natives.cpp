// Natives of com.tessal.veskor.types.FMCharacterStyle: host character
// styles, named by their tokens. Face, font id and size are unsigned 16-bit
// quantities on the host side; colour channels are bytes. The receiving
// object is unused.
#include "fmx/calls.h"
#include "fmx/release_registry.h"
#include "jni/tokens.h"
#include "natives/java_boundary.h"

#include <jni.h>

#include <cstdint>

using natives::native_call;
using fmx::call;

namespace {

FMX_CharacterStyle *style_of(jlong token) { return jni::from_token<FMX_CharacterStyle>(token); }

std::uint16_t low_16(jint value) { return static_cast<std::uint16_t>(value); }
std::uint8_t low_8(jint value) { return static_cast<std::uint8_t>(value); }

} // namespace

extern "C" {

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMCharacterStyle__1createCharacterStyle(JNIEnv *env, jobject) {
    return native_call(env, "_createCharacterStyle", jlong{0},
                       [&] { return jni::to_token(fmx::hand_out(fmx::make<FMX_CharacterStyle>())); });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMCharacterStyle_jni_1setface(JNIEnv *env, jobject, jlong token,
                                                                                  jint face) {
    native_call(env, "jni_setface",
                [&] { call("FM_CharacterStyle_SetFace", FM_CharacterStyle_SetFace, style_of(token), low_16(face)); });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMCharacterStyle_jni_1setFontID(JNIEnv *env, jobject, jlong token,
                                                                                    jint font) {
    native_call(env, "jni_setFontID",
                [&] { call("FM_CharacterStyle_SetFont", FM_CharacterStyle_SetFont, style_of(token), low_16(font)); });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMCharacterStyle_jni_1setFontSize(JNIEnv *env, jobject, jlong token,
                                                                                      jint size) {
    native_call(env, "jni_setFontSize",
                [&] { call("FM_CharacterStyle_SetSize", FM_CharacterStyle_SetSize, style_of(token), low_16(size)); });
}

// Each channel gets the low 8 bits of its argument, unclamped: 300 is 44.
JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMCharacterStyle_jni_1setColor(JNIEnv *env, jobject, jlong token,
                                                                                   jint red, jint green, jint blue,
                                                                                   jint alpha) {
    native_call(env, "jni_setColor", [&] {
        const auto color = fmx::make<FMX_Color>();
        call("FM_Color_SetRed", FM_Color_SetRed, color.get(), low_8(red));
        call("FM_Color_SetGreen", FM_Color_SetGreen, color.get(), low_8(green));
        call("FM_Color_SetBlue", FM_Color_SetBlue, color.get(), low_8(blue));
        call("FM_Color_SetAlpha", FM_Color_SetAlpha, color.get(), low_8(alpha));
        call("FM_CharacterStyle_SetColor", FM_CharacterStyle_SetColor, style_of(token), color.get());
    });
}

JNIEXPORT jint JNICALL Java_com_tessal_veskor_types_FMCharacterStyle_jni_1getFace(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "jni_getFace", jint{0}, [&] {
        return jint{call("FM_CharacterStyle_GetFace", FM_CharacterStyle_GetFace, style_of(token))};
    });
}

JNIEXPORT jint JNICALL Java_com_tessal_veskor_types_FMCharacterStyle_jni_1getFontID(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "jni_getFontID", jint{0}, [&] {
        return jint{call("FM_CharacterStyle_GetFont", FM_CharacterStyle_GetFont, style_of(token))};
    });
}

JNIEXPORT jint JNICALL Java_com_tessal_veskor_types_FMCharacterStyle_jni_1getFontSize(JNIEnv *env, jobject,
                                                                                      jlong token) {
    return native_call(env, "jni_getFontSize", jint{0}, [&] {
        return jint{call("FM_CharacterStyle_GetSize", FM_CharacterStyle_GetSize, style_of(token))};
    });
}

// Exported for FMCharacterStyle, which does not declare it: the host style's
// colour is never read back, so this always answers 0.
JNIEXPORT jint JNICALL Java_com_tessal_veskor_types_FMCharacterStyle_jni_1getColor(JNIEnv *, jobject, jlong) {
    return 0;
}

} // extern "C"
