#include "callbacks.h"

#include "calc/evaluator.h"
#include "calc/utf8.h"
#include "fmhost/host_control.h"
#include "lib/calc_bridge.h"

#include <vector>

namespace fmhost {

namespace {

// FileMaker's codes for what the call-backs report.
constexpr std::int16_t kFileMissing = 100;
constexpr std::int16_t kScriptMissing = 104;
constexpr std::int16_t kUnavailable = 3;

// The calling thread's call-backs, and the main thread's for threads that
// have none of their own.
thread_local HostCallbacks *current = nullptr;
HostCallbacks *primary = nullptr;

HostCallbacks *callbacks_here() { return current ? current : primary; }

std::string text_of(const FMX_Text *text) {
    FMX_Error err{};
    const std::uint32_t size = FM_Text_GetSize(text, &err);
    if (err.code != FMX_ERR_NONE)
        return {};
    std::vector<FMX_Unichar> units(size);
    FM_Text_GetUnicode(text, units.data(), 0, size, &err);
    if (err.code != FMX_ERR_NONE)
        return {};
    return calc::utf8::fromUtf16(std::u16string(units.begin(), units.end()));
}

std::int16_t FMX_CALL start_script_entry(const FMX_Text *fileName, const FMX_Text *scriptName, std::uint8_t control,
                                         const FMX_Data *parameter) {
    HostCallbacks *callbacks = callbacks_here();
    if (!callbacks)
        return kUnavailable;
    return callbacks->trigger(fileName, scriptName, control, parameter);
}

std::int16_t FMX_CALL current_env_entry(FMX_ExprEnv *env) {
    HostCallbacks *callbacks = callbacks_here();
    if (!callbacks)
        return kUnavailable;
    return callbacks->fill_environment(env);
}

std::int16_t code_of(int code) {
    return code >= INT16_MIN && code <= INT16_MAX ? static_cast<std::int16_t>(code) : calc::err::Generic;
}

} // namespace

HostCallbacks::HostCallbacks(Session &session) : session_(session) {
    current = this;
    if (primary)
        return;
    primary = this;
    set_evaluator([](const FMX_ExprEnv *env, std::u16string_view expression, FMX_Data *result) -> std::int16_t {
        HostCallbacks *callbacks = callbacks_here();
        if (!callbacks)
            return calc::err::Generic;
        try {
            Session &session = callbacks->session_;
            const auto *position = static_cast<const Session::Position *>(env_context(env));
            Session::Visit visit(session, position);
            calc::Result value = calc::evaluate(expression, session);
            if (!value)
                return code_of(value.error().code);
            set_value(*result, host_value(value.value()));
            return 0;
        } catch (...) {
            return calc::err::Generic;
        }
    });
}

HostCallbacks::~HostCallbacks() {
    if (current == this)
        current = nullptr;
    if (primary == this) {
        set_evaluator(nullptr);
        primary = nullptr;
    }
}

FMX_StartScriptCallback HostCallbacks::start_script() { return &start_script_entry; }
FMX_CurrentEnvCallback HostCallbacks::current_env() { return &current_env_entry; }

std::optional<TriggeredScript> HostCallbacks::next_triggered() {
    std::lock_guard lock(mutex_);
    if (triggered_.empty())
        return std::nullopt;
    TriggeredScript next = std::move(triggered_.front());
    triggered_.pop_front();
    return next;
}

std::int16_t HostCallbacks::trigger(const FMX_Text *fileName, const FMX_Text *scriptName, std::uint8_t control,
                                    const FMX_Data *parameter) {
    try {
        if (!fileName || !session_.solution().is_named(text_of(fileName)))
            return kFileMissing;
        const Script *script = scriptName ? session_.solution().find_script(text_of(scriptName)) : nullptr;
        if (!script)
            return kScriptMissing;
        TriggeredScript triggered{script->name, parameter ? calc_value(value_of(*parameter)) : calc::Value(),
                                  control};
        std::lock_guard lock(mutex_);
        triggered_.push_back(std::move(triggered));
        return 0;
    } catch (...) {
        return kUnavailable;
    }
}

std::int16_t HostCallbacks::fill_environment(FMX_ExprEnv *env) {
    try {
        set_env_context(env, const_cast<Session::Position *>(session_.position()));
        return 0;
    } catch (...) {
        return kUnavailable;
    }
}

} // namespace fmhost
