#include "vm/bridge.h"

#include "entry/process_state.h"
#include "jni/contract.h"
#include "jni/exceptions.h"
#include "jni/refs.h"
#include "jni/strings.h"
#include "log/log.h"
#include "platform/platform.h"
#include "vm/archive.h"
#include "vm/runtime.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>

namespace vm {
namespace {

using GetCreatedJavaVMs = jint(JNICALL *)(JavaVM **, jsize, jsize *);

// Longest long form of the archive path (a 260-byte area with its terminator).
constexpr std::size_t kMaxLongPath = 259;
constexpr char16_t kNoMemory[] = u"Not enough memory to start Java Virtual Machine.";
constexpr char kBridgeVersion[] = "1.54";

// What has been made so far: kept across failed attempts, so that the class
// loader is made once per process and a bridge class that loaded is not
// loaded again. Written only under the builder's lock.
struct Builder {
    std::mutex mutex;
    jobject classLoader = nullptr;
    jclass bridgeClass = nullptr;
};

Builder &builder() {
    static auto *instance = new Builder;
    return *instance;
}

std::atomic<const Bridge *> published{nullptr};

// Logs the step's line when it failed, then reports its exception. True when
// the step failed.
bool step_failed(JNIEnv *env, bool failed, const char *line) {
    failed = failed || env->ExceptionCheck();
    if (failed && line)
        vlog::log("%s", line);
    jni::report_pending_exception(env);
    return failed;
}

// A URLClassLoader over the copied archive, rewritten first; null when it
// cannot be made.
jobject make_class_loader(JNIEnv *env) {
    namespace contract = jni::contract;
    if (!write_attached_archive())
        return nullptr;
    auto &archive = archive_state();
    const auto longPath = platform::long_path(archive.archivePath);
    if (!longPath || longPath->size() > kMaxLongPath)
        return nullptr;
    archive.archivePath = *longPath;

    jni::LocalRef<jclass> urlClass(env, env->FindClass(contract::kUrlConstructor.className));
    if (step_failed(env, !urlClass, nullptr))
        return nullptr;
    const jmethodID urlConstructor = contract::method_id(env, urlClass.get(), contract::kUrlConstructor);
    if (step_failed(env, !urlConstructor, nullptr))
        return nullptr;
    jni::LocalRef<jstring> urlText(env, jni::new_string(env, platform::widen(class_loader_url(*longPath))));
    if (step_failed(env, !urlText, nullptr))
        return nullptr;
    jni::LocalRef<jobject> url(env, env->NewObject(urlClass.get(), urlConstructor, urlText.get()));
    if (step_failed(env, !url, "getClassLoader(): NewObject() failed\n"))
        return nullptr;
    jni::LocalRef<jclass> loaderClass(env, env->FindClass(contract::kUrlClassLoaderConstructor.className));
    if (step_failed(env, !loaderClass, "getClassLoader(): FindClass() failed\n"))
        return nullptr;
    const jmethodID loaderConstructor =
        contract::method_id(env, loaderClass.get(), contract::kUrlClassLoaderConstructor);
    if (step_failed(env, !loaderConstructor, "getClassLoader(): GetMethodID() failed\n"))
        return nullptr;
    jni::LocalRef<jobjectArray> urls(env, env->NewObjectArray(1, urlClass.get(), url.get()));
    if (step_failed(env, !urls, "getClassLoader(): NewObjectArray() failed\n"))
        return nullptr;
    jni::LocalRef<jobject> loader(env, env->NewObject(loaderClass.get(), loaderConstructor, urls.get()));
    if (env->ExceptionCheck()) {
        vlog::log("getClassLoader(): NewObject() #2 failed\n");
        jni::report_pending_exception(env);
        return nullptr;
    }
    if (!loader) {
        vlog::log("getClassLoader(): returning NULL\n");
        return nullptr;
    }
    return jni::GlobalRef<jobject>(env, loader.get()).release();
}

// Calls Preferences.userRoot() once and drops its result.
void touch_user_preferences(JNIEnv *env) {
    namespace contract = jni::contract;
    jni::LocalRef<jclass> preferences(env, env->FindClass(contract::kPreferencesUserRoot.className));
    if (jni::report_pending_exception(env) || !preferences)
        return;
    const jmethodID userRoot = contract::method_id(env, preferences.get(), contract::kPreferencesUserRoot);
    if (jni::report_pending_exception(env) || !userRoot)
        return;
    jni::LocalRef<jobject> root(env, env->CallStaticObjectMethod(preferences.get(), userRoot));
    jni::report_pending_exception(env);
}

// The bridge class through the archive's class loader (made first when
// there is none yet); null when it cannot be loaded.
jclass load_bridge_class(JNIEnv *env, Builder &state) {
    namespace contract = jni::contract;
    jni::LocalRef<jclass> loaderClass(env, env->FindClass(contract::kLoadClass.className));
    jni::report_pending_exception(env);
    const jmethodID loadClass = contract::method_id(env, loaderClass.get(), contract::kLoadClass);
    jni::report_pending_exception(env);
    jni::LocalRef<jstring> name(env, env->NewStringUTF(contract::kBridgeBinaryName));
    jni::report_pending_exception(env);
    if (!state.classLoader)
        state.classLoader = make_class_loader(env);
    if (!loadClass || !name || !state.classLoader)
        return nullptr;

    jni::LocalRef<jclass> cls(env,
                              static_cast<jclass>(env->CallObjectMethod(state.classLoader, loadClass, name.get())));
    if (env->ExceptionCheck()) {
        vlog::log("An error occurred while trying to load com.tessal.veskor.PluginBridge. Make sure that it is "
                  "loaded in a jar called 'plugin.jar'\n");
        jni::report_pending_exception(env);
    }
    return cls ? static_cast<jclass>(env->NewGlobalRef(cls.get())) : nullptr;
}

// A hosted class by its JNI name, through the archive's class loader: a host
// thread without Java frames finds none of them with FindClass.
jni::LocalRef<jclass> load_hosted_class(JNIEnv *env, jobject loader, const char *jniName) {
    std::string binaryName(jniName);
    std::replace(binaryName.begin(), binaryName.end(), '/', '.');
    jni::LocalRef<jclass> loaderClass(env, env->FindClass(jni::contract::kLoadClass.className));
    const jmethodID loadClass = jni::contract::method_id(env, loaderClass.get(), jni::contract::kLoadClass);
    jni::LocalRef<jstring> name(env, env->NewStringUTF(binaryName.c_str()));
    if (!loadClass || !name)
        return {env, nullptr};
    jni::LocalRef<jclass> cls(env, static_cast<jclass>(env->CallObjectMethod(loader, loadClass, name.get())));
    if (jni::report_pending_exception(env))
        return {env, nullptr};
    return cls;
}

// The bridge object from sharedInstance; null when it cannot be made.
jobject make_bridge_object(JNIEnv *env, jclass cls) {
    namespace contract = jni::contract;
    const jmethodID sharedInstance = contract::method_id(env, cls, contract::kSharedInstance);
    if (env->ExceptionCheck()) {
        vlog::log("Could not locate sharedInstance static method\n");
        jni::report_pending_exception(env);
    }
    if (!sharedInstance)
        return nullptr;

    const auto &archive = archive_state();
    jni::LocalRef<jstring> bundlePath(
        env, jni::new_string(env, platform::widen(bundle_path_text(archive.moduleFileName, archive.archivePath))));
    if (jni::report_pending_exception(env))
        return nullptr;
    jni::LocalRef<jstring> version(env, env->NewStringUTF(kBridgeVersion));
    if (jni::report_pending_exception(env))
        return nullptr;
    // Without a log file the hosted side makes a log file of its own.
    const auto logPath = vlog::current_path();
    jni::LocalRef<jstring> logPathString(env, logPath ? jni::new_string(env, *logPath) : nullptr);
    if (jni::report_pending_exception(env))
        return nullptr;

    jni::LocalRef<jobject> object(env, env->CallStaticObjectMethod(cls, sharedInstance, bundlePath.get(), version.get(),
                                                                   entry::state().appType, logPathString.get()));
    jni::report_pending_exception(env);
    return object ? env->NewGlobalRef(object.get()) : nullptr;
}

// Looks up every method of the contract table, each failure logged once:
// the JDK's classes through FindClass, the hosted ones through the loader.
void resolve_contract(JNIEnv *env, Bridge &made) {
    namespace contract = jni::contract;
    for (std::size_t i = 0; i < contract::kAll.size(); ++i) {
        const contract::Method &method = *contract::kAll[i];
        jni::LocalRef<jclass> cls(env, nullptr);
        if (std::string_view(method.className) == contract::kBridgeClass)
            cls = jni::LocalRef<jclass>(env, static_cast<jclass>(env->NewLocalRef(made.bridgeClass)));
        else if (contract::is_hosted(method))
            cls = load_hosted_class(env, made.loader, method.className);
        else
            cls = jni::LocalRef<jclass>(env, env->FindClass(method.className));
        made.ids[i] = contract::method_id(env, cls.get(), method);
        if (!made.ids[i]) {
            vlog::log("*** Could not find %s.%s%s\n", method.className, method.name, method.descriptor);
            jni::report_pending_exception(env);
        }
    }
    jni::LocalRef<jclass> hostFailure = load_hosted_class(env, made.loader, contract::kHostFailureClass);
    jni::report_pending_exception(env);
    if (hostFailure)
        made.hostFailureClass = static_cast<jclass>(env->NewGlobalRef(hostFailure.get()));
}

// The whole set, or null (with the reason in the log) when the bridge class
// or object cannot be had yet.
std::unique_ptr<Bridge> make_bridge(JNIEnv *env, Builder &state) {
    touch_user_preferences(env);
    if (!state.bridgeClass)
        state.bridgeClass = load_bridge_class(env, state);
    if (!state.bridgeClass)
        return nullptr;
    const jobject object = make_bridge_object(env, state.bridgeClass);
    if (!object)
        return nullptr;
    auto made = std::make_unique<Bridge>();
    made->loader = state.classLoader;
    made->bridgeClass = state.bridgeClass;
    made->object = object;
    resolve_contract(env, *made);
    return made;
}

// The process's VM: looked up in the VM library until one is found, then
// kept (a VM is never destroyed), so that a call needs no lookup.
JavaVM *find_vm() {
    static std::atomic<JavaVM *> known{nullptr};
    if (JavaVM *vm = known.load(std::memory_order_acquire))
        return vm;
    // No runtime discovered yet: no VM of ours can exist.
    const platform::ModuleHandle library = runtime_state().library;
    if (!library)
        return nullptr;
    const auto getCreated =
        reinterpret_cast<GetCreatedJavaVMs>(platform::find_symbol(library, "JNI_GetCreatedJavaVMs"));
    if (!getCreated) {
        vlog::log("*** SEVERE: Could not locate JNI_GetCreatedJavaVMs routine\n");
        return nullptr;
    }
    JavaVM *found = nullptr;
    jsize count = 0;
    if (getCreated(&found, 1, &count) != JNI_OK || count <= 0 || !found)
        return nullptr;
    runtime_state().vm = found;
    known.store(found, std::memory_order_release);
    return found;
}

} // namespace

ThreadEnv obtain_env() {
    JavaVM *found = find_vm();
    if (!found)
        return {};

    void *env = nullptr;
    jint result = found->GetEnv(&env, kJniVersion);
    if (result == JNI_OK)
        return {EnvStatus::Ready, static_cast<JNIEnv *>(env)};
    if (result == JNI_EDETACHED) {
        result = found->AttachCurrentThreadAsDaemon(&env, nullptr);
        if (result == JNI_OK)
            return {EnvStatus::AttachedNow, static_cast<JNIEnv *>(env)};
        vlog::log("Could not attach the JNI environment to the current thread because of an error %d.\n",
                  static_cast<int>(result));
        return {EnvStatus::Unavailable, nullptr};
    }
    vlog::log("Unknown error while getting JNI environment: %d\n", static_cast<int>(result));
    return {EnvStatus::Unavailable, nullptr};
}

EnvScope::EnvScope(Vm vm) {
    auto &process = entry::state();
    if (vm == Vm::CreateIfNone)
        process.jvmError.reset();
    ThreadEnv found = obtain_env();
    if (found.status != EnvStatus::NoVm || vm == Vm::Existing) {
        vmFound_ = found.status != EnvStatus::NoVm;
        env_ = found.env;
        attachedNow_ = found.status == EnvStatus::AttachedNow;
        return;
    }
    vlog::log("No existing JVM found; creating one.\n");
    try {
        create_vm();
    } catch (const std::bad_alloc &) {
        process.jvmError = kNoMemory;
    }
    // Creating the VM attached this thread for good: it is the host's main
    // thread from now on, and stays attached.
    found = obtain_env();
    if (found.status == EnvStatus::NoVm)
        vlog::log("Serious error, could not find JVM after creating it.\n");
    if (process.jvmError)
        vlog::log("Failed to create JVM because of an error: %S\n", *process.jvmError);
    vmFound_ = found.status != EnvStatus::NoVm;
    env_ = process.jvmError ? nullptr : found.env;
    attachedNow_ = false;
}

EnvScope::~EnvScope() {
    if (attachedNow_)
        if (JavaVM *vm = runtime_state().vm)
            vm->DetachCurrentThread();
}

const Bridge *made_bridge() noexcept { return published.load(std::memory_order_acquire); }

const Bridge *bridge(JNIEnv *env) {
    if (const Bridge *made = made_bridge())
        return made;
    auto &state = builder();
    const std::lock_guard lock(state.mutex);
    if (const Bridge *made = made_bridge())
        return made;
    std::unique_ptr<Bridge> made = make_bridge(env, state);
    if (!made)
        return nullptr;
    published.store(made.get(), std::memory_order_release);
    return made.release();
}

std::string class_loader_url(std::string_view longPath) {
    std::string path(longPath);
    std::replace(path.begin(), path.end(), platform::kPathSeparator, '/');
    if (!path.starts_with('/'))
        path.insert(path.begin(), '/');
    return "file://" + path;
}

std::string bundle_path_text(std::string_view moduleFileName, std::string_view archivePath) {
    std::string text(moduleFileName);
    text += ';';
    text += archivePath;
    return text;
}

} // namespace vm
