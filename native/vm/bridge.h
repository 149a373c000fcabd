// The calling thread's JNI environment, and the hosted bridge: the class
// loader over the copied archive, the bridge class loaded through it, the one
// bridge object made by its static sharedInstance, and the id of every
// method the native side calls. They are made once, under a lock, and then
// published as one set that never changes; global references kept for the
// life of the process.
#pragma once

#include "jni/contract.h"

#include <jni.h>

#include <array>
#include <string>
#include <string_view>

namespace vm {

enum class EnvStatus {
    NoVm,        // no VM in the process
    Ready,       // the thread was attached already
    AttachedNow, // the thread was attached (as a daemon) by this call
    Unavailable, // there is a VM, but this thread cannot have an environment
};

struct ThreadEnv {
    EnvStatus status = EnvStatus::NoVm;
    JNIEnv *env = nullptr;
};

// Finds the VM in the process and the calling thread's environment,
// attaching the thread as a daemon when the VM does not know it yet.
ThreadEnv obtain_env();

// The calling thread's environment for one host message or call. Only init
// may create the VM (CreateIfNone: clears the JVM error text first and leaves
// it set when the VM could not be created); every other entry works with the
// VM that exists. A thread that this scope attached is detached again when
// it ends; the thread that created the VM, and a thread that was attached
// already, stay attached. The environment is null whenever none can be had.
class EnvScope {
  public:
    enum class Vm { Existing, CreateIfNone };
    explicit EnvScope(Vm vm = Vm::Existing);
    EnvScope(const EnvScope &) = delete;
    EnvScope &operator=(const EnvScope &) = delete;
    ~EnvScope();

    JNIEnv *env() const noexcept { return env_; }
    // Whether a VM exists (or was made by this scope).
    bool vm_found() const noexcept { return vmFound_; }
    // Whether the thread was attached to the VM by this scope.
    bool attached_now() const noexcept { return attachedNow_; }

  private:
    JNIEnv *env_ = nullptr;
    bool vmFound_ = false;
    bool attachedNow_ = false;
};

// The bridge and everything the native side calls it by. Ids of methods that
// could not be found are null (each was logged once, when the set was made).
struct Bridge {
    jobject loader = nullptr;
    jclass bridgeClass = nullptr;
    jobject object = nullptr;
    jclass hostFailureClass = nullptr; // null when the archive has none
    std::array<jmethodID, jni::contract::kAll.size()> ids{};

    jmethodID id(const jni::contract::Method &method) const noexcept {
        const std::size_t index = jni::contract::index_of(method);
        return index < ids.size() ? ids[index] : nullptr;
    }
};

// The bridge, made on first use (with its log lines). Null when it cannot be
// made: the next call tries again, with the class loader made before.
const Bridge *bridge(JNIEnv *env);
// The bridge if it has been made, without making it: for the natives, which
// may run while the bridge is being made.
const Bridge *made_bridge() noexcept;

// The class loader's URL for the archive's long path: "file://" and the
// absolute path with its separators as "/" and nothing escaped. A POSIX
// path's leading "/" is the third slash of "file:///".
std::string class_loader_url(std::string_view longPath);
// The bundle path text sharedInstance receives: the module file name, ";",
// and the archive's long path.
std::string bundle_path_text(std::string_view moduleFileName, std::string_view archivePath);

} // namespace vm
