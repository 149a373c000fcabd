// What fmhost prints for each step: the result's text form, or with --json
// one JSON object per line:
//   {"step": ..., "error": 0, "type": "number", "text": "3"}
// with "message" and "position" for an error, "script" for a step of a
// performed or triggered script, and "imported" and "errorcode" for Import
// Records. "type" is text, number, date, time, timestamp, container, or
// empty for an empty value and a step without one.
#pragma once

#include "calc/errors.h"
#include "calc/value.h"
#include "fmhost/host_control.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace fmhost {

struct StepResult {
    std::string step;   // the step's text
    std::string script; // the script it ran in; empty at the top level
    int error = 0;
    std::string message;
    std::size_t position = calc::kNoPosition; // in characters of the step's text
    std::optional<calc::Value> value;          // a calculation's result
    bool isImport = false;
    std::size_t imported = 0;
    std::optional<int> errorCode; // the imported document's ERRORCODE
};

class Output {
public:
    Output(std::FILE *results, bool json) : results_(results), json_(json) {}

    // Prints the result and flushes, so that a program reading the other end
    // of a pipe sees it at once.
    void step(const StepResult &result);
    // The registered functions: name, id, minimum and maximum argument
    // count, flags and prototype.
    void functions(const std::vector<RegisteredFunction> &functions);

    // At the console: the column where the typed step starts, so that an
    // error is pointed at with a mark under the step (wide characters count
    // two columns). Results at the console show control characters escaped,
    // as messages always do.
    void set_caret_origin(std::optional<std::size_t> column) { caretOrigin_ = column; }

    // With --threads: the host thread (from 1) whose steps these are; JSON
    // lines then carry it as "thread".
    void set_thread(unsigned thread) { thread_ = thread; }

    std::FILE *stream() const { return results_; }
    bool json() const { return json_; }

private:
    std::FILE *results_;
    bool json_;
    std::optional<std::size_t> caretOrigin_;
    std::optional<unsigned> thread_;
};

} // namespace fmhost
