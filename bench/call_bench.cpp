// Calls per second of a plug-in function that takes no arguments, three ways
// in one process, so that their ratios hold on a busy machine:
//   (a) through the stand-in host's calculation engine, as fmhost runs a
//       step: parse "jdbcVersion", call the function, convert its result;
//   (b) through the bare function-call callback the plug-in registered, as
//       a host calls it: environment, argument vector and result made once;
//   (c) a plain JNI call into a static Java method (Math.abs), the floor of
//       any call into the VM.
//
//   call_bench PLUGIN [SECONDS]
//
// The plug-in is started the way the host starts it (string requests, init);
// its Java runtime comes from the registry (VNT_REGISTRY, or this machine's).
#include "bench_plugin.h"

#include "calc/evaluator.h"
#include "fmhost/host_control.h"
#include "platform/platform.h"

#include <jni.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Runs `call` in batches for about `seconds`; calls per second.
double rate(double seconds, const std::function<bool()> &call) {
    constexpr int kBatch = 1000;
    long long calls = 0;
    const auto start = Clock::now();
    const auto until = start + std::chrono::duration<double>(seconds);
    while (Clock::now() < until) {
        for (int i = 0; i < kBatch; ++i)
            if (!call())
                return -1;
        calls += kBatch;
    }
    return static_cast<double>(calls) / std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: call_bench PLUGIN [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 2.0;
    const auto plugin = bench::start_plugin(argv[1]);
    if (!plugin)
        return 1;
    const fmhost::RegisteredFunction *function = fmhost::find_function(u"jdbcVersion");
    if (!function) {
        std::fprintf(stderr, "call_bench: the plug-in registered no jdbcVersion\n");
        return 1;
    }

    // (a) the calculation path.
    bench::PluginContext context;
    const double viaCalculation = rate(seconds, [&] {
        const calc::Result result = calc::evaluate("jdbcVersion", context);
        return result.ok() && result.value().toText() == "1.7";
    });

    // (b) the bare callback.
    FMX_Error err{};
    FMX_ExprEnv *env = FM_ExprEnv_Constructor1(0, &err);
    FMX_DataVect *args = fmhost::datavect_new();
    FMX_Data *result = FM_Data_Constructor1(&err);
    const FMX_FunctionCallback callback = function->callback;
    const std::int16_t id = function->id;
    const double viaCallback = rate(seconds, [&] { return callback(id, env, args, result) == 0; });

    // (c) plain JNI on this thread (the one that made the VM).
    using GetCreated = jint(JNICALL *)(JavaVM **, jsize, jsize *);
    JavaVM *vm = nullptr;
    jsize count = 0;
    for (const char *library : {"libjvm.so"}) {
        const auto handle = platform::load_library(library);
        if (const auto getCreated = reinterpret_cast<GetCreated>(platform::find_symbol(handle, "JNI_GetCreatedJavaVMs")))
            getCreated(&vm, 1, &count);
    }
    JNIEnv *jni = nullptr;
    if (!vm || vm->GetEnv(reinterpret_cast<void **>(&jni), JNI_VERSION_1_4) != JNI_OK) {
        std::fprintf(stderr, "call_bench: no Java VM in the process\n");
        return 1;
    }
    const jclass math = jni->FindClass("java/lang/Math");
    const jmethodID abs = jni->GetStaticMethodID(math, "abs", "(I)I");
    jint value = -1;
    const double plainJni = rate(seconds, [&] {
        value = jni->CallStaticIntMethod(math, abs, value) == 1 ? -1 : -2;
        return value == -1;
    });

    FM_Data_Delete(result, &err);
    fmhost::datavect_delete(args);
    FM_ExprEnv_Delete(env, &err);
    plugin->shutdown();

    std::printf("(a) calculation path  %12.0f calls/s\n", viaCalculation);
    std::printf("(b) host callback     %12.0f calls/s\n", viaCallback);
    std::printf("(c) plain JNI call    %12.0f calls/s\n", plainJni);
    std::printf("c/b %.1f (aim: at most 10)   c/a %.1f\n", plainJni / viaCallback, plainJni / viaCalculation);
    std::printf("host objects alive after the calls: %zu\n", fmhost::live_total());
    return 0;
}
