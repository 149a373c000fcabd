#include "steps.h"

#include "import.h"

#include <cstdio>

namespace fmhost {

namespace {

// FileMaker's codes for steps that cannot do their work.
constexpr int kUnavailable = 3;
constexpr int kRecordMissing = 101;
constexpr int kScriptMissing = 104;
constexpr int kLayoutMissing = 105;

constexpr std::size_t kMaxScriptDepth = 64;
// A plug-in that keeps starting scripts from the scripts it started would
// never let an idle point end.
constexpr std::size_t kMaxTriggeredPerIdle = 1000;

class ScriptFrame {
public:
    ScriptFrame(Session &session, std::string name, calc::Value parameter) : session_(session) {
        session_.push_script(std::move(name), std::move(parameter));
    }
    ~ScriptFrame() { session_.pop_script(); }
    ScriptFrame(const ScriptFrame &) = delete;
    ScriptFrame &operator=(const ScriptFrame &) = delete;

private:
    Session &session_;
};

void fail(StepResult &result, int code, std::string message) {
    result.error = code;
    result.message = std::move(message);
}

} // namespace

std::optional<StepResult> Runner::run_line(std::string_view line) {
    if (is_skipped(line))
        return std::nullopt;
    StepResult result = run_in_script(line, "");
    idle_point("step \"" + result.step + "\"");
    return result;
}

StepResult Runner::run_in_script(std::string_view line, const std::string &script) {
    auto parsed = parse_step(line);
    StepResult result;
    if (parsed) {
        result = run_step(parsed.value());
    } else {
        result.step = step_text(line);
        fail(result, parsed.error().code, parsed.error().message);
        result.position = parsed.error().position;
    }
    result.script = script;
    session_.set_last_error(result.error);
    output_.step(result);
    return result;
}

void Runner::calculate(const Step &step, StepResult &result, calc::Value &value) {
    calc::Result outcome = session_.evaluate(step.calc.text);
    if (outcome) {
        value = std::move(outcome.value());
        return;
    }
    fail(result, outcome.error().code, outcome.error().message);
    result.position = step_position(step, step.calc, outcome.error().position);
}

StepResult Runner::run_step(const Step &step) {
    StepResult result;
    result.step = step.text;
    calc::Value value;
    switch (step.kind) {
    case StepKind::Calculation:
        calculate(step, result, value);
        if (result.error == 0)
            result.value = std::move(value);
        break;
    case StepKind::SetVariable:
        calculate(step, result, value);
        if (result.error == 0)
            session_.setVariable(step.name, value);
        break;
    case StepKind::GoToRecord:
        go_to_record(step, result);
        break;
    case StepKind::GoToLayout:
        if (!session_.go_to_layout(step.name))
            fail(result, kLayoutMissing, "Layout \"" + step.name + "\" is missing");
        break;
    case StepKind::PerformScript: {
        const Script *script = session_.solution().find_script(step.name);
        if (!script) {
            fail(result, kScriptMissing, "Script \"" + step.name + "\" is missing");
            break;
        }
        if (step.hasCalc)
            calculate(step, result, value);
        if (result.error != 0)
            break;
        if (session_.script_depth() >= kMaxScriptDepth) {
            fail(result, kUnavailable, "Scripts are nested more than " + std::to_string(kMaxScriptDepth) + " deep");
            break;
        }
        perform(*script, std::move(value));
        break;
    }
    case StepKind::ImportRecords: {
        calculate(step, result, value);
        if (result.error != 0)
            break;
        const ImportOutcome outcome = import_records(session_, value.toText(), step.name);
        for (const std::string &note : outcome.notes)
            std::fprintf(stderr, "fmhost: Import Records: %s\n", note.c_str());
        result.isImport = true;
        result.imported = outcome.imported;
        result.errorCode = outcome.errorCode;
        if (outcome.error != 0)
            fail(result, outcome.error, outcome.message);
        break;
    }
    case StepKind::Preferences:
        if (plugin_)
            plugin_->preferences();
        else
            fail(result, kUnavailable, "No plug-in is loaded");
        break;
    }
    return result;
}

void Runner::go_to_record(const Step &step, StepResult &result) {
    Table &table = session_.table();
    const std::size_t count = table.records.size();
    std::size_t target = 0;
    switch (step.move) {
    case Move::First:
        target = 1;
        break;
    case Move::Last:
        target = count;
        break;
    case Move::Next:
        target = table.current + 1;
        break;
    case Move::Previous:
        target = table.current > 1 ? table.current - 1 : 0;
        break;
    case Move::ByCalculation: {
        calc::Value value;
        calculate(step, result, value);
        if (result.error != 0)
            return;
        const auto number = value.toNumber();
        const auto whole = number ? number->rounded(0, fmhost::Decimal::Rounding::TowardZero).to_int64() : 0;
        if (whole < 1 || static_cast<std::size_t>(whole) > count) {
            fail(result, kRecordMissing,
                 "Record " + value.toText() + " is missing (the table " + table.name + " has " +
                     std::to_string(count) + ")");
            return;
        }
        target = static_cast<std::size_t>(whole);
        break;
    }
    }
    if (target < 1 || target > count) {
        fail(result, kRecordMissing,
             count == 0                      ? "The table " + table.name + " has no records"
             : step.move == Move::Previous ? std::string("This is the first record")
                                           : std::string("This is the last record"));
        return;
    }
    table.current = target;
}

void Runner::perform(const Script &script, calc::Value parameter) {
    ScriptFrame frame(session_, script.name, std::move(parameter));
    for (const std::string &line : script.lines)
        if (!is_skipped(line))
            run_in_script(line, script.name);
}

void Runner::idle_point(const std::string &after) {
    std::size_t started = 0;
    for (;;) {
        if (plugin_)
            plugin_->idle(0);
        auto next = callbacks_.next_triggered();
        if (!next)
            break;
        for (; next; next = callbacks_.next_triggered()) {
            if (++started > kMaxTriggeredPerIdle) {
                std::fprintf(stderr, "fmhost: the plug-in started more than %zu scripts at one idle; "
                                     "the rest are dropped\n", kMaxTriggeredPerIdle);
                while (callbacks_.next_triggered()) {
                }
                break;
            }
            if (const Script *script = session_.solution().find_script(next->name))
                perform(*script, std::move(next->parameter));
            if ((next->control == kHalt || next->control == kExit) && scriptRunning_ && !halted_) {
                halted_ = true;
                std::fprintf(stderr, "fmhost: script \"%s\" was started with %s: the running script ends\n",
                             next->name.c_str(), next->control == kHalt ? "halt" : "exit");
            }
        }
        if (started > kMaxTriggeredPerIdle) {
            if (plugin_)
                plugin_->idle(0);
            break;
        }
    }
    leaks_.check(after);
}

} // namespace fmhost
