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

void report_boundary_failure(const char *where, const char *what) noexcept {
    try {
        if (what)
            vlog::log("*** Unexpected native failure in %s: %s\n", where, what);
        else
            vlog::log("*** Unexpected native failure in %s\n", where);
    } catch (...) {
        // Out of memory while logging: nothing more can be said.
    }
}

} // namespace jni
