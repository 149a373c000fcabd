// What a plug-in calls back into: the start-script and current-environment
// call-backs of the call record, and the evaluator behind
// FM_ExprEnv_Evaluate. Each host thread has its own session (one, unless
// --threads runs several): the call-backs work on the session of the thread
// they are called on, and a thread that has none (a plug-in's own thread)
// gets the main thread's. The session is not guarded; only the queue of
// started scripts is, since a plug-in thread may start a script.
#pragma once

#include "session.h"

#include "fmhost/plugin_interface.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace fmhost {

// Script controls a plug-in passes with a script it starts: what becomes of
// the script that is running.
enum ScriptControl : std::uint8_t { kHalt = 0, kExit = 1, kResume = 2, kPause = 3 };

struct TriggeredScript {
    std::string name;
    calc::Value parameter;
    std::uint8_t control = kPause;
};

// One per host thread: the call-backs are plain functions and find the
// calling thread's session through it. The first one made is the main
// thread's; making it installs the evaluator, destroying it removes it.
class HostCallbacks {
public:
    explicit HostCallbacks(Session &session);
    ~HostCallbacks();
    HostCallbacks(const HostCallbacks &) = delete;
    HostCallbacks &operator=(const HostCallbacks &) = delete;

    static FMX_StartScriptCallback start_script();
    static FMX_CurrentEnvCallback current_env();

    // Scripts a plug-in started, oldest first; they run at the next idle.
    std::optional<TriggeredScript> next_triggered();

    // The call-backs themselves, for the C entry points.
    std::int16_t trigger(const FMX_Text *fileName, const FMX_Text *scriptName, std::uint8_t control,
                         const FMX_Data *parameter);
    std::int16_t fill_environment(FMX_ExprEnv *env);

private:
    Session &session_;
    std::mutex mutex_; // a plug-in thread may start a script
    std::deque<TriggeredScript> triggered_;
};

} // namespace fmhost
