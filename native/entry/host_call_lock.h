// The one lock around every host call into the plug-in: each message and
// each registered function call holds it from start to end. It is
// re-entrant, so a call that arrives on a thread already inside one (a
// function evaluated in an expression the plug-in evaluates, a call the host
// delivers while its thread pumps messages for a GUI function) enters again;
// a call from another host thread waits until the running one has ended.
// The context a plug-in sees is therefore always its own call's, and the
// release pass of one call never frees another call's objects.
#pragma once

#include <mutex>

namespace entry {

std::recursive_mutex &host_call_lock() noexcept;

} // namespace entry
