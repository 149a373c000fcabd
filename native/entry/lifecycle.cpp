#include "entry/lifecycle.h"

#include "entry/process_state.h"
#include "jni/contract.h"
#include "jni/exceptions.h"
#include "jni/refs.h"
#include "jni/tokens.h"
#include "log/log.h"
#include "natives/release_registry.h"
#include "vm/bridge.h"
#include "vm/runtime.h"

#include <array>

namespace entry {
namespace {

constexpr std::int16_t kDoNotEnable = FMX_INIT_DO_NOT_ENABLE;
constexpr jint kLocalFrameCapacity = 16;

// The id of fmxIdle, looked up on the first idle that reaches the bridge.
jmethodID idleMethod = nullptr;

// Shows the JVM error once per process, never in headless mode.
void tell_user_once(const std::u16string &error) {
    auto &process = state();
    if (process.errorShown || process.headless)
        return;
    platform::message_box(error);
    process.errorShown = true;
}

// Calls one of the bridge's fmx methods without a result, with the record's
// unsafeCalls and call-backs.
void call_bridge(JNIEnv *env, const jni::contract::Method &method, const HostCallRecord &record) {
    jni::LocalFrame frame(env, kLocalFrameCapacity);
    if (!frame) {
        jni::report_pending_exception(env);
        return;
    }
    const jobject bridge = vm::bridge_object(env);
    const jmethodID id = bridge ? jni::contract::method_id(env, vm::bridge_class(env), method) : nullptr;
    jni::report_pending_exception(env);
    if (!bridge || !id) {
        vlog::log("Skipping %s: the PluginBridge is not available\n", method.name);
        return;
    }
    env->CallVoidMethod(bridge, id, static_cast<jboolean>(record.unsafeCalls != 0), jni::to_token(record.cStartScript),
                        jni::to_token(record.cCurrentEnv));
    jni::report_pending_exception(env);
}

std::int16_t call_init(JNIEnv *env, const HostCallRecord &record) {
    jni::LocalFrame frame(env, kLocalFrameCapacity);
    if (!frame) {
        jni::report_pending_exception(env);
        return kDoNotEnable;
    }
    // The object first: a bridge class that cannot be loaded is then tried
    // (and logged) once per message.
    const jobject bridge = vm::bridge_object(env);
    const jmethodID id =
        bridge ? jni::contract::method_id(env, vm::bridge_class(env), jni::contract::kFmxInit) : nullptr;
    jni::report_pending_exception(env);
    if (!bridge || !id) {
        vlog::log("The PluginBridge is not available; returning kDoNotEnable(%d)\n", static_cast<int>(kDoNotEnable));
        return kDoNotEnable;
    }
    const jshort result =
        env->CallShortMethod(bridge, id, static_cast<jshort>(record.apiVersion), nullptr,
                             jni::to_token(record.instanceID), static_cast<jboolean>(record.unsafeCalls != 0),
                             jni::to_token(record.cStartScript), jni::to_token(record.cCurrentEnv));
    jni::report_pending_exception(env);
    return result;
}

} // namespace

const ApplicationType *application_type(int code) {
    static const std::array<ApplicationType, 6> types{{
        {u"FMAdvanced", false, 0},
        {u"FMPro", false, 0},
        {u"Runtime", false, 0},
        {u"Server", true, 4412},
        {u"WPE", true, 4411},
        {u"Mobile", false, 0},
    }};
    if (code < 0 || code >= static_cast<int>(types.size()))
        return nullptr;
    return &types[static_cast<std::size_t>(code)];
}

void handle_init(HostCallRecord &record) {
    auto &process = state();
    process.appType = record.param1;
    if (const auto *type = application_type(record.param1)) {
        process.appTypeName = type->name;
        if (type->headless) {
            process.headless = true;
            process.debugPort = type->debugPort;
        }
    }
    vlog::log(" *** INIT for %S_%S at %s, headless mode %d\n", process.pluginName, process.appTypeName,
              platform::local_time_text(), process.headless ? 1 : 0);

    vm::discover_runtime();
    // A discovery error is in the log; the user hears of the VM that could
    // not be created instead.
    process.jvmError.reset();
    const vm::EnvScope scope;
    if (process.jvmError) {
        vlog::log("jvmError: %S\n", *process.jvmError);
        tell_user_once(*process.jvmError);
        vlog::log("Returning kDoNotEnable(%d) and detaching JVM\n", static_cast<int>(kDoNotEnable));
        record.result = kDoNotEnable;
        return;
    }
    if (!scope.env()) {
        vlog::log("No JNI environment for this thread; returning kDoNotEnable(%d)\n", static_cast<int>(kDoNotEnable));
        record.result = kDoNotEnable;
        return;
    }
    record.result = call_init(scope.env(), record);
}

void handle_idle(HostCallRecord &record) {
    auto &process = state();
    if (record.unsafeCalls || process.appType == FMX_APP_SERVER)
        return;
    vm::EnvScope scope;
    scope.detach_at_end();
    if (process.jvmError) {
        vlog::log("Will skip idle handler because a JVM error occurred: ");
        vlog::log("%S\n", *process.jvmError);
        return;
    }
    JNIEnv *env = scope.env();
    if (!env) {
        vlog::log("Will skip idle handler: no JNI environment for this thread\n");
        return;
    }
    {
        jni::LocalFrame frame(env, kLocalFrameCapacity);
        if (!frame) {
            jni::report_pending_exception(env);
            return;
        }
        const jclass bridgeClass = vm::bridge_class(env);
        if (!idleMethod) {
            idleMethod = jni::contract::method_id(env, bridgeClass, jni::contract::kFmxIdle);
            jni::report_pending_exception(env);
        }
        const jobject bridge = bridgeClass ? vm::bridge_object(env) : nullptr;
        if (bridge && idleMethod) {
            env->CallVoidMethod(bridge, idleMethod, static_cast<jshort>(record.param1), JNI_FALSE,
                                jni::to_token(record.cStartScript), jni::to_token(record.cCurrentEnv));
            jni::report_pending_exception(env);
        }
    }
    natives::release_pass();
}

void handle_shutdown(HostCallRecord &record) {
    auto &process = state();
    process.jvmError.reset();
    const vm::EnvScope scope;
    vlog::log("*** SHUTDOWN %S_%S ***\n", process.pluginName, process.appTypeName);
    if (scope.env())
        call_bridge(scope.env(), jni::contract::kFmxShutdown, record);
    else
        vlog::log("Skipping fmxShutdown: no Java VM\n");
    vlog::log("Shutdown complete\n");
    vlog::forget_path();
}

void handle_preferences(HostCallRecord &record) {
    auto &process = state();
    process.jvmError.reset();
    const vm::EnvScope scope;
    vlog::log("*** DO PREFS ***\n");
    if (scope.env())
        call_bridge(scope.env(), jni::contract::kFmxDoAppPreferences, record);
    else
        vlog::log("Skipping fmxDoAppPreferences: no Java VM\n");
}

} // namespace entry
