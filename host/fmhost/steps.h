// Runs script steps against the session and the plug-in.
//
// After every top-level step comes an idle point: the plug-in gets an idle
// message (idle state 0), and the scripts it started meanwhile run, each
// followed by another idle, as FileMaker runs a script that a plug-in
// triggers once the current step is done. The control a plug-in passes with
// a script decides what becomes of the running script (the script file or
// the -e steps): halt and exit end it once the triggered script has run
// (the two are alike here, since fmhost's idle points lie between top-level
// steps where no sub-script runs); resume and pause let it go on (no user
// is there to continue a paused script, so it continues at once). Lines
// typed at the console or read from standard input are no running script.
#pragma once

#include "callbacks.h"
#include "leaks.h"
#include "output.h"
#include "plugin.h"
#include "script.h"
#include "session.h"

#include <string_view>

namespace fmhost {

class Runner {
public:
    Runner(Session &session, HostCallbacks &callbacks, Output &output, Plugin *plugin, LeakCheck &leaks)
        : session_(session), callbacks_(callbacks), output_(output), plugin_(plugin), leaks_(leaks) {}

    // Runs one line as a top-level step (blank lines and comments are
    // skipped), then the idle point. Returns the step's result, or nothing
    // for a skipped line.
    std::optional<StepResult> run_line(std::string_view line);
    // The idle point alone.
    void idle_point(const std::string &after);

    // Whether top-level lines form a running script that a triggered
    // script's halt or exit ends.
    void set_script_running(bool running) { scriptRunning_ = running; }
    bool halted() const { return halted_; }

private:
    StepResult run_step(const Step &step);
    StepResult run_in_script(std::string_view line, const std::string &script);
    void perform(const Script &script, calc::Value parameter);
    void calculate(const Step &step, StepResult &result, calc::Value &value);
    void go_to_record(const Step &step, StepResult &result);

    Session &session_;
    HostCallbacks &callbacks_;
    Output &output_;
    Plugin *plugin_;
    LeakCheck &leaks_;
    bool scriptRunning_ = false;
    bool halted_ = false;
};

} // namespace fmhost
