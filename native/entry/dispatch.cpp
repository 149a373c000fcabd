#include "entry/dispatch.h"

#include "entry/get_string.h"
#include "entry/host_call_lock.h"
#include "entry/lifecycle.h"
#include "entry/process_state.h"
#include "jni/exceptions.h"

#include <mutex>

namespace entry {
namespace {

// Keeps what later calls need of the record; the record itself is the host's.
void remember(const HostCallRecord &record) {
    auto &process = state();
    process.instanceID = record.instanceID;
    process.startScript = record.cStartScript;
    process.currentEnv = record.cCurrentEnv;
}

void handle(HostCallRecord &record) {
    switch (record.message) {
    case FMX_MSG_INIT:
        handle_init(record);
        break;
    case FMX_MSG_IDLE:
        handle_idle(record);
        break;
    case FMX_MSG_SHUTDOWN:
        handle_shutdown(record);
        break;
    case FMX_MSG_PREFERENCES:
        handle_preferences(record);
        break;
    case FMX_MSG_GET_STRING:
        handle_get_string(record);
        break;
    default:
        break;
    }
}

} // namespace

void dispatch(HostCallRecord *record) noexcept {
    if (!record)
        return;
    // Init answers "do not enable" unless it gets as far as an answer of its own.
    if (record->message == FMX_MSG_INIT)
        record->result = FMX_INIT_DO_NOT_ENABLE;
    try {
        if (record->message == FMX_MSG_IDLE) {
            // An idle that arrives while another host thread is inside a call
            // has nothing to do that the call does not do: it is skipped.
            std::unique_lock lock(host_call_lock(), std::try_to_lock);
            if (!lock)
                return;
            remember(*record);
            handle(*record);
            return;
        }
        const std::scoped_lock lock(host_call_lock());
        remember(*record);
        handle(*record);
    } catch (const std::exception &e) {
        // Nothing is thrown into the host.
        jni::report_boundary_failure("FMExternCallProc", e.what());
    } catch (...) {
        jni::report_boundary_failure("FMExternCallProc");
    }
}

} // namespace entry
