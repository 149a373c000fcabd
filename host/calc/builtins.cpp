#include "calc/builtins.h"

#include <cmath>
#include <random>
#include <string>
#include <unordered_map>

namespace calc {

namespace {

const Builtin kBuiltins[] = {
    // Logic and evaluation.
    {"If", 2, 3, Special::If, nullptr},
    {"Case", 2, -1, Special::Case, nullptr},
    {"Choose", 2, -1, Special::Choose, nullptr},
    {"Let", 2, 2, Special::Let, nullptr},
    {"Get", 1, 1, Special::Get, nullptr},
    {"IsEmpty", 1, 1, Special::IsEmpty, nullptr},
    {"IsValid", 1, 1, Special::IsValid, nullptr},
    {"Evaluate", 1, 2, Special::Evaluate, nullptr},
    {"EvaluationError", 1, 1, Special::EvaluationError, nullptr},
    {"GetAsBoolean", 1, 1, Special::None, fn::getAsBoolean},
    // Conversions.
    {"GetAsText", 1, 1, Special::None, fn::getAsText},
    {"GetAsNumber", 1, 1, Special::None, fn::getAsNumber},
    {"GetAsDate", 1, 1, Special::None, fn::getAsDate},
    {"GetAsTime", 1, 1, Special::None, fn::getAsTime},
    {"GetAsTimestamp", 1, 1, Special::None, fn::getAsTimestamp},
    // Text.
    {"Length", 1, 1, Special::None, fn::length},
    {"Left", 2, 2, Special::None, fn::left},
    {"Right", 2, 2, Special::None, fn::right},
    {"Middle", 3, 3, Special::None, fn::middle},
    {"Position", 4, 4, Special::None, fn::position},
    {"Substitute", 2, -1, Special::Substitute, fn::substitute},
    {"Upper", 1, 1, Special::None, fn::upper},
    {"Lower", 1, 1, Special::None, fn::lower},
    {"Proper", 1, 1, Special::None, fn::proper},
    {"Trim", 1, 1, Special::None, fn::trim},
    {"Quote", 1, 1, Special::None, fn::quote},
    {"List", 1, -1, Special::None, fn::list},
    {"PatternCount", 2, 2, Special::None, fn::patternCount},
    {"Exact", 2, 2, Special::None, fn::exact},
    {"Replace", 4, 4, Special::None, fn::replace},
    {"ValueCount", 1, 1, Special::None, fn::valueCount},
    {"GetValue", 2, 2, Special::None, fn::getValue},
    {"LeftValues", 2, 2, Special::None, fn::leftValues},
    {"RightValues", 2, 2, Special::None, fn::rightValues},
    {"MiddleValues", 3, 3, Special::None, fn::middleValues},
    {"WordCount", 1, 1, Special::None, fn::wordCount},
    {"LeftWords", 2, 2, Special::None, fn::leftWords},
    {"RightWords", 2, 2, Special::None, fn::rightWords},
    {"MiddleWords", 3, 3, Special::None, fn::middleWords},
    {"Filter", 2, 2, Special::None, fn::filter},
    {"Char", 1, 1, Special::None, fn::charFn},
    {"Code", 1, 1, Special::None, fn::code},
    {"FieldType", 2, 2, Special::None, fn::fieldType},
    // Dates and times.
    {"Date", 3, 3, Special::None, fn::date},
    {"Time", 3, 3, Special::None, fn::time},
    {"Timestamp", 2, 2, Special::None, fn::timestamp},
    {"Year", 1, 1, Special::None, fn::year},
    {"Month", 1, 1, Special::None, fn::month},
    {"Day", 1, 1, Special::None, fn::day},
    {"DayOfWeek", 1, 1, Special::None, fn::dayOfWeek},
    {"DayOfYear", 1, 1, Special::None, fn::dayOfYear},
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
    {"Min", 1, -1, Special::None, fn::min},
    {"Max", 1, -1, Special::None, fn::max},
    {"Sum", 1, -1, Special::None, fn::sum},
    {"Average", 1, -1, Special::None, fn::average},
    {"Count", 1, -1, Special::None, fn::count},
    {"Random", 0, 0, Special::None, fn::random},
    {"Pi", 0, 0, Special::None, fn::pi},
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

Value checkedDate(long double day) {
    if (!std::isfinite(day) || day < 1 || day > static_cast<long double>(kLastDay)) return unknown();
    return Value::date(static_cast<std::int64_t>(day));
}

Value checkedNumber(long double n) {
    if (!std::isfinite(n)) return unknown();
    return Value::number(n);
}

// The number of a value that has one, else no value (for "?" results).
std::optional<long double> num(const Value& v) { return v.toNumber(); }

Value unaryMath(const std::vector<Value>& a, long double (*f)(long double)) {
    const auto n = num(a[0]);
    if (!n) return Value::empty(Type::Number);
    return checkedNumber(f(*n));
}

// Rounds n to the given count of decimal places with the rounding function.
Value roundTo(const std::vector<Value>& a, long double (*f)(long double)) {
    const auto n = num(a[0]);
    if (!n) return Value::empty(Type::Number);
    const long long places = fnutil::integer(a[1]);
    if (places > 400 || places < -400) return Value::number(*n);
    const long double scale = std::pow(10.0L, static_cast<long double>(places));
    const long double scaled = canonicalNumber(*n * scale);
    return checkedNumber(canonicalNumber(f(scaled) / scale));
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
    if (!n || !std::isfinite(*n)) return 0;
    const long double t = std::trunc(canonicalNumber(*n));
    if (t > 9e18L) return 9000000000000000000LL;
    if (t < -9e18L) return -9000000000000000000LL;
    return static_cast<long long>(t);
}

Value arithmetic(char op, const Value& left, const Value& right) {
    const long double l = left.numberOrZero();
    const long double r = right.numberOrZero();
    const Type lt = isTemporal(left) ? left.type() : Type::Number;
    const Type rt = isTemporal(right) ? right.type() : Type::Number;
    switch (op) {
        case '+':
            if (lt == Type::Date && rt == Type::Number) return checkedDate(l + std::trunc(r));
            if (rt == Type::Date && lt == Type::Number) return checkedDate(r + std::trunc(l));
            if (lt == Type::Date && rt == Type::Time) return Value::timestamp((l - 1) * 86400 + r);
            if (rt == Type::Date && lt == Type::Time) return Value::timestamp((r - 1) * 86400 + l);
            if (lt == Type::Time && (rt == Type::Number || rt == Type::Time)) return Value::time(l + r);
            if (rt == Type::Time && lt == Type::Number) return Value::time(l + r);
            if (lt == Type::Timestamp && (rt == Type::Number || rt == Type::Time)) return Value::timestamp(l + r);
            if (rt == Type::Timestamp && (lt == Type::Number || lt == Type::Time)) return Value::timestamp(l + r);
            return checkedNumber(l + r);
        case '-':
            if (lt == Type::Date && rt == Type::Date) return Value::number(l - r);
            if (lt == Type::Date && rt == Type::Number) return checkedDate(l - std::trunc(r));
            if (lt == Type::Time && (rt == Type::Number || rt == Type::Time)) return Value::time(l - r);
            if (lt == Type::Timestamp && rt == Type::Timestamp) return Value::number(l - r);
            if (lt == Type::Timestamp && (rt == Type::Number || rt == Type::Time)) return Value::timestamp(l - r);
            return checkedNumber(l - r);
        case '*': return checkedNumber(l * r);
        case '/':
            if (canonicalNumber(r) == 0) return unknown();
            return checkedNumber(l / r);
        case '^': {
            if (l == 0 && r < 0) return unknown();
            return checkedNumber(std::pow(l, r));
        }
        default: return unknown();
    }
}

}  // namespace fnutil

namespace fn {

Value getAsNumber(const std::vector<Value>& a, const CallSite&) { return a[0].asNumber(); }
Value getAsBoolean(const std::vector<Value>& a, const CallSite&) { return Value::boolean(a[0].truth()); }

Value abs(const std::vector<Value>& a, const CallSite&) {
    return unaryMath(a, [](long double x) { return std::fabs(x); });
}
Value round(const std::vector<Value>& a, const CallSite&) {
    return roundTo(a, [](long double x) { return std::round(x); });
}
Value truncate(const std::vector<Value>& a, const CallSite&) {
    return roundTo(a, [](long double x) { return std::trunc(x); });
}
Value intFn(const std::vector<Value>& a, const CallSite&) {
    return unaryMath(a, [](long double x) { return std::trunc(canonicalNumber(x)); });
}
Value floor(const std::vector<Value>& a, const CallSite&) {
    return unaryMath(a, [](long double x) { return std::floor(canonicalNumber(x)); });
}
Value ceiling(const std::vector<Value>& a, const CallSite&) {
    return unaryMath(a, [](long double x) { return std::ceil(canonicalNumber(x)); });
}
Value sign(const std::vector<Value>& a, const CallSite&) {
    return unaryMath(a, [](long double x) -> long double {
        x = canonicalNumber(x);
        return x > 0 ? 1 : (x < 0 ? -1 : 0);
    });
}
Value sqrt(const std::vector<Value>& a, const CallSite&) {
    const auto n = num(a[0]);
    if (!n) return Value::empty(Type::Number);
    if (*n < 0) return unknown();
    return Value::number(std::sqrt(*n));
}
Value exp(const std::vector<Value>& a, const CallSite&) {
    return unaryMath(a, [](long double x) { return std::exp(x); });
}
Value ln(const std::vector<Value>& a, const CallSite&) {
    const auto n = num(a[0]);
    if (!n) return Value::empty(Type::Number);
    if (*n <= 0) return unknown();
    return Value::number(std::log(*n));
}
Value log(const std::vector<Value>& a, const CallSite&) {
    const auto n = num(a[0]);
    if (!n) return Value::empty(Type::Number);
    if (*n <= 0) return unknown();
    return Value::number(std::log10(*n));
}

Value mod(const std::vector<Value>& a, const CallSite&) {
    const long double n = canonicalNumber(a[0].numberOrZero());
    const long double d = canonicalNumber(a[1].numberOrZero());
    if (d == 0) return unknown();
    return checkedNumber(canonicalNumber(n - d * std::floor(canonicalNumber(n / d))));
}

Value div(const std::vector<Value>& a, const CallSite&) {
    const long double n = a[0].numberOrZero();
    const long double d = a[1].numberOrZero();
    if (canonicalNumber(d) == 0) return unknown();
    return checkedNumber(std::floor(canonicalNumber(n / d)));
}

Value min(const std::vector<Value>& a, const CallSite&) {
    const Value* best = nullptr;
    for (const auto& v : a) {
        if (v.isEmpty()) continue;
        if (!best || compare(v, *best) < 0) best = &v;
    }
    return best ? *best : Value::text("");
}

Value max(const std::vector<Value>& a, const CallSite&) {
    const Value* best = nullptr;
    for (const auto& v : a) {
        if (v.isEmpty()) continue;
        if (!best || compare(v, *best) > 0) best = &v;
    }
    return best ? *best : Value::text("");
}

Value sum(const std::vector<Value>& a, const CallSite&) {
    long double total = 0;
    for (const auto& v : a) total += v.numberOrZero();
    return checkedNumber(total);
}

Value average(const std::vector<Value>& a, const CallSite&) {
    long double total = 0;
    int n = 0;
    for (const auto& v : a) {
        if (const auto x = v.toNumber()) {
            total += *x;
            ++n;
        }
    }
    if (n == 0) return Value::empty(Type::Number);
    return checkedNumber(total / n);
}

Value count(const std::vector<Value>& a, const CallSite&) {
    long long n = 0;
    for (const auto& v : a) n += v.isEmpty() ? 0 : 1;
    return Value::number(static_cast<long double>(n));
}

Value random(const std::vector<Value>&, const CallSite&) {
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uniform_real_distribution<double> dist(0.0, 1.0);
    return Value::number(dist(engine));
}

Value pi(const std::vector<Value>&, const CallSite&) {
    return Value::number(3.14159265358979323846264338327950288L);
}

}  // namespace fn

}  // namespace calc
