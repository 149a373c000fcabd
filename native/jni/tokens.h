// Native tokens: host object addresses carried on the Java side as a signed
// 64-bit long. A 32-bit address is sign-extended on the way out; the way back
// takes the low bits again. Every conversion goes through these functions.
#pragma once

#include <jni.h>

#include <cstdint>

namespace jni {

inline jlong to_token(const void *address) noexcept {
    return static_cast<jlong>(reinterpret_cast<std::intptr_t>(address));
}
inline jlong to_token(std::uintptr_t address) noexcept {
    return static_cast<jlong>(static_cast<std::intptr_t>(address));
}
template <class R, class... Args> jlong to_token(R (*function)(Args...)) noexcept {
    return static_cast<jlong>(reinterpret_cast<std::intptr_t>(function));
}

template <class T> T *from_token(jlong token) noexcept {
    return reinterpret_cast<T *>(static_cast<std::intptr_t>(token));
}

} // namespace jni
