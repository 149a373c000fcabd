// The edge between the natives of the value classes and their Java callers.
// A native's body runs inside native_call: whatever ends it early (a host
// failure, a refused argument, a Java exception raised by a JNI call, memory
// running out) becomes a Java exception for the caller, and no C++ exception
// leaves the native. Host objects are held by owners or the release
// registry, so an early end loses none of them.
#pragma once

#include "fmx/calls.h"

#include <jni.h>

#include <new>
#include <string>
#include <utility>

namespace natives {

// A JNI call left a Java exception pending: the native ends and the caller
// receives that exception.
struct JavaExceptionPending {};

// An argument the native refuses: the caller receives a new exception of
// javaClass (JNI form, "java/lang/IllegalArgumentException") with message.
struct Refusal {
    const char *javaClass;
    std::string message;
};

// Throws JavaExceptionPending when the last JNI call raised an exception.
inline void check_java(JNIEnv *env) {
    if (env->ExceptionCheck())
        throw JavaExceptionPending{};
}

// Refuses a null array, or a range of count elements from offset that is not
// inside it (ArrayIndexOutOfBoundsException).
void check_range(JNIEnv *env, jarray array, jint offset, jint count);

// Raises the Java exception for a host failure: an unchecked
// com.tessal.veskor.HostFailureException carrying the FM_ function's name and
// the host's code, after a native log line naming the native.
void raise_host_failure(JNIEnv *env, const char *native, const fmx::Failure &failure) noexcept;
// Raises a new Java exception of the given class, unless one is pending.
void raise(JNIEnv *env, const char *javaClass, const char *message) noexcept;
void report_unexpected(JNIEnv *env, const char *native) noexcept;

template <class R, class Body> R native_call(JNIEnv *env, const char *native, R fallback, Body &&body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const fmx::Failure &failure) {
        raise_host_failure(env, native, failure);
    } catch (const JavaExceptionPending &) {
        // Already on its way to the caller.
    } catch (const Refusal &refusal) {
        raise(env, refusal.javaClass, refusal.message.c_str());
    } catch (const std::bad_alloc &) {
        raise(env, "java/lang/OutOfMemoryError", native);
    } catch (...) {
        report_unexpected(env, native);
    }
    return fallback;
}

template <class Body> void native_call(JNIEnv *env, const char *native, Body &&body) noexcept {
    native_call(env, native, 0, [&] {
        std::forward<Body>(body)();
        return 0;
    });
}

} // namespace natives
