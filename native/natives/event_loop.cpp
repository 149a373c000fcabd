#include "natives/event_loop.h"

#include "log/log.h"
#include "platform/platform.h"

#include <mutex>

namespace natives {
namespace {

// Shared between the host thread and the thread that stops the loop; the
// lock keeps the count and the loop's thread consistent, so a stop always
// wakes the thread whose loop it ends.
struct LoopState {
    std::mutex mutex;
    int counter = 0;
    platform::ThreadId thread = 0; // the thread of the running loop, 0 when none runs
};

LoopState &loop_state() {
    static LoopState instance;
    return instance;
}

int counter_now() {
    auto &state = loop_state();
    std::lock_guard lock(state.mutex);
    return state.counter;
}

} // namespace

void start_event_loop() {
    auto &state = loop_state();
    const platform::ThreadId self = platform::current_thread();
    bool run = false;
    {
        std::lock_guard lock(state.mutex);
        run = ++state.counter == 1;
        if (run)
            state.thread = self;
    }
    if (run) {
        do {
            platform::Message message;
            const int result = platform::get_message(message);
            if (result < 1)
                vlog::log("*** Non-true result from GetMessage: %d\n", result);
            platform::dispatch_message(message);
        } while (counter_now() == 1);
    }
    std::lock_guard lock(state.mutex);
    state.counter = 0;
    // No loop runs on this thread any more: a later stop must not leave a
    // stray wake message in its queue.
    if (run)
        state.thread = 0;
}

void stop_event_loop() {
    auto &state = loop_state();
    platform::ThreadId thread = 0;
    {
        std::lock_guard lock(state.mutex);
        ++state.counter;
        thread = state.thread;
    }
    if (thread != 0)
        platform::post_message(thread, platform::Message{platform::kWakeMessage, 0, 0});
}

int event_loop_counter() { return counter_now(); }

} // namespace natives
