// The one callback through which the host calls every function the hosted
// plug-in registered: it hands the call to the bridge's doFunction and
// returns its code.
#pragma once

#include "fmhost/plugin_interface.h"

#include <cstdint>

namespace entry {

// Under the host call lock: attaches the calling thread when the VM does not
// know it yet, calls doFunction with a native token per argument, the
// result's token and the call's environment, runs the call's release pass
// and detaches the thread again if it attached it. -1 when the bridge is not
// there to call. Never throws.
std::int16_t FMX_CALL call_function(std::int16_t functionId, const FMX_ExprEnv *env, const FMX_DataVect *args,
                                    FMX_Data *result) noexcept;

} // namespace entry
