#include "entry/host_call_lock.h"

namespace entry {

std::recursive_mutex &host_call_lock() noexcept {
    // Never destroyed: a host thread may still call in while the process ends.
    static auto *lock = new std::recursive_mutex;
    return *lock;
}

} // namespace entry
