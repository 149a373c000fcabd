#include "natives/java_boundary.h"

#include "jni/contract.h"
#include "jni/exceptions.h"
#include "jni/refs.h"
#include "log/log.h"
#include "vm/bridge.h"

#include <string>

namespace natives {
namespace {

void log_quietly(const char *format, const char *native, const char *function, int code) noexcept {
    try {
        vlog::log(format, native, function, code);
    } catch (...) {
        // Out of memory while logging: the Java exception still tells.
    }
}

// The HostFailureException class: the bridge's (resolved once through the
// archive's class loader, so that it is found on any thread), or, before the
// bridge exists, FindClass, which finds it from inside a native of a hosted
// class.
jni::LocalRef<jclass> host_failure_class(JNIEnv *env) {
    if (const vm::Bridge *bridge = vm::made_bridge(); bridge && bridge->hostFailureClass)
        return {env, static_cast<jclass>(env->NewLocalRef(bridge->hostFailureClass))};
    return {env, env->FindClass(jni::contract::kHostFailureClass)};
}

// Throws a HostFailureException; false when it could not be made.
bool throw_host_failure(JNIEnv *env, const fmx::Failure &failure) noexcept {
    const jni::LocalRef<jclass> cls = host_failure_class(env);
    const vm::Bridge *bridge = vm::made_bridge();
    const jmethodID constructor = bridge && bridge->hostFailureClass
                                      ? bridge->id(jni::contract::kHostFailureConstructor)
                                      : jni::contract::method_id(env, cls.get(), jni::contract::kHostFailureConstructor);
    if (!constructor)
        return false;
    const jni::LocalRef<jstring> function(env, env->NewStringUTF(failure.function()));
    if (!function)
        return false;
    const jni::LocalRef<jthrowable> exception(
        env, static_cast<jthrowable>(env->NewObject(cls.get(), constructor, function.get(), failure.code())));
    if (!exception)
        return false;
    return env->Throw(exception.get()) == JNI_OK;
}

} // namespace

void raise_host_failure(JNIEnv *env, const char *native, const fmx::Failure &failure) noexcept {
    log_quietly("%s: %s failed with host error %d\n", native, failure.function(), failure.code());
    if (env->ExceptionCheck())
        return;
    if (throw_host_failure(env, failure))
        return;
    // The hosted class is missing or could not be made: say the same with a
    // plain unchecked exception.
    env->ExceptionClear();
    std::string message;
    try {
        message = std::string(failure.function()) + " failed with host error " + std::to_string(failure.code());
    } catch (...) {
    }
    const jni::LocalRef<jclass> fallback(env, env->FindClass("java/lang/RuntimeException"));
    if (fallback)
        env->ThrowNew(fallback.get(), message.c_str());
}

void raise(JNIEnv *env, const char *javaClass, const char *message) noexcept {
    if (env->ExceptionCheck())
        return;
    const jni::LocalRef<jclass> cls(env, env->FindClass(javaClass));
    if (cls)
        env->ThrowNew(cls.get(), message);
}

void check_range(JNIEnv *env, jarray array, jint offset, jint count) {
    if (!array)
        throw Refusal{"java/lang/NullPointerException", "array is null"};
    const jsize length = env->GetArrayLength(array);
    if (offset < 0 || count < 0 || offset > length - count)
        throw Refusal{"java/lang/ArrayIndexOutOfBoundsException",
                      "offset " + std::to_string(offset) + " and count " + std::to_string(count) +
                          " are outside an array of length " + std::to_string(length)};
}

void report_unexpected(JNIEnv *env, const char *native) noexcept {
    jni::report_boundary_failure(native);
    raise(env, "java/lang/IllegalStateException", native);
}

} // namespace natives
