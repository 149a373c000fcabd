// The built-in functions: their names, argument counts and implementations.
// Functions that need their arguments unevaluated (If, Case, Let, ...) are
// marked special and carried out by the evaluator; the rest receive their
// evaluated arguments.
#ifndef CALC_BUILTINS_H
#define CALC_BUILTINS_H

#include <cstddef>
#include <string_view>
#include <vector>

#include "calc/context.h"
#include "calc/value.h"

namespace calc {

// Where an eager built-in runs: its context and the position of its name,
// for the errors it reports.
struct CallSite {
    Context& context;
    std::size_t pos;
};

using BuiltinFn = Value (*)(const std::vector<Value>& args, const CallSite& site);

enum class Special {
    None,
    If,
    Case,
    Choose,
    Let,
    IsEmpty,
    IsValid,
    Evaluate,
    EvaluationError,
    Get,
    Substitute,
};

struct Builtin {
    std::string_view name;
    int minArgs;
    int maxArgs;  // -1: any number
    Special special;
    BuiltinFn fn;  // for Special::None (and Substitute, which gets its pairs flattened)
};

// The built-in of that name, in any case; null when there is none.
const Builtin* findBuiltin(std::string_view name);

namespace fn {
// Text functions (text_functions.cpp).
Value length(const std::vector<Value>& a, const CallSite& s);
Value left(const std::vector<Value>& a, const CallSite& s);
Value right(const std::vector<Value>& a, const CallSite& s);
Value middle(const std::vector<Value>& a, const CallSite& s);
Value position(const std::vector<Value>& a, const CallSite& s);
Value substitute(const std::vector<Value>& a, const CallSite& s);  // text, then search/replace pairs
Value upper(const std::vector<Value>& a, const CallSite& s);
Value lower(const std::vector<Value>& a, const CallSite& s);
Value proper(const std::vector<Value>& a, const CallSite& s);
Value trim(const std::vector<Value>& a, const CallSite& s);
Value quote(const std::vector<Value>& a, const CallSite& s);
Value list(const std::vector<Value>& a, const CallSite& s);
Value patternCount(const std::vector<Value>& a, const CallSite& s);
Value exact(const std::vector<Value>& a, const CallSite& s);
Value replace(const std::vector<Value>& a, const CallSite& s);
Value valueCount(const std::vector<Value>& a, const CallSite& s);
Value getValue(const std::vector<Value>& a, const CallSite& s);
Value leftValues(const std::vector<Value>& a, const CallSite& s);
Value rightValues(const std::vector<Value>& a, const CallSite& s);
Value middleValues(const std::vector<Value>& a, const CallSite& s);
Value wordCount(const std::vector<Value>& a, const CallSite& s);
Value leftWords(const std::vector<Value>& a, const CallSite& s);
Value rightWords(const std::vector<Value>& a, const CallSite& s);
Value middleWords(const std::vector<Value>& a, const CallSite& s);
Value filter(const std::vector<Value>& a, const CallSite& s);
Value charFn(const std::vector<Value>& a, const CallSite& s);
Value code(const std::vector<Value>& a, const CallSite& s);
Value getAsText(const std::vector<Value>& a, const CallSite& s);
Value fieldType(const std::vector<Value>& a, const CallSite& s);

// Dates and times (date_functions.cpp).
Value getAsDate(const std::vector<Value>& a, const CallSite& s);
Value getAsTime(const std::vector<Value>& a, const CallSite& s);
Value getAsTimestamp(const std::vector<Value>& a, const CallSite& s);
Value date(const std::vector<Value>& a, const CallSite& s);
Value time(const std::vector<Value>& a, const CallSite& s);
Value timestamp(const std::vector<Value>& a, const CallSite& s);
Value year(const std::vector<Value>& a, const CallSite& s);
Value month(const std::vector<Value>& a, const CallSite& s);
Value day(const std::vector<Value>& a, const CallSite& s);
Value dayOfWeek(const std::vector<Value>& a, const CallSite& s);
Value dayOfYear(const std::vector<Value>& a, const CallSite& s);
Value dayName(const std::vector<Value>& a, const CallSite& s);
Value monthName(const std::vector<Value>& a, const CallSite& s);
Value hour(const std::vector<Value>& a, const CallSite& s);
Value minute(const std::vector<Value>& a, const CallSite& s);
Value seconds(const std::vector<Value>& a, const CallSite& s);

// Numbers and logic (builtins.cpp).
Value getAsNumber(const std::vector<Value>& a, const CallSite& s);
Value getAsBoolean(const std::vector<Value>& a, const CallSite& s);
Value abs(const std::vector<Value>& a, const CallSite& s);
Value round(const std::vector<Value>& a, const CallSite& s);
Value truncate(const std::vector<Value>& a, const CallSite& s);
Value intFn(const std::vector<Value>& a, const CallSite& s);
Value floor(const std::vector<Value>& a, const CallSite& s);
Value ceiling(const std::vector<Value>& a, const CallSite& s);
Value mod(const std::vector<Value>& a, const CallSite& s);
Value div(const std::vector<Value>& a, const CallSite& s);
Value sign(const std::vector<Value>& a, const CallSite& s);
Value sqrt(const std::vector<Value>& a, const CallSite& s);
Value exp(const std::vector<Value>& a, const CallSite& s);
Value ln(const std::vector<Value>& a, const CallSite& s);
Value log(const std::vector<Value>& a, const CallSite& s);
Value min(const std::vector<Value>& a, const CallSite& s);
Value max(const std::vector<Value>& a, const CallSite& s);
Value sum(const std::vector<Value>& a, const CallSite& s);
Value average(const std::vector<Value>& a, const CallSite& s);
Value count(const std::vector<Value>& a, const CallSite& s);
Value random(const std::vector<Value>& a, const CallSite& s);
Value pi(const std::vector<Value>& a, const CallSite& s);
}  // namespace fn

// Helpers shared by the function files.
namespace fnutil {
// The argument as a whole number (truncated), 0 when empty.
long long integer(const Value& v);
// The arithmetic of the operators + - * / ^ on two values.
Value arithmetic(char op, const Value& left, const Value& right);
}  // namespace fnutil

}  // namespace calc

#endif
