#include "entry/dispatch.h"

#include "entry/get_string.h"
#include "entry/lifecycle.h"
#include "entry/process_state.h"

namespace entry {

void dispatch(HostCallRecord *record) noexcept {
    if (!record)
        return;
    state().record = record;
    try {
        switch (record->message) {
        case FMX_MSG_INIT:
            handle_init(*record);
            break;
        case FMX_MSG_IDLE:
            handle_idle(*record);
            break;
        case FMX_MSG_SHUTDOWN:
            handle_shutdown(*record);
            break;
        case FMX_MSG_PREFERENCES:
            handle_preferences(*record);
            break;
        case FMX_MSG_GET_STRING:
            handle_get_string(*record);
            break;
        default:
            break;
        }
    } catch (...) {
        // Nothing is thrown into the host; a handler that ran out of memory
        // simply ends.
    }
}

} // namespace entry
