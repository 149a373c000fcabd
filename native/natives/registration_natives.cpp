// The native of com.tessal.veskor.PluginBridge that registers one plug-in
// function with the host, naming the one function-call callback as its code.
#include "entry/function_call.h"
#include "fmx/calls.h"
#include "jni/strings.h"
#include "log/log.h"
#include "natives/host_text.h"
#include "natives/java_boundary.h"

#include <jni.h>

using natives::native_call;

extern "C" {

JNIEXPORT void JNICALL Java_com_tessal_veskor_PluginBridge__1registerFunction(JNIEnv *env, jobject, jstring pluginId,
                                                                             jshort functionId, jstring /*bundlePath*/,
                                                                             jstring name, jstring prototype,
                                                                             jint minArgs, jint maxArgs, jint flags) {
    native_call(env, "_registerFunction", [&] {
        const jni::StringUtfChars id(env, pluginId);
        natives::check_java(env);
        const std::string_view bytes = id.view();
        if (bytes.size() < 4)
            throw natives::Refusal{"java/lang/IllegalArgumentException",
                                   "a plug-in id has four characters: \"" + std::string(bytes) + "\""};
        FMX_Error error{1, FMX_ERR_NONE};
        const auto quad =
            fmx::adopt("FM_QuadChar_Constructor2",
                        FM_QuadChar_Constructor2(bytes[0], bytes[1], bytes[2], bytes[3], &error), error);
        const auto nameText = fmx::make<FMX_Text>();
        natives::assign_java_string(env, nameText.get(), name);
        const auto prototypeText = fmx::make<FMX_Text>();
        natives::assign_java_string(env, prototypeText.get(), prototype);

        // A registration the host refuses is not the plug-in's failure: the
        // function is simply never called. It is logged, not reported.
        FMX_Error registration{1, FMX_ERR_NONE};
        const std::int16_t result = FM_ExprEnv_RegisterExternalFunction(
            quad.get(), functionId, nameText.get(), prototypeText.get(), static_cast<std::int16_t>(minArgs),
            static_cast<std::int16_t>(maxArgs), static_cast<std::uint32_t>(flags), &entry::call_function,
            &registration);
        if (result != 0 || registration.code != FMX_ERR_NONE)
            vlog::log("The host refused function %d (result %d, error %d)\n", static_cast<int>(functionId),
                      static_cast<int>(result), static_cast<int>(registration.code));
    });
}

} // extern "C"
