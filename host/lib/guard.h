// The frame of every FM_ function: it fills the error record, fires injected
// failures, and keeps exceptions from reaching the C caller.
#ifndef FMHOST_LIB_GUARD_H
#define FMHOST_LIB_GUARD_H

#include "fmhost/plugin_interface.h"
#include "lib/registry.h"

#include <cstdint>
#include <new>
#include <optional>

namespace fmhost::detail {

// The code of a failure injected for `function` that fires on this call.
std::optional<std::int32_t> take_injected_failure(const char *function);

inline void report(FMX_Error *err, std::int32_t code) {
    if (err) {
        err->version = 1;
        err->code = code;
    }
}

// Runs body for the FM_ function named `function`. Returns body's result, or
// `fallback` when the call failed: out of memory (code 1), a Failure or any
// other exception (code 2), or an injected failure (its code, body not run).
template <class R, class Body> R guarded(const char *function, FMX_Error *err, R fallback, Body &&body) noexcept {
    report(err, FMX_ERR_NONE);
    try {
        if (const auto code = take_injected_failure(function)) {
            report(err, *code);
            return fallback;
        }
        return body();
    } catch (const std::bad_alloc &) {
        report(err, FMX_ERR_OUT_OF_MEMORY);
    } catch (...) {
        report(err, FMX_ERR_FAILURE);
    }
    return fallback;
}

template <class Body> void guarded(const char *function, FMX_Error *err, Body &&body) noexcept {
    guarded(function, err, 0, [&] {
        body();
        return 0;
    });
}

} // namespace fmhost::detail

#endif
