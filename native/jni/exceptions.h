// Pending Java exceptions, and C++ failures that reach an export boundary.
#pragma once

#include <jni.h>

namespace jni {

// Prints a pending Java exception through the VM (ExceptionDescribe) and
// clears it. Returns whether one was pending. Called after every JNI lookup
// and every call into Java code.
bool report_pending_exception(JNIEnv *env) noexcept;

// Logs a C++ failure that reached an export boundary, with its description
// when there is one.
void report_boundary_failure(const char *where, const char *what = nullptr) noexcept;

} // namespace jni
