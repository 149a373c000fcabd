// Calculation environments, registered functions, the evaluator hook and
// argument vectors.
//
// RegisterExternalFunction returns 0 when the function was registered and -1
// (error code 2) when it was refused: a null callback, an empty name, limits
// other than 0 <= minArgs <= maxArgs (or maxArgs -1), or a name that another
// function (other plug-in id or function id) has already, letter case aside.
// Registering the same plug-in id and function id again replaces the entry.
// registered_functions() and the entry find_function() returns stay valid
// until the next registration or clear_registered_functions().
//
// The datavect_ controls throw std::invalid_argument for an object that is
// not a live one of theirs, and std::bad_alloc when memory runs out.
#include "fmhost/host_control.h"
#include "lib/guard.h"
#include "lib/objects.h"

#include <memory>
#include <mutex>
#include <stdexcept>

using namespace fmhost;
using namespace fmhost::detail;

namespace {

constexpr int16_t kNoEvaluator = 1200;

struct Functions {
    std::mutex mutex;
    std::vector<RegisteredFunction> list;
};

Functions &functions() {
    static Functions *instance = new Functions;
    return *instance;
}

struct EvaluatorSlot {
    std::mutex mutex;
    std::shared_ptr<const Evaluator> evaluator;
};

EvaluatorSlot &evaluator_slot() {
    static EvaluatorSlot *instance = new EvaluatorSlot;
    return *instance;
}

char16_t fold(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// ASCII letters compare without case.
bool same_name(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

} // namespace

namespace fmhost {

const std::vector<RegisteredFunction> &registered_functions() { return functions().list; }

const RegisteredFunction *find_function(std::u16string_view name) {
    Functions &table = functions();
    std::lock_guard lock(table.mutex);
    for (const RegisteredFunction &function : table.list)
        if (same_name(function.name, name))
            return &function;
    return nullptr;
}

void clear_registered_functions() {
    Functions &table = functions();
    std::lock_guard lock(table.mutex);
    table.list.clear();
}

void set_evaluator(Evaluator evaluator) {
    auto shared = evaluator ? std::make_shared<const Evaluator>(std::move(evaluator)) : nullptr;
    EvaluatorSlot &slot = evaluator_slot();
    std::lock_guard lock(slot.mutex);
    slot.evaluator = std::move(shared);
}

void set_env_context(FMX_ExprEnv *env, void *context) {
    if (!is_live(Kind::ExprEnv, env, false))
        throw std::invalid_argument("set_env_context: not a live environment");
    env->context = context;
}

void *env_context(const FMX_ExprEnv *env) {
    if (!is_live(Kind::ExprEnv, env, true))
        return nullptr;
    return env->context;
}

FMX_DataVect *datavect_new() { return construct<FMX_DataVect>(); }

void datavect_push(FMX_DataVect *vect, const FMX_Data *value) {
    if (!is_live(Kind::DataVect, vect, false) || !is_live(Kind::Data, value, true))
        throw std::invalid_argument("datavect_push: not a live vector or value");
    FMX_Data copy;
    copy.value = value->value;
    vect->items.emplace_back(std::move(copy));
}

void datavect_delete(FMX_DataVect *vect) {
    if (!vect)
        return;
    if (!unregister_owned(Kind::DataVect, vect))
        throw std::invalid_argument("datavect_delete: not a live vector");
    delete vect;
}

} // namespace fmhost

extern "C" {

FMX_ExprEnv *FM_ExprEnv_Constructor1(int32_t kind, FMX_Error *err) {
    return guarded<FMX_ExprEnv *>(__func__, err, nullptr, [&] { return construct<FMX_ExprEnv>(kind); });
}

void FM_ExprEnv_Delete(FMX_ExprEnv *env, FMX_Error *err) {
    guarded(__func__, err, [&] { destroy(env); });
}

int16_t FM_ExprEnv_Evaluate(const FMX_ExprEnv *env, const FMX_Text *expression, FMX_Data *result, FMX_Error *err) {
    return guarded<int16_t>(__func__, err, kNoEvaluator, [&]() -> int16_t {
        readable(env);
        const FMX_Text &text = readable(expression);
        FMX_Data &target = writable(result);
        std::shared_ptr<const Evaluator> evaluator;
        {
            EvaluatorSlot &slot = evaluator_slot();
            std::lock_guard lock(slot.mutex);
            evaluator = slot.evaluator;
        }
        if (!evaluator)
            return kNoEvaluator;
        // Unlocked: an evaluation may call registered functions that
        // evaluate in turn.
        return (*evaluator)(env, text.text.chars(), &target);
    });
}

int16_t FM_ExprEnv_RegisterExternalFunction(const FMX_QuadChar *pluginId, int16_t functionId, const FMX_Text *name,
                                            const FMX_Text *prototype, int16_t minArgs, int16_t maxArgs,
                                            uint32_t typeFlags, FMX_FunctionCallback callback, FMX_Error *err) {
    return guarded<int16_t>(__func__, err, -1, [&]() -> int16_t {
        RegisteredFunction entry{readable(pluginId).value,
                                 functionId,
                                 readable(name).text.chars(),
                                 readable(prototype).text.chars(),
                                 minArgs,
                                 maxArgs,
                                 typeFlags,
                                 callback};
        const bool limitsOk = minArgs >= 0 && (maxArgs == -1 || maxArgs >= minArgs);
        if (!callback || entry.name.empty() || !limitsOk)
            fail();
        Functions &table = functions();
        std::lock_guard lock(table.mutex);
        RegisteredFunction *same = nullptr;
        for (RegisteredFunction &function : table.list) {
            const bool sameKey = function.pluginId == entry.pluginId && function.id == entry.id;
            if (sameKey)
                same = &function;
            else if (same_name(function.name, entry.name))
                fail();
        }
        if (same)
            *same = std::move(entry);
        else
            table.list.push_back(std::move(entry));
        return 0;
    });
}

uint32_t FM_DataVect_Size(const FMX_DataVect *vect, FMX_Error *err) {
    return guarded<uint32_t>(__func__, err, 0, [&] { return static_cast<uint32_t>(readable(vect).items.size()); });
}

const FMX_Data *FM_DataVect_At(const FMX_DataVect *vect, uint32_t index, FMX_Error *err) {
    return guarded<const FMX_Data *>(__func__, err, nullptr, [&]() -> const FMX_Data * {
        const FMX_DataVect &v = readable(vect);
        if (index >= v.items.size())
            fail();
        return v.items[index].get();
    });
}

} // extern "C"
