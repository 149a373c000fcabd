#include "natives/event_loop.h"

#include "log/log.h"
#include "platform/platform.h"

#include <deque>
#include <mutex>

namespace natives {
namespace {

struct Loop {
    platform::ThreadId thread;
    bool stopped = false;
};

// Shared between the looping threads and the threads that stop them.
struct LoopState {
    std::mutex mutex;
    std::deque<Loop *> waiting; // in the order the loops started
    std::size_t pendingStops = 0;
};

LoopState &loop_state() {
    static auto *instance = new LoopState;
    return *instance;
}

bool stopped(const Loop &loop) {
    auto &state = loop_state();
    const std::lock_guard lock(state.mutex);
    return loop.stopped;
}

} // namespace

void start_event_loop() {
    auto &state = loop_state();
    Loop loop{platform::current_thread()};
    {
        const std::lock_guard lock(state.mutex);
        if (state.pendingStops > 0) {
            --state.pendingStops;
            return;
        }
        state.waiting.push_back(&loop);
    }
    do {
        platform::Message message;
        const int result = platform::get_message(message);
        if (result < 1)
            vlog::log("*** Non-true result from GetMessage: %d\n", result);
        platform::dispatch_message(message);
    } while (!stopped(loop));
}

void stop_event_loop() {
    auto &state = loop_state();
    platform::ThreadId thread = 0;
    {
        const std::lock_guard lock(state.mutex);
        if (state.waiting.empty()) {
            ++state.pendingStops;
            return;
        }
        Loop *oldest = state.waiting.front();
        state.waiting.pop_front();
        oldest->stopped = true;
        thread = oldest->thread;
    }
    // The loop looks at its flag after each message: this one wakes it.
    platform::post_message(thread, platform::Message{platform::kWakeMessage, 0, 0});
}

std::size_t waiting_event_loops() {
    auto &state = loop_state();
    const std::lock_guard lock(state.mutex);
    return state.waiting.size();
}

std::size_t pending_stops() {
    auto &state = loop_state();
    const std::lock_guard lock(state.mutex);
    return state.pendingStops;
}

} // namespace natives
