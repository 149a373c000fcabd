// The built-in functions: their names, argument counts and implementations.
// Functions that need their arguments unevaluated (If, Case, Let, ...) are
// marked special and carried out by the evaluator; the rest receive their
// evaluated arguments.
#ifndef CALC_BUILTINS_H
#define CALC_BUILTINS_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "calc/context.h"
#include "calc/value.h"

namespace calc {

// Where an eager built-in runs: its context, the position of its name for
// the errors it reports, and the digits after the point of inexact results.
struct CallSite {
    Context& context;
    std::size_t pos;
    std::int32_t precision = kDefaultPrecision;
};

using BuiltinFn = Value (*)(const std::vector<Value>& args, const CallSite& site);

enum class Special {
    None,
    If,
    Case,
    Choose,
    Let,
    While,
    SetPrecision,
    SetRecursion,
    IsEmpty,
    IsValid,
    Evaluate,
    EvaluationError,
    GetField,
    Get,
    // Arguments after the first are either listArity plain arguments or
    // any number of [ ... ] lists of listArity items each; fn gets them
    // flattened (Substitute, JSONSetElement).
    Lists,
};

struct Builtin {
    std::string_view name;
    int minArgs;
    int maxArgs;  // -1: any number
    Special special;
    BuiltinFn fn;        // for Special::None and Special::Lists
    int listArity = 0;   // for Special::Lists
};

// The built-in of that name, in any case; null when there is none.
const Builtin* findBuiltin(std::string_view name);
// Whether a built-in is written without parentheses (Pi, JSONString, ...).
inline bool isConstant(const Builtin& builtin) { return builtin.maxArgs == 0; }

namespace fn {
// Text (text_functions.cpp).
Value getAsText(const std::vector<Value>& a, const CallSite& s);
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
Value trimAll(const std::vector<Value>& a, const CallSite& s);
Value quote(const std::vector<Value>& a, const CallSite& s);
Value list(const std::vector<Value>& a, const CallSite& s);
Value patternCount(const std::vector<Value>& a, const CallSite& s);
Value exact(const std::vector<Value>& a, const CallSite& s);
Value replace(const std::vector<Value>& a, const CallSite& s);
Value wordCount(const std::vector<Value>& a, const CallSite& s);
Value leftWords(const std::vector<Value>& a, const CallSite& s);
Value rightWords(const std::vector<Value>& a, const CallSite& s);
Value middleWords(const std::vector<Value>& a, const CallSite& s);
Value filter(const std::vector<Value>& a, const CallSite& s);
Value charFn(const std::vector<Value>& a, const CallSite& s);
Value code(const std::vector<Value>& a, const CallSite& s);
Value fieldType(const std::vector<Value>& a, const CallSite& s);

// Return-separated value lists (value_list_functions.cpp).
Value valueCount(const std::vector<Value>& a, const CallSite& s);
Value getValue(const std::vector<Value>& a, const CallSite& s);
Value leftValues(const std::vector<Value>& a, const CallSite& s);
Value rightValues(const std::vector<Value>& a, const CallSite& s);
Value middleValues(const std::vector<Value>& a, const CallSite& s);
Value filterValues(const std::vector<Value>& a, const CallSite& s);
Value sortValues(const std::vector<Value>& a, const CallSite& s);
Value uniqueValues(const std::vector<Value>& a, const CallSite& s);

// Encodings (encoding_functions.cpp).
Value getAsURLEncoded(const std::vector<Value>& a, const CallSite& s);
Value base64Encode(const std::vector<Value>& a, const CallSite& s);
Value base64Decode(const std::vector<Value>& a, const CallSite& s);

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
Value weekOfYear(const std::vector<Value>& a, const CallSite& s);
Value weekOfYearFiscal(const std::vector<Value>& a, const CallSite& s);
Value dayName(const std::vector<Value>& a, const CallSite& s);
Value monthName(const std::vector<Value>& a, const CallSite& s);
Value hour(const std::vector<Value>& a, const CallSite& s);
Value minute(const std::vector<Value>& a, const CallSite& s);
Value seconds(const std::vector<Value>& a, const CallSite& s);

// Numbers and logic (number_functions.cpp).
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
Value lg(const std::vector<Value>& a, const CallSite& s);
Value sin(const std::vector<Value>& a, const CallSite& s);
Value cos(const std::vector<Value>& a, const CallSite& s);
Value tan(const std::vector<Value>& a, const CallSite& s);
Value asin(const std::vector<Value>& a, const CallSite& s);
Value acos(const std::vector<Value>& a, const CallSite& s);
Value atan(const std::vector<Value>& a, const CallSite& s);
Value degrees(const std::vector<Value>& a, const CallSite& s);
Value radians(const std::vector<Value>& a, const CallSite& s);
Value factorial(const std::vector<Value>& a, const CallSite& s);
Value combination(const std::vector<Value>& a, const CallSite& s);
Value min(const std::vector<Value>& a, const CallSite& s);
Value max(const std::vector<Value>& a, const CallSite& s);
Value sum(const std::vector<Value>& a, const CallSite& s);
Value average(const std::vector<Value>& a, const CallSite& s);
Value count(const std::vector<Value>& a, const CallSite& s);
Value random(const std::vector<Value>& a, const CallSite& s);
Value pi(const std::vector<Value>& a, const CallSite& s);

// JSON (json_functions.cpp).
Value jsonGetElement(const std::vector<Value>& a, const CallSite& s);
Value jsonGetElementType(const std::vector<Value>& a, const CallSite& s);
Value jsonSetElement(const std::vector<Value>& a, const CallSite& s);  // json, then key/value/type triples
Value jsonDeleteElement(const std::vector<Value>& a, const CallSite& s);
Value jsonListKeys(const std::vector<Value>& a, const CallSite& s);
Value jsonListValues(const std::vector<Value>& a, const CallSite& s);
Value jsonFormatElements(const std::vector<Value>& a, const CallSite& s);
Value jsonRaw(const std::vector<Value>& a, const CallSite& s);
Value jsonString(const std::vector<Value>& a, const CallSite& s);
Value jsonNumber(const std::vector<Value>& a, const CallSite& s);
Value jsonObject(const std::vector<Value>& a, const CallSite& s);
Value jsonArray(const std::vector<Value>& a, const CallSite& s);
Value jsonBoolean(const std::vector<Value>& a, const CallSite& s);
Value jsonNull(const std::vector<Value>& a, const CallSite& s);
}  // namespace fn

// Helpers shared by the function files.
namespace fnutil {
// The argument as a whole number (truncated), 0 when empty; saturated to
// the range of long long.
long long integer(const Value& v);
// The arithmetic of the operators + - * / ^ on two values; division and
// fractional powers keep `precision` digits after the point.
Value arithmetic(char op, const Value& left, const Value& right, std::int32_t precision);
}  // namespace fnutil

}  // namespace calc

#endif
