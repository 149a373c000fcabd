// The host thread's message loop, run while hosted code works on another
// thread. One process-wide counter: 0 when no loop runs.
#pragma once

namespace natives {

// Adds 1 to the counter; when it is then 1, dispatches the calling thread's
// messages until the counter changes, then sets it to 0. A stop before the
// start makes the start return at once; a start while a loop runs returns at
// once and ends that loop after its next message.
void start_event_loop();
// Adds 1 to the counter and wakes the loop's thread, so a waiting loop sees
// the stop without another message having to arrive.
void stop_event_loop();
int event_loop_counter();

} // namespace natives
