#include "lib/decimal_math.h"

#include <gmpxx.h>
#include <mpfr.h>

#include <cmath>
#include <string>

namespace fmhost::decimal_math {

namespace {

constexpr double kBitsPerDigit = 3.3219280948873626; // log2(10)
// Digits computed beyond the ones kept, so that the binary rounding errors
// never reach them.
constexpr std::int64_t kGuardDigits = 12;
// No result of the host's range needs more: its largest number with its
// longest fraction has some 20000 digits.
constexpr std::int64_t kMaxBits = 80000;

// An MPFR number with its precision, cleared at scope end.
class Float {
public:
    explicit Float(std::int64_t bits) { mpfr_init2(value_, static_cast<mpfr_prec_t>(bits)); }
    ~Float() { mpfr_clear(value_); }
    Float(const Float &) = delete;
    Float &operator=(const Float &) = delete;

    mpfr_ptr get() { return value_; }

private:
    mpfr_t value_;
};

std::int64_t bits_for(std::int64_t digits) { return static_cast<std::int64_t>(static_cast<double>(digits) * kBitsPerDigit) + 64; }

// The decimal in binary with at least `bits`, and with enough to hold its
// integer part whole, so that a large angle or exponent is not cut short.
void assign(Float &target, const Decimal &value) {
    mpfr_set_str(target.get(), value.to_scientific().c_str(), 10, MPFR_RNDN);
}

std::int64_t input_bits(const Decimal &x, std::int64_t bits) {
    return std::min(kMaxBits, std::max(bits, bits_for(x.significant_digits() + std::max<std::int64_t>(x.magnitude(), 0))));
}

// Computes a function at rising precision until the bits cover every digit
// of the result down to `digits` after the point, then rounds once.
// `compute(out, bits)` fills `out` (made with `bits`) and says whether the
// arguments lie in the function's domain.
template <class Compute> std::optional<Decimal> evaluate(Compute compute, std::int32_t digits) {
    std::int64_t bits = bits_for(digits + kGuardDigits);
    for (;;) {
        Float result(bits);
        if (!compute(result, bits))
            return std::nullopt;
        mpfr_ptr r = result.get();
        if (mpfr_nan_p(r) || mpfr_inf_p(r))
            return std::nullopt;
        if (mpfr_zero_p(r))
            return Decimal();
        // |r| < 2^binary, so the decimal magnitude is at most this.
        const auto binary = static_cast<std::int64_t>(mpfr_get_exp(r));
        const auto magnitude = static_cast<std::int64_t>(std::ceil(static_cast<double>(binary) * 0.30102999566398120));
        if (magnitude > Decimal::kMaxExponent)
            return std::nullopt;
        const std::int64_t needed = bits_for(std::max<std::int64_t>(magnitude, 0) + digits + kGuardDigits);
        if (needed > bits) {
            if (needed > kMaxBits)
                return std::nullopt;
            bits = needed;
            continue;
        }
        const std::int64_t significant = magnitude + digits + kGuardDigits / 2;
        if (significant <= 0)
            return Decimal(); // below half a unit of the last digit kept
        mpfr_exp_t exponent = 0;
        char *text = mpfr_get_str(nullptr, &exponent, 10, static_cast<std::size_t>(std::max<std::int64_t>(significant, 2)),
                                  r, MPFR_RNDN);
        if (!text)
            return std::nullopt;
        std::string digitsText(text);
        mpfr_free_str(text);
        const bool negative = !digitsText.empty() && digitsText.front() == '-';
        if (negative)
            digitsText.erase(0, 1);
        const auto value = Decimal::parse((negative ? "-0." : "0.") + digitsText + "e" + std::to_string(exponent));
        if (!value)
            return std::nullopt;
        return value->rounded(digits);
    }
}

using UnaryFunction = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

std::optional<Decimal> unary(UnaryFunction f, const Decimal &x, std::int32_t digits) {
    return evaluate(
        [&](Float &out, std::int64_t bits) {
            Float in(input_bits(x, bits));
            assign(in, x);
            f(out.get(), in.get(), MPFR_RNDN);
            return true;
        },
        digits);
}

mpz_class power_of_ten(std::int64_t n) {
    mpz_class p;
    mpz_ui_pow_ui(p.get_mpz_t(), 10, static_cast<unsigned long>(n));
    return p;
}

} // namespace

std::optional<Decimal> sqrt(const Decimal &x, std::int32_t digits) {
    if (x.is_negative())
        return std::nullopt;
    if (x.is_zero())
        return Decimal();
    // x = c × 10^e with e even; then sqrt(x) × 10^f = sqrt(c × 10^(e + 2f))
    // for f digits after the point, one more than kept to round with.
    const auto scientific = x.to_scientific();
    const auto e_at = scientific.find('e');
    mpz_class c(scientific.substr(0, e_at), 10);
    std::int64_t e = std::stoll(scientific.substr(e_at + 1));
    if (e % 2 != 0) {
        c *= 10;
        --e;
    }
    const std::int64_t f = std::max<std::int64_t>(digits + 1, -e / 2);
    const mpz_class n = c * power_of_ten(e + 2 * f);
    mpz_class root;
    mpz_sqrt(root.get_mpz_t(), n.get_mpz_t());
    // root = floor(sqrt(n)); the dropped digits decide the rounding, and
    // since their half is a whole number, floor(sqrt(n)) reaching it means
    // sqrt(n) does.
    const mpz_class unit = power_of_ten(f - digits);
    mpz_class kept;
    mpz_class rest;
    mpz_tdiv_qr(kept.get_mpz_t(), rest.get_mpz_t(), root.get_mpz_t(), unit.get_mpz_t());
    if (2 * rest >= unit)
        ++kept;
    return Decimal::parse(kept.get_str(10) + "e" + std::to_string(-static_cast<std::int64_t>(digits)));
}

std::optional<Decimal> exp(const Decimal &x, std::int32_t digits) {
    // e^x passes the range long before x reaches 10^5 in magnitude.
    if (x.magnitude() > 6)
        return x.is_negative() ? std::optional<Decimal>(Decimal()) : std::nullopt;
    return unary(mpfr_exp, x, digits);
}

std::optional<Decimal> ln(const Decimal &x, std::int32_t digits) {
    if (x.is_negative() || x.is_zero())
        return std::nullopt;
    return unary(mpfr_log, x, digits);
}

std::optional<Decimal> log10(const Decimal &x, std::int32_t digits) {
    if (x.is_negative() || x.is_zero())
        return std::nullopt;
    return unary(mpfr_log10, x, digits);
}

std::optional<Decimal> log2(const Decimal &x, std::int32_t digits) {
    if (x.is_negative() || x.is_zero())
        return std::nullopt;
    return unary(mpfr_log2, x, digits);
}

std::optional<Decimal> power(const Decimal &base, const Decimal &exponent, std::int32_t digits) {
    if (exponent.is_zero())
        return Decimal::from_int64(1);
    if (base.is_zero())
        return exponent.is_negative() ? std::nullopt : std::optional<Decimal>(Decimal());
    if (exponent.is_integer()) {
        // Whole exponents: the exact power, rounded once. Its digits are
        // limited; past that the binary route below gives the kept digits.
        constexpr std::int64_t kMaxExactDigits = 20000;
        const std::int64_t whole = exponent.to_int64();
        if (whole > -1000000 && whole < 1000000) {
            const auto n = static_cast<std::uint64_t>(whole < 0 ? -whole : whole);
            if (const auto exact = base.power(n, kMaxExactDigits)) {
                if (whole > 0)
                    return exact->rounded(digits);
                return Decimal::from_int64(1).divided(*exact, digits);
            }
        }
    } else if (base.is_negative()) {
        return std::nullopt;
    }
    return evaluate(
        [&](Float &out, std::int64_t bits) {
            Float b(input_bits(base, bits));
            Float e(input_bits(exponent, bits));
            assign(b, base);
            assign(e, exponent);
            mpfr_pow(out.get(), b.get(), e.get(), MPFR_RNDN);
            return true;
        },
        digits);
}

std::optional<Decimal> sin(const Decimal &x, std::int32_t digits) { return unary(mpfr_sin, x, digits); }
std::optional<Decimal> cos(const Decimal &x, std::int32_t digits) { return unary(mpfr_cos, x, digits); }
std::optional<Decimal> tan(const Decimal &x, std::int32_t digits) { return unary(mpfr_tan, x, digits); }
std::optional<Decimal> asin(const Decimal &x, std::int32_t digits) { return unary(mpfr_asin, x, digits); }
std::optional<Decimal> acos(const Decimal &x, std::int32_t digits) { return unary(mpfr_acos, x, digits); }
std::optional<Decimal> atan(const Decimal &x, std::int32_t digits) { return unary(mpfr_atan, x, digits); }

std::optional<Decimal> degrees(const Decimal &radians, std::int32_t digits) {
    return evaluate(
        [&](Float &out, std::int64_t bits) {
            Float in(input_bits(radians, bits));
            Float pi(bits + 64);
            assign(in, radians);
            mpfr_const_pi(pi.get(), MPFR_RNDN);
            mpfr_mul_ui(out.get(), in.get(), 180, MPFR_RNDN);
            mpfr_div(out.get(), out.get(), pi.get(), MPFR_RNDN);
            return true;
        },
        digits);
}

std::optional<Decimal> radians(const Decimal &degrees, std::int32_t digits) {
    return evaluate(
        [&](Float &out, std::int64_t bits) {
            Float in(input_bits(degrees, bits));
            Float pi(bits + 64);
            assign(in, degrees);
            mpfr_const_pi(pi.get(), MPFR_RNDN);
            mpfr_mul(out.get(), in.get(), pi.get(), MPFR_RNDN);
            mpfr_div_ui(out.get(), out.get(), 180, MPFR_RNDN);
            return true;
        },
        digits);
}

Decimal pi(std::int32_t digits) {
    return evaluate(
               [](Float &out, std::int64_t) {
                   mpfr_const_pi(out.get(), MPFR_RNDN);
                   return true;
               },
               digits)
        .value_or(Decimal());
}

} // namespace fmhost::decimal_math
