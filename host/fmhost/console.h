// Steps from standard input: a pipe or file read line by line, each step run
// as soon as its line arrives, or the interactive console on a terminal.
#pragma once

#include "steps.h"

#include <cstdio>

namespace fmhost {

// Runs every line of `in` as a step until its end.
void run_stream(std::FILE *in, Runner &runner);

// The console: a prompt, one step per line edited with the line editor,
// and for an error a mark under the place where it was found. Ends at the
// end of input (Ctrl-D).
void run_console(std::FILE *in, Output &output, Runner &runner);

// Whether the stream is a terminal.
bool is_terminal(std::FILE *stream);

} // namespace fmhost
