#include "jni/exceptions.h"

#include "log/log.h"

namespace jni {

bool report_pending_exception(JNIEnv *env) noexcept {
    if (!env || !env->ExceptionCheck())
        return false;
    env->ExceptionDescribe();
    env->ExceptionClear();
    return true;
}

void report_boundary_failure(const char *where) noexcept {
    try {
        vlog::log("*** Unexpected native failure in %s\n", where);
    } catch (...) {
        // Out of memory while logging: nothing more can be said.
    }
}

} // namespace jni
