// --threads: the same steps on several host threads at once, the way
// FileMaker Server evaluates calculations for several clients. Each thread
// has its own copy of the solution, with its own current record (thread k
// starts on record k of the current layout's table, counted round), and its
// own variables and scripts. The main thread keeps sending the plug-in idle
// messages meanwhile. The results follow once every thread has ended,
// thread by thread in order: plain lines with "[k] " in front, JSON lines
// with "thread": k.
#pragma once

#include "output.h"
#include "plugin.h"
#include "solution.h"

#include <string>
#include <vector>

namespace fmhost {

void run_on_threads(unsigned threads, const Solution &solution, const std::string &applicationVersion,
                    const std::vector<std::string> &lines, Output &output, Plugin *plugin);

} // namespace fmhost
