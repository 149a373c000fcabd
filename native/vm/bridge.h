// The calling thread's JNI environment, and the hosted bridge: the class
// loader over the copied archive, the bridge class loaded through it and the
// one bridge object made by its static sharedInstance. All three are kept as
// global references for the life of the process.
#pragma once

#include <jni.h>

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

// The calling thread's environment, creating the VM when there is none.
// Clears the JVM error text first and leaves it set when the VM could not be
// created. The environment is null whenever none can be had.
class EnvScope {
  public:
    EnvScope();
    EnvScope(const EnvScope &) = delete;
    EnvScope &operator=(const EnvScope &) = delete;
    // Detaches the thread if this scope attached it and detach_at_end() was
    // asked for.
    ~EnvScope();

    JNIEnv *env() const noexcept { return env_; }
    // Whether the thread was attached to the VM by this call (creating the VM
    // attaches the creating thread).
    bool attached_now() const noexcept { return attachedNow_; }
    void detach_at_end() noexcept { detach_ = true; }

  private:
    JNIEnv *env_ = nullptr;
    bool attachedNow_ = false;
    bool detach_ = false;
};

// The bridge class, loading it (and making the class loader) on first use.
// Null when it cannot be loaded; the next call tries again.
jclass bridge_class(JNIEnv *env);
// The bridge object, creating it on first use. Null when it cannot be made.
jobject bridge_object(JNIEnv *env);

// The class loader's URL for the archive's long path: "file://" and the
// absolute path with its separators as "/" and nothing escaped. A POSIX
// path's leading "/" is the third slash of "file:///".
std::string class_loader_url(std::string_view longPath);
// The bundle path text sharedInstance receives: the module file name, ";",
// and the archive's long path.
std::string bundle_path_text(std::string_view moduleFileName, std::string_view archivePath);

} // namespace vm
