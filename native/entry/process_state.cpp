#include "entry/process_state.h"

namespace entry {

ProcessState &state() {
    static ProcessState instance;
    return instance;
}

} // namespace entry
