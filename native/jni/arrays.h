// The elements of a Java primitive array, borrowed for a scope. The release
// mode says what happens to them at the end: JNI_ABORT for an array that was
// only read (nothing is copied back), 0 to copy changes back.
#pragma once

#include <jni.h>

#include <cstddef>
#include <span>

namespace jni {

template <class Array, class Element, Element *(JNIEnv::*Get)(Array, jboolean *),
          void (JNIEnv::*Release)(Array, Element *, jint)>
class ArrayElements {
  public:
    ArrayElements(JNIEnv *env, Array array, jint releaseMode) noexcept
        : env_(env), array_(array), elements_(array ? (env->*Get)(array, nullptr) : nullptr),
          size_(elements_ ? static_cast<std::size_t>(env->GetArrayLength(array)) : 0), mode_(releaseMode) {}
    ArrayElements(const ArrayElements &) = delete;
    ArrayElements &operator=(const ArrayElements &) = delete;
    ~ArrayElements() {
        if (elements_)
            (env_->*Release)(array_, elements_, mode_);
    }
    // False for a null array or when the VM could not provide the elements.
    explicit operator bool() const noexcept { return elements_ != nullptr; }
    std::span<Element> span() const noexcept { return {elements_, size_}; }

  private:
    JNIEnv *env_;
    Array array_;
    Element *elements_;
    std::size_t size_;
    jint mode_;
};

using ByteArrayElements =
    ArrayElements<jbyteArray, jbyte, &JNIEnv::GetByteArrayElements, &JNIEnv::ReleaseByteArrayElements>;

} // namespace jni
