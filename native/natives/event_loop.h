// The host thread's message loop, run while hosted code works on another
// thread: a host thread that waits for the window system's event thread
// keeps dispatching its own messages meanwhile.
//
// Each loop belongs to the thread that started it, and stops are matched
// with loops in the order the loops started: a stop ends the oldest loop
// that is still waiting (waking its thread), or, when none waits, is kept for
// the next start, which then returns at once. A start while other loops run,
// on the same thread (nested inside a dispatched message) or on another one,
// waits for its own stop and leaves the running loops alone.
#pragma once

#include <cstddef>

namespace natives {

// Dispatches the calling thread's messages until a stop has ended this loop.
void start_event_loop();
// Ends the oldest waiting loop, or makes the next start return at once.
void stop_event_loop();

// Loops now waiting, and stops kept for the next starts.
std::size_t waiting_event_loops();
std::size_t pending_stops();

} // namespace natives
