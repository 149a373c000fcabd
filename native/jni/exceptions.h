// Pending Java exceptions and the boundary of every exported function.
#pragma once

#include <jni.h>

#include <utility>

namespace jni {

// Prints a pending Java exception through the VM (ExceptionDescribe) and
// clears it. Returns whether one was pending. Called after every JNI lookup
// and every call into Java code.
bool report_pending_exception(JNIEnv *env) noexcept;

// Logs a C++ failure that reached an export boundary.
void report_boundary_failure(const char *where) noexcept;

// Runs the body of an exported function: no C++ exception leaves it, the
// fallback is returned instead.
template <class R, class Body> R guarded(const char *where, R fallback, Body &&body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        report_boundary_failure(where);
        return fallback;
    }
}
template <class Body> void guarded(const char *where, Body &&body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
        report_boundary_failure(where);
    }
}

} // namespace jni
