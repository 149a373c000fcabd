// Number functions. The exact ones work on the decimals as they are; the
// inexact ones round to the calculation's precision (CallSite::precision).
#include <random>

#include "calc/builtins.h"
#include "lib/decimal_math.h"

namespace calc::fn {

namespace {

using Rounding = Decimal::Rounding;

Value unknown() { return Value::text("?"); }

// The function of the first argument's number; empty for an empty argument.
template <class F>
Value unary(const std::vector<Value>& a, F f) {
    const auto n = a[0].toNumber();
    if (!n) return Value::empty(Type::Number);
    return Value::checked(f(*n));
}

using MathFunction = std::optional<Decimal> (*)(const Decimal&, std::int32_t);

Value inexact(const std::vector<Value>& a, const CallSite& s, MathFunction f) {
    return unary(a, [&](const Decimal& x) { return f(x, s.precision); });
}

// Round and Truncate: to a number of places after the point (negative
// places round to tens, hundreds, ...).
Value roundTo(const std::vector<Value>& a, Rounding mode) {
    const auto n = a[0].toNumber();
    if (!n) return Value::empty(Type::Number);
    const long long places = fnutil::integer(a[1]);
    if (places > kMaxNumberDigits) return Value::checked(*n);
    if (places < -kMaxNumberDigits - 1) return Value::number(std::int64_t{0});
    return Value::checked(n->rounded(static_cast<std::int32_t>(places), mode));
}

const Decimal& one() {
    static const Decimal value = Decimal::from_int64(1);
    return value;
}

// n × (n-1) × ... for `factors` factors; nothing past the range of numbers.
std::optional<Decimal> fallingProduct(long long n, long long factors) {
    Decimal product = one();
    for (long long i = 0; i < factors; ++i) {
        const auto next = product.times(Decimal::from_int64(n - i));
        if (!next || next->integer_digits() > kMaxNumberDigits) return std::nullopt;
        product = *next;
    }
    return product;
}

}  // namespace

Value getAsNumber(const std::vector<Value>& a, const CallSite&) { return a[0].asNumber(); }
Value getAsBoolean(const std::vector<Value>& a, const CallSite&) { return Value::boolean(a[0].truth()); }

Value abs(const std::vector<Value>& a, const CallSite&) {
    return unary(a, [](const Decimal& x) { return std::optional<Decimal>(x.abs()); });
}
Value round(const std::vector<Value>& a, const CallSite&) { return roundTo(a, Rounding::HalfAwayFromZero); }
Value truncate(const std::vector<Value>& a, const CallSite&) { return roundTo(a, Rounding::TowardZero); }
Value intFn(const std::vector<Value>& a, const CallSite&) {
    return unary(a, [](const Decimal& x) { return std::optional<Decimal>(x.rounded(0, Rounding::TowardZero)); });
}
Value floor(const std::vector<Value>& a, const CallSite&) {
    return unary(a, [](const Decimal& x) { return std::optional<Decimal>(x.rounded(0, Rounding::Floor)); });
}
Value ceiling(const std::vector<Value>& a, const CallSite&) {
    return unary(a, [](const Decimal& x) { return std::optional<Decimal>(x.rounded(0, Rounding::Ceiling)); });
}
Value sign(const std::vector<Value>& a, const CallSite&) {
    return unary(a, [](const Decimal& x) {
        return std::optional<Decimal>(Decimal::from_int64(x.is_zero() ? 0 : (x.is_negative() ? -1 : 1)));
    });
}

Value sqrt(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::sqrt); }
Value exp(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::exp); }
Value ln(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::ln); }
Value log(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::log10); }
Value lg(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::log2); }
Value sin(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::sin); }
Value cos(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::cos); }
Value tan(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::tan); }
Value asin(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::asin); }
Value acos(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::acos); }
Value atan(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::atan); }
Value degrees(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::degrees); }
Value radians(const std::vector<Value>& a, const CallSite& s) { return inexact(a, s, fmhost::decimal_math::radians); }

// Mod ( number ; divisor ) has the divisor's sign: number - divisor ×
// Floor ( number / divisor ), exactly.
Value mod(const std::vector<Value>& a, const CallSite&) {
    const Decimal n = a[0].numberOrZero();
    const Decimal d = a[1].numberOrZero();
    const auto quotient = n.divided(d, 0, Rounding::Floor);
    if (!quotient) return unknown();
    const auto product = d.times(*quotient);
    return Value::checked(product ? n.minus(*product) : std::nullopt);
}

Value div(const std::vector<Value>& a, const CallSite&) {
    return Value::checked(a[0].numberOrZero().divided(a[1].numberOrZero(), 0, Rounding::Floor));
}

// Factorial ( number {; numberOfFactors } ): number × (number - 1) × ...,
// all factors or the given count of them.
Value factorial(const std::vector<Value>& a, const CallSite&) {
    const auto n = a[0].toNumber();
    if (!n) return Value::empty(Type::Number);
    if (n->is_negative() || !n->is_integer() || n->integer_digits() > 4) return unknown();
    const long long whole = n->to_int64();
    long long factors = whole;
    if (a.size() > 1 && !a[1].isEmpty()) {
        factors = fnutil::integer(a[1]);
        if (factors < 0) return unknown();
        factors = std::min(factors, whole);
    }
    const auto product = fallingProduct(whole, factors);
    return product ? Value::checked(*product) : unknown();
}

// Combination ( setSize ; numberOfChoices ): the ways to choose that many
// of the set, setSize! / (numberOfChoices! × (setSize - numberOfChoices)!).
Value combination(const std::vector<Value>& a, const CallSite&) {
    const auto n = a[0].toNumber();
    const auto k = a[1].toNumber();
    if (!n || !k) return Value::empty(Type::Number);
    if (n->is_negative() || k->is_negative() || !n->is_integer() || !k->is_integer() || n->integer_digits() > 6)
        return unknown();
    const long long size = n->to_int64();
    long long choices = k->to_int64();
    if (choices > size) return unknown();
    choices = std::min(choices, size - choices);
    const auto top = fallingProduct(size, choices);
    const auto bottom = fallingProduct(choices, choices);
    if (!top || !bottom) return unknown();
    return Value::checked(top->divided(*bottom, 0));
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
    std::optional<Decimal> total = Decimal();
    for (const auto& v : a) {
        if (total) total = total->plus(v.numberOrZero());
    }
    return Value::checked(total);
}

Value average(const std::vector<Value>& a, const CallSite& s) {
    std::optional<Decimal> total = Decimal();
    std::int64_t n = 0;
    for (const auto& v : a) {
        if (const auto x = v.toNumber()) {
            if (total) total = total->plus(*x);
            ++n;
        }
    }
    if (n == 0) return Value::empty(Type::Number);
    if (!total) return unknown();
    return Value::checked(total->divided(Decimal::from_int64(n), s.precision));
}

Value count(const std::vector<Value>& a, const CallSite&) {
    std::int64_t n = 0;
    for (const auto& v : a) n += v.isEmpty() ? 0 : 1;
    return Value::number(n);
}

// A number from 0 up to 1 (not included) with the calculation's precision.
Value random(const std::vector<Value>&, const CallSite& s) {
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::string digits = "0.";
    std::uniform_int_distribution<int> digit(0, 9);
    for (std::int32_t i = 0; i < s.precision; ++i) digits.push_back(static_cast<char>('0' + digit(engine)));
    return Value::checked(Decimal::parse(digits));
}

Value pi(const std::vector<Value>&, const CallSite& s) { return Value::number(fmhost::decimal_math::pi(s.precision)); }

}  // namespace calc::fn
