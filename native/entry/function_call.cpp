#include "entry/function_call.h"

#include "entry/host_call_lock.h"
#include "entry/process_state.h"
#include "fmx/calls.h"
#include "fmx/release_registry.h"
#include "jni/contract.h"
#include "jni/exceptions.h"
#include "jni/refs.h"
#include "jni/tokens.h"
#include "log/log.h"
#include "vm/bridge.h"

#include <mutex>

namespace entry {
namespace {

// What the host gets when there is nothing to call: any failure of the
// dispatch that the hosted side did not answer itself.
constexpr std::int16_t kDispatchFailed = -1;
constexpr jint kLocalFrameCapacity = 16;

// One token per argument, in argument order; null (an exception pending)
// when the VM cannot make the array.
jlongArray argument_tokens(JNIEnv *env, const FMX_DataVect *args) {
    const std::uint32_t count = fmx::call("FM_DataVect_Size", FM_DataVect_Size, args);
    const jlongArray tokens = env->NewLongArray(static_cast<jsize>(count));
    if (!tokens)
        return nullptr;
    for (std::uint32_t i = 0; i < count; ++i) {
        const jlong token = jni::to_token(fmx::call("FM_DataVect_At", FM_DataVect_At, args, i));
        env->SetLongArrayRegion(tokens, static_cast<jsize>(i), 1, &token);
        jni::report_pending_exception(env);
    }
    return tokens;
}

std::int16_t call_do_function(JNIEnv *env, std::int16_t functionId, const FMX_ExprEnv *exprEnv,
                              const FMX_DataVect *args, FMX_Data *result) {
    const jni::LocalFrame frame(env, kLocalFrameCapacity);
    if (!frame) {
        jni::report_pending_exception(env);
        return kDispatchFailed;
    }
    const vm::Bridge *bridge = vm::bridge(env);
    const jmethodID doFunction = bridge ? bridge->id(jni::contract::kDoFunction) : nullptr;
    if (!doFunction) {
        vlog::log("Cannot call function %d: the PluginBridge is not available\n", static_cast<int>(functionId));
        return kDispatchFailed;
    }
    const jlongArray tokens = argument_tokens(env, args);
    if (!tokens) {
        jni::report_pending_exception(env);
        return kDispatchFailed;
    }
    const jshort code = env->CallShortMethod(bridge->object, doFunction, static_cast<jshort>(functionId), tokens,
                                             jni::to_token(result), JNI_FALSE, jni::to_token(state().startScript),
                                             jni::to_token(exprEnv));
    if (env->ExceptionCheck()) {
        vlog::log("An error did occur\n");
        jni::report_pending_exception(env);
        // The call's value is undefined then (HotSpot gives 0, success): the
        // host must see a failure.
        return kDispatchFailed;
    }
    return code;
}

} // namespace

std::int16_t FMX_CALL call_function(std::int16_t functionId, const FMX_ExprEnv *env, const FMX_DataVect *args,
                                    FMX_Data *result) noexcept {
    try {
        const std::scoped_lock lock(host_call_lock());
        const vm::EnvScope scope;
        if (!scope.env()) {
            vlog::log("Cannot call function %d: no Java VM for this thread\n", static_cast<int>(functionId));
            return kDispatchFailed;
        }
        // Declared after the thread's scope: the call's objects are deleted
        // before the thread is detached.
        const fmx::ReleaseScope release;
        return call_do_function(scope.env(), functionId, env, args, result);
    } catch (const fmx::Failure &failure) {
        jni::report_boundary_failure("the function call-back", failure.function());
    } catch (const std::exception &e) {
        jni::report_boundary_failure("the function call-back", e.what());
    } catch (...) {
        jni::report_boundary_failure("the function call-back");
    }
    return kDispatchFailed;
}

} // namespace entry
