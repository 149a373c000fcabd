// Natives of com.tessal.veskor.types.FMBinary: host containers (BinaryData)
// with typed byte streams, named by their tokens. The receiving object is
// unused.
//
// A stream type crosses as a four-character string whose characters are the
// type's four bytes, first byte first: ASCII for every type the host and the
// hosted side use, and U+0080..U+00FF for any other byte, so that a type read
// from a container can always be written back.
#include "fmx/calls.h"
#include "fmx/release_registry.h"
#include "jni/tokens.h"
#include "natives/java_boundary.h"

#include <jni.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using natives::native_call;
using fmx::call;

namespace {

constexpr jsize kTypeLength = 4;

FMX_BinaryData *binary_of(jlong token) { return jni::from_token<FMX_BinaryData>(token); }

// A temporary QuadChar holding the type named by a four-character string.
fmx::Owned<FMX_QuadChar> quad_char(JNIEnv *env, jstring type) {
    if (!type)
        throw natives::Refusal{"java/lang/NullPointerException", "stream type is null"};
    const jsize length = env->GetStringLength(type);
    jchar units[kTypeLength] = {};
    if (length == kTypeLength) {
        env->GetStringRegion(type, 0, kTypeLength, units);
        natives::check_java(env);
    }
    std::uint32_t code = 0;
    bool valid = length == kTypeLength;
    for (const jchar unit : units) {
        valid = valid && unit <= 0xFF;
        code = code << 8 | (unit & 0xFFu);
    }
    if (!valid)
        throw natives::Refusal{"java/lang/IllegalArgumentException",
                               "a stream type is four characters from U+0000 to U+00FF; got " + std::to_string(length) +
                                   " characters"};
    auto quad = fmx::make<FMX_QuadChar>();
    call("FM_QuadChar_SetMacType", FM_QuadChar_SetMacType, quad.get(), code);
    return quad;
}

} // namespace

extern "C" {

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMBinary__1createBinary(JNIEnv *env, jobject) {
    return native_call(env, "_createBinary", jlong{0},
                       [&] { return jni::to_token(fmx::hand_out(fmx::make<FMX_BinaryData>())); });
}

JNIEXPORT jint JNICALL Java_com_tessal_veskor_types_FMBinary__1getStreamCount(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_getStreamCount", jint{0},
                       [&] { return jint{call("FM_BinaryData_GetCount", FM_BinaryData_GetCount, binary_of(token))}; });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_types_FMBinary__1getTotalSize(JNIEnv *env, jobject, jlong token) {
    return native_call(env, "_getTotalSize", jlong{0}, [&] {
        return jlong{call("FM_BinaryData_GetTotalSize", FM_BinaryData_GetTotalSize, binary_of(token))};
    });
}

// The type's bytes, most significant first, up to a first zero byte.
JNIEXPORT jstring JNICALL Java_com_tessal_veskor_types_FMBinary__1getTypeForIndex(JNIEnv *env, jobject, jlong token,
                                                                                  jint index) {
    return native_call(env, "_getTypeForIndex", jstring{}, [&] {
        const auto quad = fmx::make<FMX_QuadChar>();
        call("FM_BinaryData_GetType", FM_BinaryData_GetType, binary_of(token), std::int32_t{index}, quad.get());
        const std::uint32_t code = call("FM_QuadChar_GetMacType", FM_QuadChar_GetMacType, quad.get());
        jchar units[kTypeLength];
        jsize length = 0;
        for (int shift = 24; shift >= 0; shift -= 8) {
            const jchar unit = static_cast<jchar>(code >> shift & 0xFFu);
            if (unit == 0)
                break;
            units[length++] = unit;
        }
        const jstring type = env->NewString(units, length);
        natives::check_java(env);
        return type;
    });
}

JNIEXPORT jint JNICALL Java_com_tessal_veskor_types_FMBinary__1getSize(JNIEnv *env, jobject, jlong token, jint index) {
    return native_call(env, "_getSize", jint{0}, [&] {
        return static_cast<jint>(
            call("FM_BinaryData_GetSize", FM_BinaryData_GetSize, binary_of(token), std::int32_t{index}));
    });
}

// Reads amount bytes of stream index from offset into the array from its
// index 0. A piece that the array cannot hold, or that is not inside the
// stream, is refused and leaves the array as it was.
JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMBinary__1getData(JNIEnv *env, jobject, jlong token, jint index,
                                                                       jint offset, jint amount,
                                                                       jbyteArray destination) {
    native_call(env, "_getData", [&] {
        natives::check_range(env, destination, 0, amount);
        if (amount == 0)
            return;
        std::vector<jbyte> bytes(static_cast<std::size_t>(amount));
        const std::int32_t refused = call("FM_BinaryData_GetData", FM_BinaryData_GetData, binary_of(token),
                                          std::int32_t{index}, static_cast<std::uint32_t>(offset),
                                          static_cast<std::uint32_t>(amount), static_cast<void *>(bytes.data()));
        if (refused)
            throw natives::Refusal{"java/lang/IndexOutOfBoundsException",
                                   "stream " + std::to_string(index) + " has no " + std::to_string(amount) +
                                       " bytes at offset " + std::to_string(static_cast<std::uint32_t>(offset))};
        env->SetByteArrayRegion(destination, 0, amount, bytes.data());
        natives::check_java(env);
    });
}

// Adds a stream of the type holding the first amount bytes of the array. The
// host refuses a second stream of a type it holds already; that is reported,
// not passed over.
JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMBinary__1addStream(JNIEnv *env, jobject, jlong token,
                                                                         jstring type, jint amount, jbyteArray source) {
    native_call(env, "_addStream", [&] {
        natives::check_range(env, source, 0, amount);
        std::vector<jbyte> bytes(static_cast<std::size_t>(amount));
        if (amount > 0) {
            env->GetByteArrayRegion(source, 0, amount, bytes.data());
            natives::check_java(env);
        }
        const auto quad = quad_char(env, type);
        const std::int32_t refused = call("FM_BinaryData_Add", FM_BinaryData_Add, binary_of(token), quad.get(),
                                          static_cast<std::uint32_t>(amount), static_cast<const void *>(bytes.data()));
        if (refused)
            throw natives::Refusal{"java/lang/IllegalStateException",
                                   "the container refused a stream of " + std::to_string(amount) +
                                       " bytes: it holds that type already or would grow past 4 GB"};
    });
}

// Removes the stream of the type; a type the container lacks changes nothing.
JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMBinary__1removeStream(JNIEnv *env, jobject, jlong token,
                                                                            jstring type) {
    native_call(env, "_removeStream", [&] {
        const auto quad = quad_char(env, type);
        call("FM_BinaryData_Remove", FM_BinaryData_Remove, binary_of(token), quad.get());
    });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_types_FMBinary__1removeAllStreams(JNIEnv *env, jobject, jlong token) {
    native_call(env, "_removeAllStreams",
                [&] { call("FM_BinaryData_RemoveAll", FM_BinaryData_RemoveAll, binary_of(token)); });
}

// Exported for FMBinary, which does not declare it: stream index read as
// UTF-16 text in the machine's byte order; an odd last byte is dropped.
JNIEXPORT jstring JNICALL Java_com_tessal_veskor_types_FMBinary__1getUnicodeString(JNIEnv *env, jobject, jlong token,
                                                                                   jint index) {
    return native_call(env, "_getUnicodeString", jstring{}, [&] {
        const FMX_BinaryData *binary = binary_of(token);
        const std::uint32_t size = call("FM_BinaryData_GetSize", FM_BinaryData_GetSize, binary, std::int32_t{index});
        const std::uint32_t units = size / 2; // at most 2^31 - 1: a valid jsize
        std::vector<std::uint8_t> bytes(size);
        if (size > 0)
            call("FM_BinaryData_GetData", FM_BinaryData_GetData, binary, std::int32_t{index}, std::uint32_t{0}, size,
                 static_cast<void *>(bytes.data()));
        std::vector<jchar> text(units);
        if (units > 0)
            std::memcpy(text.data(), bytes.data(), units * sizeof(jchar));
        const jstring string = env->NewString(text.data(), static_cast<jsize>(units));
        natives::check_java(env);
        return string;
    });
}

} // extern "C"
