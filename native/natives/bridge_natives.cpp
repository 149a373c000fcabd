// Natives of com.tessal.veskor.PluginBridge: the host thread's event loop,
// the host's front window and the clipboard.
#include "jni/arrays.h"
#include "log/log.h"
#include "natives/event_loop.h"
#include "natives/java_boundary.h"
#include "platform/platform.h"

#include <jni.h>

#include <new>
#include <vector>

using natives::native_call;

extern "C" {

JNIEXPORT void JNICALL Java_com_tessal_veskor_PluginBridge__1startEventLoop(JNIEnv *env, jobject) {
    native_call(env, "_startEventLoop", [] { natives::start_event_loop(); });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_PluginBridge__1stopEventLoop(JNIEnv *env, jobject) {
    native_call(env, "_stopEventLoop", [] { natives::stop_event_loop(); });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_PluginBridge__1getFrontWindowReference(JNIEnv *env, jclass) {
    return native_call(env, "_getFrontWindowReference", jlong{0},
                       [] { return static_cast<jlong>(platform::foreground_window()); });
}

JNIEXPORT jlong JNICALL Java_com_tessal_veskor_PluginBridge__1setWindowParent(JNIEnv *env, jclass, jlong child,
                                                                              jlong parent) {
    return native_call(env, "_setWindowParent", jlong{0}, [&] {
        int error = 0;
        if (!platform::set_parent(child, parent, error))
            vlog::log("SetParent failed with error code %d\n", error);
        return jlong{0};
    });
}

JNIEXPORT jintArray JNICALL Java_com_tessal_veskor_PluginBridge__1getClipboardFormatsWin(JNIEnv *env, jclass) {
    return native_call(env, "_getClipboardFormatsWin", jintArray{}, [&] {
        const std::vector<std::uint32_t> formats = platform::clipboard_formats();
        const std::vector<jint> values(formats.begin(), formats.end());
        const jintArray array = env->NewIntArray(static_cast<jsize>(values.size()));
        natives::check_java(env);
        env->SetIntArrayRegion(array, 0, static_cast<jsize>(values.size()), values.data());
        return array;
    });
}

JNIEXPORT jbyteArray JNICALL Java_com_tessal_veskor_PluginBridge__1getClipboardData(JNIEnv *env, jclass, jint format) {
    return native_call(env, "_getClipboardData", jbyteArray{}, [&] {
        // A format that is not on the clipboard gives an empty array.
        const auto data = platform::clipboard_data(static_cast<std::uint32_t>(format));
        const jsize size = data ? static_cast<jsize>(data->size()) : 0;
        const jbyteArray array = env->NewByteArray(size);
        natives::check_java(env);
        if (size > 0)
            env->SetByteArrayRegion(array, 0, size, reinterpret_cast<const jbyte *>(data->data()));
        return array;
    });
}

JNIEXPORT void JNICALL Java_com_tessal_veskor_PluginBridge__1setClipboardData(JNIEnv *env, jclass, jint format,
                                                                              jbyteArray data) {
    native_call(env, "_setClipboardData", [&] {
        platform::clipboard_clear();
        if (!data) {
            vlog::log("No clipboard data given; clipboard contents were NOT set.\n");
            return;
        }
        const jni::ByteArrayElements bytes(env, data, JNI_ABORT);
        if (!bytes) {
            vlog::log("Could not allocate memory for clipboard; exiting. Clipboard contents were NOT set.\n");
            return;
        }
        try {
            const auto span = bytes.span();
            platform::clipboard_set(static_cast<std::uint32_t>(format),
                                    {reinterpret_cast<const std::uint8_t *>(span.data()), span.size()});
        } catch (const std::bad_alloc &) {
            vlog::log("Could not allocate memory for clipboard; exiting. Clipboard contents were NOT set.\n");
        }
    });
}

} // extern "C"
