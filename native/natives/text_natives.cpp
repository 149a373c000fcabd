// Natives of com.tessal.veskor.types.FMText: host texts, named by their
// tokens. Positions and lengths arrive as 64-bit values; the host gets their
// low 32 bits, so -1 becomes FMX_SIZE_END. The receiving object is unused.
#include "fmx/calls.h"
#include "fmx/release_registry.h"
#include "jni/tokens.h"
#include "natives/host_text.h"
#include "natives/java_boundary.h"

#include <jni.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using natives::native_call;
using fmx::call;

namespace {

FMX_Text *text_of(jlong token) { return jni::from_token<FMX_Text>(token); }

std::uint32_t low_bits(jlong value) { return static_cast<std::uint32_t>(value); }

} // namespace

extern "C" {

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMText__1createText(JNIEnv *env, jobject, jstring value) {
    return native_call(env, "_createText", jlong{0}, [&] {
        FMX_Text *text = fmx::hand_out(fmx::make<FMX_Text>());
        natives::assign_java_string(env, text, value);
        return jni::to_token(text);
    });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMText__1createEmptyText(JNIEnv *env, jobject) {
    return native_call(env, "_createEmptyText", jlong{0},
                       [&] { return jni::to_token(fmx::hand_out(fmx::make<FMX_Text>())); });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMText__1appendCharArray(JNIEnv *env, jobject, jlong token,
                                                                             jcharArray chars, jint offset,
                                                                             jint count) {
    native_call(env, "_appendCharArray", [&] {
        natives::check_range(env, chars, offset, count);
        std::vector<jchar> units(static_cast<std::size_t>(count));
        if (count > 0) {
            env->GetCharArrayRegion(chars, offset, count, units.data());
            natives::check_java(env);
        }
        const auto piece = fmx::make<FMX_Text>();
        call("FM_Text_AssignUnicodeWithLength", FM_Text_AssignUnicodeWithLength, piece.get(), units.data(),
             static_cast<std::uint32_t>(count));
        call("FM_Text_AppendText", FM_Text_AppendText, text_of(token), piece.get(), std::uint32_t{0},
             std::uint32_t{FMX_SIZE_END});
    });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMText__1writeToData(JNIEnv *env, jobject, jlong token,
                                                                         jlong dataToken) {
    native_call(env, "_writeToData", [&] {
        FMX_Data *data = jni::from_token<FMX_Data>(dataToken);
        const FMX_Locale *locale = call("FM_Data_GetLocale", FM_Data_GetLocale, data);
        call("FM_Data_SetAsText", FM_Data_SetAsText, data, text_of(token), locale, std::int32_t{FMX_DT_TEXT});
    });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMText_jni_1appendText(JNIEnv *env, jobject, jlong token,
                                                                           jlong otherToken) {
    native_call(env, "jni_appendText", [&] {
        const FMX_Text *other = text_of(otherToken);
        const std::uint32_t size = call("FM_Text_GetSize", FM_Text_GetSize, other);
        call("FM_Text_AppendText", FM_Text_AppendText, text_of(token), other, std::uint32_t{0}, size);
    });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMText_jni_1setStyle(JNIEnv *env, jobject, jlong token,
                                                                         jlong styleToken, jlong position,
                                                                         jlong length) {
    native_call(env, "jni_setStyle", [&] {
        call("FM_Text_SetStyle", FM_Text_SetStyle, text_of(token), jni::from_token<FMX_CharacterStyle>(styleToken),
             low_bits(position), low_bits(length));
    });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMText_jni_1getStyle(JNIEnv *env, jobject, jlong token,
                                                                          jlong position) {
    return native_call(env, "jni_getStyle", jlong{0}, [&] {
        FMX_CharacterStyle *style = fmx::hand_out(fmx::make<FMX_CharacterStyle>());
        call("FM_Text_GetStyle", FM_Text_GetStyle, text_of(token), style, low_bits(position));
        return jni::to_token(style);
    });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMText_jni_1getDefaultStyle(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "jni_getDefaultStyle", jlong{0}, [&] {
        FMX_CharacterStyle *style = fmx::hand_out(fmx::make<FMX_CharacterStyle>());
        call("FM_Text_GetDefaultStyle", FM_Text_GetDefaultStyle, text_of(token), style);
        return jni::to_token(style);
    });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMText__1getTextLength(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_getTextLength", jlong{0},
                       [&] { return jlong{call("FM_Text_GetSize", FM_Text_GetSize, text_of(token))}; });
}

// Copies up to count units from position into the array from offset. Units
// past the end of the text are not written: the array keeps what it held.
JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMText__1getCharArray(JNIEnv *env, jobject, jlong token,
                                                                          jlong position, jcharArray chars, jint offset,
                                                                          jint count) {
    native_call(env, "_getCharArray", [&] {
        natives::check_range(env, chars, offset, count);
        const FMX_Text *text = text_of(token);
        const std::uint32_t start = low_bits(position);
        const std::uint32_t size = call("FM_Text_GetSize", FM_Text_GetSize, text);
        const std::uint32_t available = start < size ? size - start : 0;
        const std::uint32_t n = std::min(available, static_cast<std::uint32_t>(count));
        if (n == 0)
            return;
        std::vector<jchar> units(n);
        call("FM_Text_GetUnicode", FM_Text_GetUnicode, text, units.data(), start, n);
        env->SetCharArrayRegion(chars, offset, static_cast<jsize>(n), units.data());
        natives::check_java(env);
    });
}

} // extern "C"
