#include "calc/builtins.h"

#include <string>
#include <unordered_map>

#include "lib/decimal_math.h"

namespace calc {

namespace {

const Builtin kBuiltins[] = {
    // Logic and evaluation.
    {"If", 2, 3, Special::If, nullptr},
    {"Case", 2, -1, Special::Case, nullptr},
    {"Choose", 2, -1, Special::Choose, nullptr},
    {"Let", 2, 2, Special::Let, nullptr},
    {"While", 4, 4, Special::While, nullptr},
    {"SetPrecision", 2, 2, Special::SetPrecision, nullptr},
    {"SetRecursion", 2, 2, Special::SetRecursion, nullptr},
    {"Get", 1, 1, Special::Get, nullptr},
    {"IsEmpty", 1, 1, Special::IsEmpty, nullptr},
    {"IsValid", 1, 1, Special::IsValid, nullptr},
    {"Evaluate", 1, 2, Special::Evaluate, nullptr},
    {"EvaluationError", 1, 1, Special::EvaluationError, nullptr},
    {"GetField", 1, 1, Special::GetField, nullptr},
    {"GetAsBoolean", 1, 1, Special::None, fn::getAsBoolean},
    // Conversions.
    {"GetAsText", 1, 1, Special::None, fn::getAsText},
    {"GetAsNumber", 1, 1, Special::None, fn::getAsNumber},
    {"GetAsDate", 1, 1, Special::None, fn::getAsDate},
    {"GetAsTime", 1, 1, Special::None, fn::getAsTime},
    {"GetAsTimestamp", 1, 1, Special::None, fn::getAsTimestamp},
    {"GetAsURLEncoded", 1, 1, Special::None, fn::getAsURLEncoded},
    {"Base64Encode", 1, 1, Special::None, fn::base64Encode},
    {"Base64Decode", 1, 2, Special::None, fn::base64Decode},
    // Text.
    {"Length", 1, 1, Special::None, fn::length},
    {"Left", 2, 2, Special::None, fn::left},
    {"Right", 2, 2, Special::None, fn::right},
    {"Middle", 3, 3, Special::None, fn::middle},
    {"Position", 4, 4, Special::None, fn::position},
    {"Substitute", 2, -1, Special::Lists, fn::substitute, 2},
    {"Upper", 1, 1, Special::None, fn::upper},
    {"Lower", 1, 1, Special::None, fn::lower},
    {"Proper", 1, 1, Special::None, fn::proper},
    {"Trim", 1, 1, Special::None, fn::trim},
    {"TrimAll", 3, 3, Special::None, fn::trimAll},
    {"Quote", 1, 1, Special::None, fn::quote},
    {"List", 1, -1, Special::None, fn::list},
    {"PatternCount", 2, 2, Special::None, fn::patternCount},
    {"Exact", 2, 2, Special::None, fn::exact},
    {"Replace", 4, 4, Special::None, fn::replace},
    {"WordCount", 1, 1, Special::None, fn::wordCount},
    {"LeftWords", 2, 2, Special::None, fn::leftWords},
    {"RightWords", 2, 2, Special::None, fn::rightWords},
    {"MiddleWords", 3, 3, Special::None, fn::middleWords},
    {"Filter", 2, 2, Special::None, fn::filter},
    {"Char", 1, 1, Special::None, fn::charFn},
    {"Code", 1, 1, Special::None, fn::code},
    {"FieldType", 2, 2, Special::None, fn::fieldType},
    // Value lists.
    {"ValueCount", 1, 1, Special::None, fn::valueCount},
    {"GetValue", 2, 2, Special::None, fn::getValue},
    {"LeftValues", 2, 2, Special::None, fn::leftValues},
    {"RightValues", 2, 2, Special::None, fn::rightValues},
    {"MiddleValues", 3, 3, Special::None, fn::middleValues},
    {"FilterValues", 2, 2, Special::None, fn::filterValues},
    {"SortValues", 1, 3, Special::None, fn::sortValues},
    {"UniqueValues", 1, 3, Special::None, fn::uniqueValues},
    // Dates and times.
    {"Date", 3, 3, Special::None, fn::date},
    {"Time", 3, 3, Special::None, fn::time},
    {"Timestamp", 2, 2, Special::None, fn::timestamp},
    {"Year", 1, 1, Special::None, fn::year},
    {"Month", 1, 1, Special::None, fn::month},
    {"Day", 1, 1, Special::None, fn::day},
    {"DayOfWeek", 1, 1, Special::None, fn::dayOfWeek},
    {"DayOfYear", 1, 1, Special::None, fn::dayOfYear},
    {"WeekOfYear", 1, 1, Special::None, fn::weekOfYear},
    {"WeekOfYearFiscal", 2, 2, Special::None, fn::weekOfYearFiscal},
    {"DayName", 1, 1, Special::None, fn::dayName},
    {"MonthName", 1, 1, Special::None, fn::monthName},
    {"Hour", 1, 1, Special::None, fn::hour},
    {"Minute", 1, 1, Special::None, fn::minute},
    {"Seconds", 1, 1, Special::None, fn::seconds},
    // Numbers.
    {"Abs", 1, 1, Special::None, fn::abs},
    {"Round", 2, 2, Special::None, fn::round},
    {"Truncate", 2, 2, Special::None, fn::truncate},
    {"Int", 1, 1, Special::None, fn::intFn},
    {"Floor", 1, 1, Special::None, fn::floor},
    {"Ceiling", 1, 1, Special::None, fn::ceiling},
    {"Mod", 2, 2, Special::None, fn::mod},
    {"Div", 2, 2, Special::None, fn::div},
    {"Sign", 1, 1, Special::None, fn::sign},
    {"Sqrt", 1, 1, Special::None, fn::sqrt},
    {"Exp", 1, 1, Special::None, fn::exp},
    {"Ln", 1, 1, Special::None, fn::ln},
    {"Log", 1, 1, Special::None, fn::log},
    {"Lg", 1, 1, Special::None, fn::lg},
    {"Sin", 1, 1, Special::None, fn::sin},
    {"Cos", 1, 1, Special::None, fn::cos},
    {"Tan", 1, 1, Special::None, fn::tan},
    {"Asin", 1, 1, Special::None, fn::asin},
    {"Acos", 1, 1, Special::None, fn::acos},
    {"Atan", 1, 1, Special::None, fn::atan},
    {"Degrees", 1, 1, Special::None, fn::degrees},
    {"Radians", 1, 1, Special::None, fn::radians},
    {"Factorial", 1, 2, Special::None, fn::factorial},
    {"Combination", 2, 2, Special::None, fn::combination},
    {"Min", 1, -1, Special::None, fn::min},
    {"Max", 1, -1, Special::None, fn::max},
    {"Sum", 1, -1, Special::None, fn::sum},
    {"Average", 1, -1, Special::None, fn::average},
    {"Count", 1, -1, Special::None, fn::count},
    {"Random", 0, 0, Special::None, fn::random},
    {"Pi", 0, 0, Special::None, fn::pi},
    // JSON.
    {"JSONGetElement", 2, 2, Special::None, fn::jsonGetElement},
    {"JSONGetElementType", 2, 2, Special::None, fn::jsonGetElementType},
    {"JSONSetElement", 2, -1, Special::Lists, fn::jsonSetElement, 3},
    {"JSONDeleteElement", 2, 2, Special::None, fn::jsonDeleteElement},
    {"JSONListKeys", 2, 2, Special::None, fn::jsonListKeys},
    {"JSONListValues", 2, 2, Special::None, fn::jsonListValues},
    {"JSONFormatElements", 1, 1, Special::None, fn::jsonFormatElements},
    {"JSONRaw", 0, 0, Special::None, fn::jsonRaw},
    {"JSONString", 0, 0, Special::None, fn::jsonString},
    {"JSONNumber", 0, 0, Special::None, fn::jsonNumber},
    {"JSONObject", 0, 0, Special::None, fn::jsonObject},
    {"JSONArray", 0, 0, Special::None, fn::jsonArray},
    {"JSONBoolean", 0, 0, Special::None, fn::jsonBoolean},
    {"JSONNull", 0, 0, Special::None, fn::jsonNull},
};

std::string lowered(std::string_view s) {
    std::string out(s);
    for (auto& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
}

Value unknown() { return Value::text("?"); }

bool isTemporal(const Value& v) {
    const Type t = v.type();
    return !v.isEmpty() && (t == Type::Date || t == Type::Time || t == Type::Timestamp);
}

// A date some whole days away, "?" outside the calendar.
Value shiftedDate(const Decimal& day, const Decimal& offset) {
    const auto moved = day.plus(offset.rounded(0, Decimal::Rounding::TowardZero));
    if (!moved || moved->compare(Decimal::from_int64(fmhost::kFirstDay)) < 0 ||
        moved->compare(Decimal::from_int64(fmhost::kLastDay)) > 0)
        return unknown();
    return Value::date(moved->to_int64());
}

// Seconds of a date's midnight since 1/1/0001 0:00:00.
Decimal midnight(const Decimal& day) {
    return day.minus(Decimal::from_int64(1))
        .value_or(Decimal())
        .times(Decimal::from_int64(fmhost::kSecondsPerDay))
        .value_or(Decimal());
}

}  // namespace

const Builtin* findBuiltin(std::string_view name) {
    static const auto index = [] {
        std::unordered_map<std::string, const Builtin*> m;
        for (const auto& b : kBuiltins) m.emplace(lowered(b.name), &b);
        return m;
    }();
    const auto it = index.find(lowered(name));
    return it == index.end() ? nullptr : it->second;
}

namespace fnutil {

long long integer(const Value& v) {
    const auto n = v.toNumber();
    if (!n) return 0;
    return n->to_int64();
}

Value arithmetic(char op, const Value& left, const Value& right, std::int32_t precision) {
    const Decimal l = left.numberOrZero();
    const Decimal r = right.numberOrZero();
    const Type lt = isTemporal(left) ? left.type() : Type::Number;
    const Type rt = isTemporal(right) ? right.type() : Type::Number;
    auto time = [](const std::optional<Decimal>& seconds) { return seconds ? Value::time(*seconds) : unknown(); };
    auto stamp = [](const std::optional<Decimal>& seconds) { return seconds ? Value::timestamp(*seconds) : unknown(); };
    switch (op) {
        case '+':
            if (lt == Type::Date && rt == Type::Number) return shiftedDate(l, r);
            if (rt == Type::Date && lt == Type::Number) return shiftedDate(r, l);
            if (lt == Type::Date && rt == Type::Time) return stamp(midnight(l).plus(r));
            if (rt == Type::Date && lt == Type::Time) return stamp(midnight(r).plus(l));
            if (lt == Type::Time && (rt == Type::Number || rt == Type::Time)) return time(l.plus(r));
            if (rt == Type::Time && lt == Type::Number) return time(l.plus(r));
            if (lt == Type::Timestamp && (rt == Type::Number || rt == Type::Time)) return stamp(l.plus(r));
            if (rt == Type::Timestamp && (lt == Type::Number || lt == Type::Time)) return stamp(l.plus(r));
            return Value::checked(l.plus(r));
        case '-':
            if (lt == Type::Date && rt == Type::Date) return Value::checked(l.minus(r));
            if (lt == Type::Date && rt == Type::Number) return shiftedDate(l, r.negated());
            if (lt == Type::Time && (rt == Type::Number || rt == Type::Time)) return time(l.minus(r));
            if (lt == Type::Timestamp && rt == Type::Timestamp) return Value::checked(l.minus(r));
            if (lt == Type::Timestamp && (rt == Type::Number || rt == Type::Time)) return stamp(l.minus(r));
            return Value::checked(l.minus(r));
        case '*': return Value::checked(l.times(r));
        case '/': return Value::checked(l.divided(r, precision));
        case '^': return Value::checked(fmhost::decimal_math::power(l, r, precision));
        default: return unknown();
    }
}

}  // namespace fnutil

}  // namespace calc
