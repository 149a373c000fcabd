// Natives of com.tessal.veskor.types.FMData: one host Data value, named by its
// token. The receiving object is unused.
#include "fmx/calls.h"
#include "fmx/release_registry.h"
#include "jni/tokens.h"
#include "natives/host_text.h"
#include "natives/java_boundary.h"

#include <jni.h>

#include <cstdint>

using natives::native_call;
using fmx::call;

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

FMX_Data *data_of(jlong token) { return jni::from_token<FMX_Data>(token); }

// Seconds since midnight of a date-time, through a temporary FixPt.
std::int32_t seconds_since_midnight(const FMX_DateTime *dateTime) {
    const auto seconds = fmx::make<FMX_FixPt>();
    call("FM_DateTime_GetSecsSinceMidnight", FM_DateTime_GetSecsSinceMidnight, dateTime, seconds.get());
    return call("FM_FixPt_AsLong", FM_FixPt_AsLong, seconds.get());
}

// Local wall-clock seconds since the host epoch of the value read as a
// timestamp: days × 86400 + seconds since midnight, in 64 bits.
std::int64_t timestamp_seconds(const FMX_Data *data) {
    const FMX_DateTime *stamp = call("FM_Data_GetAsTimeStamp", FM_Data_GetAsTimeStamp, data);
    const std::int32_t days = call("FM_DateTime_GetDaysSinceEpoch", FM_DateTime_GetDaysSinceEpoch, stamp);
    return std::int64_t{days} * kSecondsPerDay + seconds_since_midnight(stamp);
}

const FMX_FixPt *number_of(const FMX_Data *data) { return call("FM_Data_GetAsNumber", FM_Data_GetAsNumber, data); }

} // namespace

extern "C" {

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMData__1createEmptyData(JNIEnv *env, jobject) {
    return native_call(env, "_createEmptyData", jlong{0},
                       [&] { return jni::to_token(fmx::hand_out(fmx::make<FMX_Data>())); });
}

JNIEXPORT jint JNICALL Java_com_tessal_veskor_types_FMData__1getNativeType(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_getNativeType", jint{0}, [&] {
        return static_cast<jint>(call("FM_Data_GetNativeType", FM_Data_GetNativeType, data_of(token)));
    });
}

JNIEXPORT jboolean JNICALL Java_com_tessal_veskor_types_FMData__1isEmpty(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_isEmpty", jboolean{JNI_FALSE}, [&] {
        return call("FM_Data_IsEmpty", FM_Data_IsEmpty, data_of(token)) ? jboolean{JNI_TRUE} : jboolean{JNI_FALSE};
    });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMData__1setStringData(JNIEnv *env, jobject, jlong token,
                                                                           jstring value) {
    native_call(env, "_setStringData", [&] {
        FMX_Data *data = data_of(token);
        const auto text = fmx::make<FMX_Text>();
        natives::assign_java_string(env, text.get(), value);
        const FMX_Locale *locale = call("FM_Data_GetLocale", FM_Data_GetLocale, data);
        call("FM_Data_SetAsText", FM_Data_SetAsText, data, text.get(), locale, std::int32_t{FMX_DT_TEXT});
    });
}

JNIEXPORT jstring JNICALL Java_com_tessal_veskor_types_FMData__1getStringData(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_getStringData", jstring{}, [&] {
        return natives::java_string_of(env, call("FM_Data_GetAsText", FM_Data_GetAsText, data_of(token)));
    });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMData__1getLongData(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_getLongData", jlong{0},
                       [&] { return jlong{call("FM_FixPt_AsLong", FM_FixPt_AsLong, number_of(data_of(token)))}; });
}

JNIEXPORT jdouble JNICALL Java_com_tessal_veskor_types_FMData__1getDoubleData(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_getDoubleData", jdouble{0},
                       [&] { return call("FM_FixPt_AsFloat", FM_FixPt_AsFloat, number_of(data_of(token))); });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMData__1getDateTimeValue(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_getDateTimeValue", jlong{0}, [&]() -> jlong {
        const FMX_Data *data = data_of(token);
        if (call("FM_Data_IsEmpty", FM_Data_IsEmpty, data))
            return 0;
        return timestamp_seconds(data);
    });
}

// Never called by the hosted layer. It yields the full 64-bit count of
// seconds since the host epoch, as days × 86400 + seconds since midnight. A
// 32-bit count (FM_FixPt_AsLong of FM_DateTime_GetSecondsSinceEpoch) runs
// out 68 years after the epoch, so for every real date it would only give a
// clamped or wrapped number.
JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMData__1getDateValue(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_getDateValue", jlong{0}, [&] { return jlong{timestamp_seconds(data_of(token))}; });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMData__1setDateValue(JNIEnv *env, jobject, jlong token, jint year,
                                                                          jint month, jint day, jint hour, jint minute,
                                                                          jint second) {
    native_call(env, "_setDateValue", [&] {
        // Declared first so that it is deleted last, after the FixPts.
        const auto dateTime = fmx::make<FMX_DateTime>();
        const auto fixYear = fmx::make<FMX_FixPt>();
        const auto fixMonth = fmx::make<FMX_FixPt>();
        const auto fixDay = fmx::make<FMX_FixPt>();
        call("FM_FixPt_AssignInt", FM_FixPt_AssignInt, fixYear.get(), std::int32_t{year});
        call("FM_FixPt_AssignInt", FM_FixPt_AssignInt, fixMonth.get(), std::int32_t{month});
        call("FM_FixPt_AssignInt", FM_FixPt_AssignInt, fixDay.get(), std::int32_t{day});
        call("FM_DateTime_SetNormalizedDate2", FM_DateTime_SetNormalizedDate2, dateTime.get(), fixYear.get(),
             fixMonth.get(), fixDay.get());
        call("FM_DateTime_SetNormalizedTime1", FM_DateTime_SetNormalizedTime1, dateTime.get(), std::int64_t{hour},
             static_cast<std::int16_t>(minute), static_cast<std::int16_t>(second), std::int32_t{0});
        call("FM_Data_SetAsTimeStamp", FM_Data_SetAsTimeStamp, data_of(token), dateTime.get(),
             std::int32_t{FMX_DT_TIMESTAMP});
    });
}

// Exported for FMData, which does not declare it: stores a time of day.
JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMData__1setTimeValue(JNIEnv *env, jobject, jlong token,
                                                                          jlong seconds) {
    native_call(env, "_setTimeValue", [&] {
        const auto fixSeconds = fmx::make<FMX_FixPt>();
        const auto dateTime = fmx::make<FMX_DateTime>();
        call("FM_FixPt_AssignInt", FM_FixPt_AssignInt, fixSeconds.get(), static_cast<std::int32_t>(seconds));
        call("FM_DateTime_SetSecsSinceMidnight", FM_DateTime_SetSecsSinceMidnight, dateTime.get(), fixSeconds.get());
        call("FM_Data_SetAsTime", FM_Data_SetAsTime, data_of(token), dateTime.get(), std::int32_t{FMX_DT_TIME});
    });
}

// Exported for FMData, which does not declare it: the time of day of the
// value. It reads the value as a time; read as a date, every value would
// give 0 seconds.
JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMData__1getTimeValue(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_getTimeValue", jlong{0}, [&] {
        return jlong{seconds_since_midnight(call("FM_Data_GetAsTime", FM_Data_GetAsTime, data_of(token)))};
    });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMData__1getFMText(JNIEnv *env, jobject, jlong token) {
    // The value's own text view: borrowed, never registered.
    return native_call(env, "_getFMText", jlong{0},
                       [&] { return jni::to_token(call("FM_Data_GetAsText", FM_Data_GetAsText, data_of(token))); });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMData__1getFMBinary(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_getFMBinary", jlong{0}, [&] {
        const FMX_BinaryData *view = call("FM_Data_GetBinaryData", FM_Data_GetBinaryData, data_of(token));
        return jni::to_token(fmx::hand_out(fmx::copy(view)));
    });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMData__1setFMBinary(JNIEnv *env, jobject, jlong token,
                                                                         jlong binaryToken) {
    native_call(env, "_setFMBinary", [&] {
        call("FM_Data_SetBinaryData", FM_Data_SetBinaryData, data_of(token),
             jni::from_token<FMX_BinaryData>(binaryToken), 1);
    });
}

} // extern "C"
