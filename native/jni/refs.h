// Owners of JNI references and local frames: each releases what it holds when
// it goes out of scope, so no early return leaks a reference.
#pragma once

#include <jni.h>

#include <utility>

namespace jni {

// A local reference, deleted at scope end. Local references of a native
// thread that is not inside a Java call live until the thread detaches, so
// they are never left to the VM to collect.
template <class T> class LocalRef {
  public:
    LocalRef(JNIEnv *env, T ref) noexcept : env_(env), ref_(ref) {}
    LocalRef(LocalRef &&other) noexcept : env_(other.env_), ref_(std::exchange(other.ref_, nullptr)) {}
    LocalRef &operator=(LocalRef &&other) noexcept {
        if (this != &other) {
            reset();
            env_ = other.env_;
            ref_ = std::exchange(other.ref_, nullptr);
        }
        return *this;
    }
    LocalRef(const LocalRef &) = delete;
    LocalRef &operator=(const LocalRef &) = delete;
    ~LocalRef() { reset(); }

    T get() const noexcept { return ref_; }
    explicit operator bool() const noexcept { return ref_ != nullptr; }
    // Gives up ownership, e.g. to return the reference to the VM.
    T release() noexcept { return std::exchange(ref_, nullptr); }
    void reset() noexcept {
        if (ref_)
            env_->DeleteLocalRef(ref_);
        ref_ = nullptr;
    }

  private:
    JNIEnv *env_;
    T ref_;
};

// A global reference made from any reference, deleted at scope end unless
// released into a value kept for the life of the process.
template <class T> class GlobalRef {
  public:
    GlobalRef(JNIEnv *env, T ref) noexcept : env_(env), ref_(ref ? static_cast<T>(env->NewGlobalRef(ref)) : nullptr) {}
    GlobalRef(GlobalRef &&other) noexcept : env_(other.env_), ref_(std::exchange(other.ref_, nullptr)) {}
    GlobalRef(const GlobalRef &) = delete;
    GlobalRef &operator=(const GlobalRef &) = delete;
    GlobalRef &operator=(GlobalRef &&) = delete;
    ~GlobalRef() {
        if (ref_)
            env_->DeleteGlobalRef(ref_);
    }

    T get() const noexcept { return ref_; }
    explicit operator bool() const noexcept { return ref_ != nullptr; }
    T release() noexcept { return std::exchange(ref_, nullptr); }

  private:
    JNIEnv *env_;
    T ref_;
};

// A local frame: every local reference made while it is open is freed when
// it is popped at scope end.
class LocalFrame {
  public:
    LocalFrame(JNIEnv *env, jint capacity) noexcept : env_(env), pushed_(env->PushLocalFrame(capacity) == JNI_OK) {}
    LocalFrame(const LocalFrame &) = delete;
    LocalFrame &operator=(const LocalFrame &) = delete;
    ~LocalFrame() {
        if (pushed_)
            env_->PopLocalFrame(nullptr);
    }
    // False when the frame could not be pushed (an OutOfMemoryError is pending).
    explicit operator bool() const noexcept { return pushed_; }

  private:
    JNIEnv *env_;
    bool pushed_;
};

} // namespace jni
