// Java strings: characters borrowed for a scope, and new strings from native
// text. Text crosses as UTF-16; modified UTF-8 is for ASCII identifiers.
#pragma once

#include <jni.h>

#include <string>
#include <string_view>

namespace jni {

// The UTF-16 characters of a string, released at scope end. Empty for a null
// string or when the VM cannot provide them (an exception is then pending).
class StringChars {
  public:
    StringChars(JNIEnv *env, jstring string) noexcept
        : env_(env), string_(string), chars_(string ? env->GetStringChars(string, nullptr) : nullptr),
          length_(chars_ ? env->GetStringLength(string) : 0) {}
    StringChars(const StringChars &) = delete;
    StringChars &operator=(const StringChars &) = delete;
    ~StringChars() {
        if (chars_)
            env_->ReleaseStringChars(string_, chars_);
    }
    explicit operator bool() const noexcept { return chars_ != nullptr; }
    std::u16string_view view() const noexcept {
        return chars_
                   ? std::u16string_view(reinterpret_cast<const char16_t *>(chars_), static_cast<std::size_t>(length_))
                   : std::u16string_view();
    }

  private:
    JNIEnv *env_;
    jstring string_;
    const jchar *chars_;
    jsize length_;
};

// The modified UTF-8 bytes of a string, released at scope end.
class StringUtfChars {
  public:
    StringUtfChars(JNIEnv *env, jstring string) noexcept
        : env_(env), string_(string), chars_(string ? env->GetStringUTFChars(string, nullptr) : nullptr),
          length_(chars_ ? env->GetStringUTFLength(string) : 0) {}
    StringUtfChars(const StringUtfChars &) = delete;
    StringUtfChars &operator=(const StringUtfChars &) = delete;
    ~StringUtfChars() {
        if (chars_)
            env_->ReleaseStringUTFChars(string_, chars_);
    }
    explicit operator bool() const noexcept { return chars_ != nullptr; }
    std::string_view view() const noexcept {
        return chars_ ? std::string_view(chars_, static_cast<std::size_t>(length_)) : std::string_view();
    }

  private:
    JNIEnv *env_;
    jstring string_;
    const char *chars_;
    jsize length_;
};

// A new Java string holding UTF-16 text; null (with an exception pending)
// when the VM cannot make it.
inline jstring new_string(JNIEnv *env, std::u16string_view text) {
    return env->NewString(reinterpret_cast<const jchar *>(text.data()), static_cast<jsize>(text.size()));
}

} // namespace jni
