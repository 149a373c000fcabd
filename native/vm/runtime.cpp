#include "vm/runtime.h"

#include "entry/process_state.h"
#include "log/log.h"
#include "vm/options.h"

#include <cstdint>
#include <vector>

namespace vm {
namespace {

using CreateJavaVM = jint(JNICALL *)(JavaVM **, void **, void *);

constexpr char16_t kJavaKey[] = u"Software\\JavaSoft\\Java Runtime Environment";
constexpr std::size_t kMaxVersionUnits = 259; // a 260-unit area with its terminator

// Whether the runtime takes an option, by its registered version or else by
// the version its home folder names. A runtime of unknown version gets
// neither option: the extension folders would stop a current runtime from
// starting, the native-access option an old one.
template <class Accepts>
bool runtime_accepts(Accepts accepts, std::string_view registeredVersion, const std::string &homeFolder) {
    if (const auto accepted = accepts(registeredVersion))
        return *accepted;
    return accepts(platform::java_release_version(homeFolder)).value_or(false);
}

bool fail(int number) {
    auto &process = entry::state();
    process.jvmError = runtime_error_message(number);
    vlog::log("%S\n", *process.jvmError);
    return false;
}

} // namespace

RuntimeState &runtime_state() {
    static RuntimeState instance;
    return instance;
}

std::u16string runtime_error_message(int number) {
    return u"Vantorel plugins require Java 1.4 or later, which is not installed on this computer. Download it from " +
           std::u16string(kDownloadSite) + u" (error " + platform::widen(std::to_string(number)) + u")";
}

std::string extended_path(std::string_view oldPath, std::string_view binFolder, std::string_view libraryFolder) {
    std::string path(oldPath);
    if (!path.empty() && path.back() != platform::kPathListSeparator)
        path += platform::kPathListSeparator;
    path += binFolder;
    path += platform::kPathListSeparator;
    path += libraryFolder;
    return path;
}

bool discover_runtime() {
    auto &runtime = runtime_state();
    const std::string oldPath = platform::get_env("PATH").value_or("");

    // The keys close when they go out of scope, on every path.
    const auto javaKey = platform::RegistryKey::open(platform::Hive::LocalMachine, kJavaKey);
    if (!javaKey)
        return fail(2);
    const auto version = javaKey->read_string(u"CurrentVersion");
    if (!version || version->size() > kMaxVersionUnits)
        return fail(3);
    const auto versionKey = javaKey->open_subkey(*version);
    if (!versionKey)
        return fail(4);
    const auto javaHome = versionKey->read_string(u"JavaHome");
    if (!javaHome)
        return fail(5);
    std::string homeFolder = platform::narrow(*javaHome);
    if (homeFolder.empty() || homeFolder.back() != platform::kPathSeparator)
        homeFolder += platform::kPathSeparator;
    runtime.javaLibFolder = homeFolder + "lib";

    const auto runtimeLib = versionKey->read_string(u"RuntimeLib");
    if (!runtimeLib)
        return fail(6);
    const std::string libraryPath = platform::narrow(*runtimeLib);
    const auto slash = libraryPath.rfind(platform::kPathSeparator);
    if (slash == std::string::npos)
        return fail(7);
    const std::string libraryFolder = slash == 0 ? libraryPath.substr(0, 1) : libraryPath.substr(0, slash);

    if (!runtime.pathExtended)
        runtime.pathExtended = platform::set_env("PATH", extended_path(oldPath, homeFolder + "bin", libraryFolder));

    const platform::ModuleHandle library = platform::load_library(libraryPath);
    if (!library) {
        const std::string reason = platform::last_load_error();
        fail(8);
        vlog::log("Could not load %s: %s\n", libraryPath, reason);
        return false;
    }
    runtime.library = library;
    const std::string registered = platform::narrow(*version);
    runtime.extensionFolders = runtime_accepts(accepts_extension_folders, registered, homeFolder);
    runtime.nativeAccess = runtime_accepts(accepts_native_access, registered, homeFolder);
    vlog::log("Found JVM dll at %S\n", *runtimeLib);
    return true;
}

bool create_vm() {
    auto &process = entry::state();
    auto &runtime = runtime_state();

    OptionInputs inputs;
    if (const auto folder = marker_folder())
        inputs.markers = read_markers(*folder);
    if (inputs.markers.headless)
        process.headless = true;
    inputs.headless = process.headless;
    inputs.debugPort = process.debugPort;
    inputs.javaLibFolder = runtime.javaLibFolder;
    inputs.tempFolder = platform::temp_folder();
    inputs.extensionFolders = runtime.extensionFolders;
    inputs.nativeAccess = runtime.nativeAccess;
    if (!inputs.tempFolder)
        vlog::log("No private temp folder; the logging configuration option is left out\n");

    if (inputs.markers.debug && !inputs.markers.profile)
        vlog::log("Enabling Java debugger on port %d\n", inputs.debugPort);
    if (inputs.headless)
        vlog::log("Enabling headless mode\n");

    std::vector<std::string> texts = option_texts(inputs);
    std::vector<JavaVMOption> options(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        options[i].optionString = texts[i].data();
        options[i].extraInfo = texts[i] == kOutputHookOption ? reinterpret_cast<void *>(&vlog::output_hook) : nullptr;
        vlog::log("%d: %s\n", static_cast<int>(i), texts[i]);
    }

    jint result = -1;
    const auto create = reinterpret_cast<CreateJavaVM>(platform::find_symbol(runtime.library, "JNI_CreateJavaVM"));
    if (!create) {
        vlog::log("*** SEVERE: Could not locate JNI_CreateJavaVM routine\n");
    } else {
        JavaVMInitArgs args{};
        args.version = kJniVersion;
        args.nOptions = static_cast<jint>(options.size());
        args.options = options.data();
        args.ignoreUnrecognized = JNI_FALSE;
        JavaVM *created = nullptr;
        JNIEnv *env = nullptr; // not kept: every caller obtains its own
        result = create(&created, reinterpret_cast<void **>(&env), &args);
        if (result == JNI_OK)
            runtime.vm = created;
    }
    if (result != JNI_OK) {
        vlog::log("Error while creating JVM: %d\n", static_cast<int>(result));
        process.jvmError = runtime_error_message(1);
        return false;
    }
    vlog::log("JVM started successfully - jvm references is %llu\n",
              static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(runtime.vm)));
    return true;
}

} // namespace vm
