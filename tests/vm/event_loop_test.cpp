// The host thread's event loop without a VM: stops from other threads, a
// stop before the start, and a second start while a loop runs.
#include "natives/event_loop.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Runs the loop on a thread of its own; the future is ready when it returns.
struct Loop {
    std::atomic<platform::ThreadId> thread{0};
    std::future<void> done = std::async(std::launch::async, [this] {
        thread = platform::current_thread();
        natives::start_event_loop();
    });
    bool returned(std::chrono::milliseconds within) { return done.wait_for(within) == std::future_status::ready; }
    // A loop that a test failed to end is nudged with a message, so that a
    // failure does not hang the test in the future's destructor.
    ~Loop() {
        if (!returned(std::chrono::milliseconds(0)) && thread != 0) {
            natives::stop_event_loop();
            platform::post_message(thread, {0x0100, 0, 0});
        }
    }
};

// Waits (boundedly) until `count` loops wait for their stops.
void wait_until_waiting(std::size_t count = 1) {
    for (int i = 0; i < 2500 && natives::waiting_event_loops() != count; ++i)
        std::this_thread::sleep_for(2ms);
    ASSERT_EQ(natives::waiting_event_loops(), count);
}

TEST(EventLoop, StopFromAnotherThreadWakesTheWaitingLoop) {
    Loop loop;
    wait_until_waiting();
    EXPECT_FALSE(loop.returned(100ms)); // nothing arrives: it waits
    std::thread([] { natives::stop_event_loop(); }).join();
    EXPECT_TRUE(loop.returned(5s));
    EXPECT_EQ(natives::waiting_event_loops(), 0u);
    EXPECT_EQ(natives::pending_stops(), 0u);
}

TEST(EventLoop, StopBeforeStartReturnsAtOnce) {
    natives::stop_event_loop();
    const auto begin = std::chrono::steady_clock::now();
    natives::start_event_loop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 1s);
    EXPECT_EQ(natives::pending_stops(), 0u);
    // The next loop waits again.
    Loop loop;
    wait_until_waiting();
    EXPECT_FALSE(loop.returned(100ms));
    natives::stop_event_loop();
    EXPECT_TRUE(loop.returned(5s));
    EXPECT_EQ(natives::waiting_event_loops(), 0u);
}

TEST(EventLoop, MessagesAndQuitDoNotEndTheLoop) {
    Loop loop;
    wait_until_waiting();
    while (loop.thread == 0)
        std::this_thread::sleep_for(1ms);
    platform::post_message(loop.thread, {0x0100, 0, 0});
    platform::post_message(loop.thread, {platform::kQuitMessage, 0, 0});
    EXPECT_FALSE(loop.returned(200ms));
    natives::stop_event_loop();
    EXPECT_TRUE(loop.returned(5s));
}

TEST(EventLoop, ASecondStartWaitsForItsOwnStopAndLosesNone) {
    // Two loops at once: each stop ends one loop, oldest first, and no stop
    // is lost (a start used to reset the shared count, so the next stop
    // never reached the first loop and its thread waited for ever).
    Loop first;
    wait_until_waiting(1);
    Loop second;
    wait_until_waiting(2);
    natives::stop_event_loop();
    EXPECT_TRUE(first.returned(5s));
    EXPECT_FALSE(second.returned(100ms));
    natives::stop_event_loop();
    EXPECT_TRUE(second.returned(5s));
    EXPECT_EQ(natives::waiting_event_loops(), 0u);
    EXPECT_EQ(natives::pending_stops(), 0u);
}

TEST(EventLoop, AStopAfterTheLoopEndedLeavesNothingInItsThreadsQueue) {
    // The loop runs on this thread, which lives on after it, as the host's does.
    std::thread stopper([] {
        wait_until_waiting();
        natives::stop_event_loop();
    });
    natives::start_event_loop();
    stopper.join();
    natives::stop_event_loop(); // no loop runs now: kept for the next start
    natives::start_event_loop(); // returns at once
    EXPECT_EQ(natives::pending_stops(), 0u);

    constexpr std::uint32_t kMarker = 0x0101;
    platform::post_message(platform::current_thread(), {kMarker, 0, 0});
    platform::Message message;
    platform::get_message(message);
    const std::uint32_t first = message.id;
    while (message.id != kMarker)
        platform::get_message(message);
    EXPECT_EQ(first, kMarker);
}

} // namespace
