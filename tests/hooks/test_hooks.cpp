// Natives of the test class com.tessal.veskor.testing.HostHooks, built only
// into the test variant of the plug-in image: Java tests use them to run a
// release pass, watch the stand-in host's live objects, make host-owned
// values as the host makes call parameters, inject host failures, and reach
// the natives that the hosted classes export but do not declare.
#include "fmhost/host_control.h"
#include "fmx/release_registry.h"
#include "jni/strings.h"
#include "jni/tokens.h"
#include "lib/values.h"

#include <jni.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Exported by the plug-in for its hosted classes, which do not declare them.
extern "C" {
JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMData__1setTimeValue(JNIEnv *, jobject, jlong, jlong);
JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMData__1getTimeValue(JNIEnv *, jobject, jlong);
JNIEXPORT jstring JNICALL Java_com_tessal_veskor_types_FMBinary__1getUnicodeString(JNIEnv *, jobject, jlong, jint);
JNIEXPORT jint JNICALL Java_com_tessal_veskor_types_FMCharacterStyle_jni_1getColor(JNIEnv *, jobject, jlong);
}

namespace {

std::string narrow(JNIEnv *env, jstring text) {
    const jni::StringUtfChars chars(env, text);
    return std::string(chars.view());
}

std::u16string wide(JNIEnv *env, jstring text) {
    const jni::StringChars chars(env, text);
    return std::u16string(chars.view());
}

std::optional<fmhost::Kind> kind_named(const std::string &name) {
    for (std::size_t i = 0; i < fmhost::kKindCount; ++i) {
        const auto kind = static_cast<fmhost::Kind>(i);
        if (name == fmhost::kind_name(kind))
            return kind;
    }
    return std::nullopt;
}

void throw_illegal_argument(JNIEnv *env, const std::string &message) {
    env->ThrowNew(env->FindClass("java/lang/IllegalArgumentException"), message.c_str());
}

// Failures of these calls are test failures: they surface as exceptions.
void check(JNIEnv *env, const char *what, const FMX_Error &error) {
    if (error.code != FMX_ERR_NONE)
        env->ThrowNew(env->FindClass("java/lang/IllegalStateException"),
                      (std::string(what) + " failed with host error " + std::to_string(error.code)).c_str());
}

FMX_Data &data_at(jlong token) { return *jni::from_token<FMX_Data>(token); }

} // namespace

extern "C" {

JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_releasePass(JNIEnv *, jclass) {
    fmx::release_pass();
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_testing_HostHooks_registeredCount(JNIEnv *, jclass) {
    return static_cast<jlong>(fmx::registered_count());
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_testing_HostHooks_liveCount(JNIEnv *env, jclass, jstring kind) {
    const auto found = kind_named(narrow(env, kind));
    if (!found) {
        throw_illegal_argument(env, "no such kind of host object: " + narrow(env, kind));
        return 0;
    }
    return static_cast<jlong>(fmhost::live_count(*found));
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_testing_HostHooks_liveTotal(JNIEnv *, jclass) {
    return static_cast<jlong>(fmhost::live_total());
}

JNIEXPORT jstring JNICALL Java_com_tessal_veskor_testing_HostHooks_describeLive(JNIEnv *env, jclass) {
    return env->NewStringUTF(fmhost::describe_live(fmhost::live_objects()).c_str());
}

JNIEXPORT jboolean JNICALL Java_com_tessal_veskor_testing_HostHooks_isLive(JNIEnv *, jclass, jlong token) {
    const void *address = jni::from_token<void>(token);
    for (const auto &object : fmhost::live_objects())
        if (object.address == address)
            return JNI_TRUE;
    return JNI_FALSE;
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_injectFailure(JNIEnv *env, jclass,
                                                                             jstring function, jint code,
                                                                             jint skip) {
    fmhost::inject_failure(narrow(env, function), code, static_cast<unsigned>(skip));
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_clearFailures(JNIEnv *, jclass) {
    fmhost::clear_failures();
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_testing_HostHooks_newValue(JNIEnv *env, jclass) {
    FMX_Error error{1, 0};
    FMX_Data *data = FM_Data_Constructor1(&error);
    check(env, "FM_Data_Constructor1", error);
    return jni::to_token(data);
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_deleteHostObject(JNIEnv *env, jclass,
                                                                                jstring kind, jlong token) {
    FMX_Error error{1, 0};
    const std::string name = narrow(env, kind);
    if (name == "Data")
        FM_Data_Delete(jni::from_token<FMX_Data>(token), &error);
    else if (name == "Text")
        FM_Text_Delete(jni::from_token<FMX_Text>(token), &error);
    else if (name == "BinaryData")
        FM_BinaryData_Delete(jni::from_token<FMX_BinaryData>(token), &error);
    else if (name == "CharacterStyle")
        FM_CharacterStyle_Delete(jni::from_token<FMX_CharacterStyle>(token), &error);
    else
        return throw_illegal_argument(env, "cannot delete a " + name);
    check(env, "delete", error);
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_setText(JNIEnv *env, jclass, jlong token,
                                                                       jstring text) {
    fmhost::set_text(data_at(token), wide(env, text));
}

// A container as the host stores a file put into a field: a FILE stream of
// the bytes and the host's own FNAM stream for the name.
JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_setContainer(JNIEnv *env, jclass, jlong token,
                                                                            jstring name, jbyteArray bytes) {
    std::vector<std::uint8_t> content(static_cast<std::size_t>(env->GetArrayLength(bytes)));
    env->GetByteArrayRegion(bytes, 0, static_cast<jsize>(content.size()), reinterpret_cast<jbyte *>(content.data()));
    fmhost::ContainerValue container;
    container.streams.push_back(fmhost::Stream{0x46494C45, std::move(content)}); // "FILE"
    container.streams.push_back(fmhost::file_name_stream(wide(env, name)));
    fmhost::set_value(data_at(token), fmhost::Value{FMX_DT_BINARY, std::move(container)});
}

// A container that refers to a file outside the database by its reference text.
JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_setReference(JNIEnv *env, jclass, jlong token,
                                                                            jstring reference) {
    fmhost::ContainerValue container;
    container.reference = wide(env, reference);
    fmhost::set_value(data_at(token), fmhost::Value{FMX_DT_BINARY, std::move(container)});
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_setNumber(JNIEnv *env, jclass, jlong token,
                                                                         jstring decimal) {
    if (!fmhost::set_number_text(data_at(token), narrow(env, decimal)))
        throw_illegal_argument(env, "not a decimal number: " + narrow(env, decimal));
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_setTimestamp(JNIEnv *, jclass, jlong token,
                                                                            jint days, jint secs) {
    fmhost::set_timestamp(data_at(token), fmhost::TimeStampValue{days, secs, 0});
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_setDate(JNIEnv *, jclass, jlong token,
                                                                       jint days) {
    fmhost::set_date(data_at(token), fmhost::DateValue{days});
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_setTime(JNIEnv *, jclass, jlong token,
                                                                       jlong secs) {
    fmhost::set_time(data_at(token), fmhost::TimeValue{secs, 0});
}

JNIEXPORT jstring JNICALL Java_com_tessal_veskor_testing_HostHooks_textOf(JNIEnv *env, jclass, jlong token) {
    const std::u16string text = fmhost::text_of(data_at(token));
    return env->NewString(reinterpret_cast<const jchar *>(text.data()), static_cast<jsize>(text.size()));
}

JNIEXPORT jintArray JNICALL Java_com_tessal_veskor_testing_HostHooks_colorOf(JNIEnv *env, jclass,
                                                                            jlong styleToken) {
    FMX_Error error{1, 0};
    const FMX_Color *color = FM_CharacterStyle_GetColor(jni::from_token<FMX_CharacterStyle>(styleToken), &error);
    check(env, "FM_CharacterStyle_GetColor", error);
    if (env->ExceptionCheck())
        return nullptr;
    const jint channels[] = {FM_Color_GetRed(color, &error), FM_Color_GetGreen(color, &error),
                             FM_Color_GetBlue(color, &error), FM_Color_GetAlpha(color, &error)};
    const jintArray array = env->NewIntArray(4);
    if (array)
        env->SetIntArrayRegion(array, 0, 4, channels);
    return array;
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_testing_HostHooks_setTimeValue(JNIEnv *env, jclass cls,
                                                                            jlong token, jlong seconds) {
    Java_com_tessal_veskor_types_FMData__1setTimeValue(env, cls, token, seconds);
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_testing_HostHooks_getTimeValue(JNIEnv *env, jclass cls,
                                                                             jlong token) {
    return Java_com_tessal_veskor_types_FMData__1getTimeValue(env, cls, token);
}

JNIEXPORT jstring JNICALL Java_com_tessal_veskor_testing_HostHooks_getUnicodeString(JNIEnv *env, jclass cls,
                                                                                   jlong token, jint index) {
    return Java_com_tessal_veskor_types_FMBinary__1getUnicodeString(env, cls, token, index);
}

JNIEXPORT jint JNICALL Java_com_tessal_veskor_testing_HostHooks_getColor(JNIEnv *env, jclass cls, jlong token) {
    return Java_com_tessal_veskor_types_FMCharacterStyle_jni_1getColor(env, cls, token);
}

} // extern "C"
