// Natives of com.tessal.veskor.PluginContext: evaluating a calculation in the
// host and starting a host script, on behalf of plug-in code.
#include "entry/process_state.h"
#include "fmx/calls.h"
#include "fmx/release_registry.h"
#include "jni/strings.h"
#include "jni/tokens.h"
#include "natives/java_boundary.h"

#include <jni.h>

#include <cstdint>

using fmx::call;
using natives::native_call;

namespace {

// What the host answers when there is no call-back to call.
constexpr jshort kUnavailable = 3;

// The value the calling thread's latest finished evaluation wrote; the
// caller fetches it right after the evaluation, on the same thread. The
// value itself is in the release registry, so a token of an earlier result
// stays valid until the release pass.
thread_local FMX_Data *expressionResult = nullptr;

// A host text holding exactly the string's characters.
fmx::Owned<FMX_Text> host_text(JNIEnv *env, jstring string) {
    auto text = fmx::make<FMX_Text>();
    const jni::StringChars chars(env, string);
    natives::check_java(env);
    const auto units = chars.view();
    call("FM_Text_AssignUnicodeWithLength", FM_Text_AssignUnicodeWithLength, text.get(),
         reinterpret_cast<const FMX_Unichar *>(units.data()), static_cast<std::uint32_t>(units.size()));
    return text;
}

// Evaluates the text into `result`: in the function call's environment, or,
// at start-up, idle, shutdown and preferences, in a new one the host fills
// with its current file, table and record.
jshort evaluate(const FMX_Text *text, FMX_Data *result, jlong cCurrentEnv, jlong envCallback, jboolean useCallback) {
    if (!useCallback)
        return call("FM_ExprEnv_Evaluate", FM_ExprEnv_Evaluate, jni::from_token<const FMX_ExprEnv>(cCurrentEnv), text,
                    result);
    const auto callback = reinterpret_cast<FMX_CurrentEnvCallback>(static_cast<std::intptr_t>(envCallback));
    if (!callback)
        return kUnavailable;
    const auto environment = fmx::make<FMX_ExprEnv>();
    if (const std::int16_t code = callback(environment.get()); code != 0)
        return code;
    return call("FM_ExprEnv_Evaluate", FM_ExprEnv_Evaluate, environment.get(), text, result);
}

} // namespace

extern "C" {

JNIEXPORT jshort JNICALL Java_com_tessal_veskor_PluginContext__1evaluateExpression(JNIEnv *env, jobject,
                                                                                  jstring expression,
                                                                                  jlong cCurrentEnv,
                                                                                  jlong envCallback,
                                                                                  jboolean useCallback) {
    return native_call(env, "_evaluateExpression", jshort{kUnavailable}, [&]() -> jshort {
        const auto text = host_text(env, expression);
        FMX_Data *result = fmx::hand_out(fmx::make<FMX_Data>());
        const jshort code = evaluate(text.get(), result, cCurrentEnv, envCallback, useCallback);
        // Set once the evaluation is done: a plug-in function in the
        // expression that evaluates a calculation of its own puts its result
        // here meanwhile, and its call's release pass deletes that value.
        expressionResult = result;
        return code;
    });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_PluginContext__1getExpressionResult(JNIEnv *, jobject) {
    return jni::to_token(expressionResult);
}

JNIEXPORT jshort JNICALL Java_com_tessal_veskor_PluginContext__1triggerScript(JNIEnv *env, jobject, jstring filename,
                                                                             jstring scriptname, jint control,
                                                                             jlong paramToken, jlong /*cStartScript*/) {
    return native_call(env, "_triggerScript", jshort{kUnavailable}, [&]() -> jshort {
        // The call-back of the host's most recent message: a function call
        // brings none of its own.
        const FMX_StartScriptCallback startScript = entry::state().startScript;
        if (!startScript)
            return kUnavailable;
        const auto file = host_text(env, filename);
        const auto script = host_text(env, scriptname);
        return startScript(file.get(), script.get(), static_cast<std::uint8_t>(control),
                           paramToken ? jni::from_token<const FMX_Data>(paramToken) : nullptr);
    });
}

} // extern "C"
