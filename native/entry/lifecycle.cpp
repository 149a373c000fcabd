#include "entry/lifecycle.h"

#include "entry/process_state.h"
#include "fmx/release_registry.h"
#include "jni/contract.h"
#include "jni/exceptions.h"
#include "jni/refs.h"
#include "jni/tokens.h"
#include "log/log.h"
#include "vm/bridge.h"
#include "vm/runtime.h"

#include <array>

namespace entry {
namespace {

constexpr std::int16_t kDoNotEnable = FMX_INIT_DO_NOT_ENABLE;
constexpr jint kLocalFrameCapacity = 16;

// Shows the JVM error once per process, never in headless mode.
void tell_user_once(const std::u16string &error) {
    auto &process = state();
    if (process.errorShown || process.headless)
        return;
    platform::message_box(error);
    process.errorShown = true;
}

// The bridge and the id of one of its methods; false (logged) when either
// is missing.
bool find_bridge_method(JNIEnv *env, const jni::contract::Method &method, const vm::Bridge *&bridge,
                        jmethodID &id) {
    bridge = vm::bridge(env);
    id = bridge ? bridge->id(method) : nullptr;
    if (!id)
        vlog::log("Skipping %s: the PluginBridge is not available\n", method.name);
    return id != nullptr;
}

// Calls one of the bridge's fmx methods without a result, with the record's
// unsafeCalls and call-backs.
void call_bridge(JNIEnv *env, const jni::contract::Method &method, const HostCallRecord &record) {
    jni::LocalFrame frame(env, kLocalFrameCapacity);
    if (!frame) {
        jni::report_pending_exception(env);
        return;
    }
    const vm::Bridge *bridge = nullptr;
    jmethodID id = nullptr;
    if (!find_bridge_method(env, method, bridge, id))
        return;
    env->CallVoidMethod(bridge->object, id, static_cast<jboolean>(record.unsafeCalls != 0),
                        jni::to_token(record.cStartScript), jni::to_token(record.cCurrentEnv));
    jni::report_pending_exception(env);
}

std::int16_t call_init(JNIEnv *env, const HostCallRecord &record) {
    jni::LocalFrame frame(env, kLocalFrameCapacity);
    if (!frame) {
        jni::report_pending_exception(env);
        return kDoNotEnable;
    }
    const vm::Bridge *bridge = nullptr;
    jmethodID id = nullptr;
    if (!find_bridge_method(env, jni::contract::kFmxInit, bridge, id)) {
        vlog::log("The PluginBridge is not available; returning kDoNotEnable(%d)\n", static_cast<int>(kDoNotEnable));
        return kDoNotEnable;
    }
    const jshort result =
        env->CallShortMethod(bridge->object, id, static_cast<jshort>(record.apiVersion), nullptr,
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
    const vm::EnvScope scope(vm::EnvScope::Vm::CreateIfNone);
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
    const vm::EnvScope scope;
    JNIEnv *env = scope.env();
    if (!env) {
        // No VM yet (init makes it), or none for this thread.
        if (scope.vm_found())
            vlog::log("Will skip idle handler: no JNI environment for this thread\n");
        return;
    }
    // The idle cycle's objects go at its end, the thread (if attached here)
    // after them.
    const fmx::ReleaseScope release;
    jni::LocalFrame frame(env, kLocalFrameCapacity);
    if (!frame) {
        jni::report_pending_exception(env);
        return;
    }
    const vm::Bridge *bridge = vm::bridge(env);
    const jmethodID idle = bridge ? bridge->id(jni::contract::kFmxIdle) : nullptr;
    if (!idle)
        return;
    env->CallVoidMethod(bridge->object, idle, static_cast<jshort>(record.param1), JNI_FALSE,
                        jni::to_token(record.cStartScript), jni::to_token(record.cCurrentEnv));
    jni::report_pending_exception(env);
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
