// Every Java method the native side calls, with its exact descriptor: the
// contract between this library and the hosted classes. The bridge resolves
// the whole table once (vm::Bridge), checked and logged; a descriptor is
// written here and nowhere else.
#pragma once

#include <jni.h>

#include <array>
#include <cstddef>
#include <string_view>

namespace jni::contract {

enum class Kind { Static, Instance, Constructor };

struct Method {
    const char *className; // JNI form, "java/net/URL"
    const char *name;
    const char *descriptor;
    Kind kind;
};

// The bridge's name as the class loader takes it, and in JNI form.
inline constexpr char kBridgeBinaryName[] = "com.tessal.veskor.PluginBridge";
inline constexpr char kBridgeClass[] = "com/tessal/veskor/PluginBridge";
// Thrown by the value natives when the host reports a failure.
inline constexpr char kHostFailureClass[] = "com/tessal/veskor/HostFailureException";

inline constexpr Method kPreferencesUserRoot{"java/util/prefs/Preferences", "userRoot",
                                             "()Ljava/util/prefs/Preferences;", Kind::Static};
inline constexpr Method kUrlConstructor{"java/net/URL", "<init>", "(Ljava/lang/String;)V", Kind::Constructor};
inline constexpr Method kUrlClassLoaderConstructor{"java/net/URLClassLoader", "<init>", "([Ljava/net/URL;)V",
                                                   Kind::Constructor};
inline constexpr Method kLoadClass{"java/net/URLClassLoader", "loadClass", "(Ljava/lang/String;)Ljava/lang/Class;",
                                   Kind::Instance};
inline constexpr Method kSharedInstance{
    kBridgeClass, "sharedInstance",
    "(Ljava/lang/String;Ljava/lang/String;SLjava/lang/String;)Lcom/tessal/veskor/PluginBridge;", Kind::Static};
inline constexpr Method kFmxInit{kBridgeClass, "fmxInit", "(SLjava/lang/String;JZJJ)S", Kind::Instance};
inline constexpr Method kFmxIdle{kBridgeClass, "fmxIdle", "(SZJJ)V", Kind::Instance};
inline constexpr Method kFmxShutdown{kBridgeClass, "fmxShutdown", "(ZJJ)V", Kind::Instance};
inline constexpr Method kFmxDoAppPreferences{kBridgeClass, "fmxDoAppPreferences", "(ZJJ)V", Kind::Instance};
inline constexpr Method kDoFunction{kBridgeClass, "doFunction", "(S[JJZJJ)S", Kind::Instance};
// Function name and the host's error code.
inline constexpr Method kHostFailureConstructor{kHostFailureClass, "<init>", "(Ljava/lang/String;I)V",
                                                Kind::Constructor};

inline constexpr std::array kAll{&kPreferencesUserRoot,
                                 &kUrlConstructor,
                                 &kUrlClassLoaderConstructor,
                                 &kLoadClass,
                                 &kSharedInstance,
                                 &kFmxInit,
                                 &kFmxIdle,
                                 &kFmxShutdown,
                                 &kFmxDoAppPreferences,
                                 &kDoFunction,
                                 &kHostFailureConstructor};

// The method's place in kAll; kAll.size() for a method not in the table.
constexpr std::size_t index_of(const Method &method) noexcept {
    for (std::size_t i = 0; i < kAll.size(); ++i)
        if (kAll[i] == &method)
            return i;
    return kAll.size();
}

// Whether the method's class is one of the hosted classes, which only the
// archive's class loader can find (FindClass on a host thread sees none).
constexpr bool is_hosted(const Method &method) noexcept {
    return std::string_view(method.className).starts_with("com/tessal/");
}

// The method's id on a class (GetStaticMethodID for static methods,
// GetMethodID otherwise). Null for a null class; a failed lookup leaves its
// exception pending for the caller to report.
inline jmethodID method_id(JNIEnv *env, jclass cls, const Method &method) noexcept {
    if (!cls)
        return nullptr;
    return method.kind == Kind::Static ? env->GetStaticMethodID(cls, method.name, method.descriptor)
                                       : env->GetMethodID(cls, method.name, method.descriptor);
}

} // namespace jni::contract
