// Receives every host message and runs its handler.
#pragma once

#include "fmhost/plugin_interface.h"

namespace entry {

// Stores the record as the current one and handles its message. Never throws.
void dispatch(HostCallRecord *record) noexcept;

} // namespace entry
