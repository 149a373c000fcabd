#include "lib/decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <gmpxx.h>
#include <limits>
#include <system_error>

namespace fmhost {

namespace {

bool is_digit(char32_t c) { return c >= U'0' && c <= U'9'; }

bool is_blank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n'; }

// Adds one to a string of decimal digits; "999" becomes "1000".
void increment(std::string &digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// A number's parts before normalisation.
struct Parts {
    bool negative = false;
    std::string digits;
    std::int64_t exponent = 0;
};

// Strict decimal text over any character type.
template <class Char> std::optional<Parts> scan_strict(std::basic_string_view<Char> text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && is_blank(text[i]))
        ++i;
    std::size_t end = n;
    while (end > i && is_blank(text[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    std::string digits;
    std::int64_t exponent = 0;
    bool point = false;
    bool anyDigit = false;
    for (; i < end; ++i) {
        const auto c = static_cast<char32_t>(text[i]);
        if (is_digit(c)) {
            anyDigit = true;
            digits.push_back(static_cast<char>(c));
            if (point)
                --exponent;
        } else if (c == U'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < end && (text[i] == '-' || text[i] == '+'))
            expNegative = text[i++] == '-';
        if (i == end)
            return std::nullopt;
        std::int64_t value = 0;
        for (; i < end && is_digit(static_cast<char32_t>(text[i])); ++i) {
            value = value * 10 + (text[i] - '0');
            if (value > 10 * Decimal::kMaxExponent)
                return std::nullopt;
        }
        exponent += expNegative ? -value : value;
    }
    if (i != end)
        return std::nullopt;
    return Parts{negative, std::move(digits), exponent};
}

} // namespace

std::optional<Decimal> Decimal::make(bool negative, std::string digits, std::int64_t exponent) {
    Decimal d;
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return d;
    const auto last = digits.find_last_not_of('0');
    exponent += static_cast<std::int64_t>(digits.size() - 1 - last);
    const auto count = static_cast<std::int64_t>(last - first + 1);
    const std::int64_t magnitude = count + exponent;
    if (magnitude > kMaxExponent || magnitude < -kMaxExponent || exponent < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    digits.erase(last + 1);
    digits.erase(0, first);
    d.digits_ = std::move(digits);
    d.negative_ = negative;
    d.exponent_ = static_cast<std::int32_t>(exponent);
    return d;
}

Decimal Decimal::from_int64(std::int64_t value) {
    const bool negative = value < 0;
    // Through uint64 so that the int64 minimum keeps its magnitude.
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return *make(negative, std::to_string(magnitude), 0);
}

Decimal Decimal::from_uint64(std::uint64_t value) { return *make(false, std::to_string(value), 0); }

Decimal Decimal::from_scaled(std::int64_t value, std::int32_t shift) {
    Decimal d = from_int64(value);
    if (!d.is_zero())
        d.exponent_ -= shift;
    return d;
}

Decimal Decimal::from_seconds(std::int64_t seconds, std::int32_t micros) {
    const __int128 total = static_cast<__int128>(seconds) * 1000000 + micros;
    const bool negative = total < 0;
    unsigned __int128 magnitude = negative ? -static_cast<unsigned __int128>(total) : static_cast<unsigned __int128>(total);
    std::string digits;
    do {
        digits.push_back(static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    std::reverse(digits.begin(), digits.end());
    return *make(negative, std::move(digits), -6);
}

std::optional<Decimal> Decimal::from_double(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    if (result.ec != std::errc())
        return std::nullopt;
    return parse(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

std::optional<Decimal> Decimal::parse(std::string_view text) {
    auto parts = scan_strict(text);
    if (!parts)
        return std::nullopt;
    return make(parts->negative, std::move(parts->digits), parts->exponent);
}

std::optional<Decimal> Decimal::parse(std::u16string_view text) {
    auto parts = scan_strict(text);
    if (!parts)
        return std::nullopt;
    return make(parts->negative, std::move(parts->digits), parts->exponent);
}

namespace {

// The number in free text; other characters, also every byte of a UTF-8
// sequence, are skipped.
template <class Char> std::optional<Parts> scan_free(std::basic_string_view<Char> text) {
    Parts parts;
    bool point = false;
    for (const Char c : text) {
        if (c >= '0' && c <= '9') {
            parts.digits.push_back(static_cast<char>(c));
            if (point)
                --parts.exponent;
        } else if (c == '.' && !point) {
            point = true;
        } else if (c == '-' && parts.digits.empty()) {
            parts.negative = true;
        }
    }
    if (parts.digits.empty())
        return std::nullopt;
    return parts;
}

} // namespace

std::optional<Decimal> Decimal::extract(std::u16string_view text) {
    auto parts = scan_free(text);
    if (!parts)
        return std::nullopt;
    return make(parts->negative, std::move(parts->digits), parts->exponent);
}

std::optional<Decimal> Decimal::extract(std::string_view text) {
    auto parts = scan_free(text);
    if (!parts)
        return std::nullopt;
    return make(parts->negative, std::move(parts->digits), parts->exponent);
}

std::string Decimal::to_string() const {
    if (is_zero())
        return "0";
    std::string out;
    if (negative_)
        out.push_back('-');
    const std::int64_t magnitude = this->magnitude();
    if (exponent_ >= 0) {
        out += digits_;
        out.append(static_cast<std::size_t>(exponent_), '0');
    } else if (magnitude > 0) {
        out.append(digits_, 0, static_cast<std::size_t>(magnitude));
        out.push_back('.');
        out.append(digits_, static_cast<std::size_t>(magnitude));
    } else {
        out += "0.";
        out.append(static_cast<std::size_t>(-magnitude), '0');
        out += digits_;
    }
    return out;
}

std::string Decimal::to_scientific() const {
    if (is_zero())
        return "0";
    return (negative_ ? "-" : "") + digits_ + "e" + std::to_string(exponent_);
}

std::u16string Decimal::to_u16string() const {
    const std::string text = to_string();
    return std::u16string(text.begin(), text.end());
}

double Decimal::to_double() const {
    if (is_zero())
        return 0.0;
    const std::string text = digits_ + "e" + std::to_string(exponent_);
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::scientific);
    if (result.ec == std::errc::result_out_of_range)
        value = magnitude() > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative_ ? -value : value;
}

std::int64_t Decimal::to_int64() const {
    const std::int64_t magnitude = this->magnitude();
    if (magnitude <= 0)
        return 0;
    const std::uint64_t limit = negative_ ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    if (magnitude > 19)
        return negative_ ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
    std::uint64_t value = 0;
    for (std::int64_t i = 0; i < magnitude; ++i) {
        const std::uint64_t digit =
            i < static_cast<std::int64_t>(digits_.size()) ? static_cast<std::uint64_t>(digits_[i] - '0') : 0;
        if (value > (limit - digit) / 10) {
            value = limit;
            break;
        }
        value = value * 10 + digit;
    }
    return negative_ ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
}

std::int32_t Decimal::to_int32() const {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(to_int64(), std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::optional<std::int64_t> Decimal::floor_scaled(std::int32_t shift) const {
    Decimal scaled = *this;
    if (!scaled.is_zero())
        scaled.exponent_ += shift;
    // Beyond 18 digits before the point the int64 range may be left; the
    // saturated edges tell.
    const std::int64_t whole = scaled.to_int64();
    if (whole == std::numeric_limits<std::int64_t>::max() || whole == std::numeric_limits<std::int64_t>::min())
        return std::nullopt;
    // Truncation moved a negative number with a fraction up; step down.
    if (scaled.negative_ && scaled.exponent_ < 0)
        return whole - 1;
    return whole;
}

Decimal Decimal::rounded(std::int32_t fractionDigits, Rounding mode) const {
    // Already a multiple of 10^-fractionDigits.
    if (is_zero() || std::int64_t{exponent_} >= -std::int64_t{fractionDigits})
        return *this;
    // Keep the digits down to 10^-fractionDigits; the dropped ones are not
    // all zero, since the digits end with a non-zero one.
    const std::int64_t keep = magnitude() + fractionDigits;
    std::string kept = keep > 0 ? digits_.substr(0, static_cast<std::size_t>(keep)) : std::string();
    bool up = false;
    switch (mode) {
    case Rounding::HalfAwayFromZero:
        up = keep >= 0 && digits_[static_cast<std::size_t>(keep)] >= '5';
        break;
    case Rounding::TowardZero:
        break;
    case Rounding::Floor:
        up = negative_;
        break;
    case Rounding::Ceiling:
        up = !negative_;
        break;
    }
    if (up) {
        if (kept.empty())
            kept = "1";
        else
            increment(kept);
    }
    if (kept.empty())
        return Decimal();
    // Rounding up may add a digit at the top; only at the very edge of the
    // range does that leave it.
    return make(negative_, std::move(kept), -static_cast<std::int64_t>(fractionDigits)).value_or(*this);
}

Decimal Decimal::negated() const {
    Decimal d = *this;
    if (!d.is_zero())
        d.negative_ = !d.negative_;
    return d;
}

// ---- arithmetic ------------------------------------------------------------

// The coefficient of a Decimal as a GMP integer, and back.
struct DecimalAccess {
    static mpz_class coefficient(const Decimal &d) {
        if (d.is_zero())
            return 0;
        mpz_class c(d.digits_, 10);
        return d.negative_ ? mpz_class(-c) : c;
    }
    static std::int64_t exponent(const Decimal &d) { return d.exponent_; }
    static std::optional<Decimal> make(const mpz_class &coefficient, std::int64_t exponent) {
        if (coefficient == 0)
            return Decimal();
        const bool negative = coefficient < 0;
        std::string digits = mpz_class(abs(coefficient)).get_str(10);
        // A product's digits bound its magnitude; refuse before normalising
        // text that could never be in range.
        if (static_cast<std::int64_t>(digits.size()) + exponent > Decimal::kMaxExponent + 1)
            return std::nullopt;
        return Decimal::make(negative, std::move(digits), exponent);
    }
};

namespace {

// 10^n for n >= 0.
mpz_class power_of_ten(std::int64_t n) {
    mpz_class p;
    mpz_ui_pow_ui(p.get_mpz_t(), 10, static_cast<unsigned long>(n));
    return p;
}

// a + b or a - b on coefficients brought to the smaller exponent. The
// exponents of two numbers in range differ by less than 3 × kMaxExponent.
std::optional<Decimal> add(const Decimal &a, const Decimal &b, bool subtract) {
    if (b.is_zero())
        return a;
    if (a.is_zero())
        return subtract ? b.negated() : b;
    const std::int64_t ea = DecimalAccess::exponent(a);
    const std::int64_t eb = DecimalAccess::exponent(b);
    const std::int64_t e = std::min(ea, eb);
    mpz_class x = DecimalAccess::coefficient(a) * power_of_ten(ea - e);
    mpz_class y = DecimalAccess::coefficient(b) * power_of_ten(eb - e);
    return DecimalAccess::make(subtract ? mpz_class(x - y) : mpz_class(x + y), e);
}

// The quotient n / d (d > 0 after signs are moved to n) rounded to an
// integer as the mode says.
mpz_class divide_rounded(const mpz_class &n, const mpz_class &d, Decimal::Rounding mode) {
    mpz_class q;
    mpz_class r;
    mpz_tdiv_qr(q.get_mpz_t(), r.get_mpz_t(), n.get_mpz_t(), d.get_mpz_t());
    if (r == 0)
        return q;
    const int sign = sgn(n) * sgn(d);
    bool away = false;
    switch (mode) {
    case Decimal::Rounding::HalfAwayFromZero:
        away = 2 * abs(r) >= abs(d);
        break;
    case Decimal::Rounding::TowardZero:
        break;
    case Decimal::Rounding::Floor:
        away = sign < 0;
        break;
    case Decimal::Rounding::Ceiling:
        away = sign > 0;
        break;
    }
    if (away)
        q += sign;
    return q;
}

} // namespace

std::optional<Decimal> Decimal::plus(const Decimal &other) const { return add(*this, other, false); }

std::optional<Decimal> Decimal::minus(const Decimal &other) const { return add(*this, other, true); }

std::optional<Decimal> Decimal::times(const Decimal &other) const {
    if (is_zero() || other.is_zero())
        return Decimal();
    if (magnitude() + other.magnitude() > kMaxExponent + 1 || magnitude() + other.magnitude() < -kMaxExponent - 1)
        return std::nullopt;
    return DecimalAccess::make(DecimalAccess::coefficient(*this) * DecimalAccess::coefficient(other),
                               std::int64_t{exponent_} + other.exponent_);
}

std::optional<Decimal> Decimal::divided(const Decimal &divisor, std::int32_t fractionDigits, Rounding mode) const {
    if (divisor.is_zero())
        return std::nullopt;
    if (is_zero())
        return Decimal();
    if (magnitude() - divisor.magnitude() > kMaxExponent + 1)
        return std::nullopt;
    // this / divisor × 10^fractionDigits as an integer, then scaled back.
    const std::int64_t shift = std::int64_t{exponent_} - divisor.exponent_ + fractionDigits;
    mpz_class n = DecimalAccess::coefficient(*this);
    mpz_class d = DecimalAccess::coefficient(divisor);
    if (shift >= 0)
        n *= power_of_ten(shift);
    else
        d *= power_of_ten(-shift);
    return DecimalAccess::make(divide_rounded(n, d, mode), -std::int64_t{fractionDigits});
}

std::optional<Decimal> Decimal::power(std::uint64_t exponent, std::int64_t maxDigits) const {
    if (exponent == 0)
        return Decimal::from_int64(1);
    if (is_zero())
        return Decimal();
    const auto digits = static_cast<std::uint64_t>(digits_.size());
    if (digits > static_cast<std::uint64_t>(maxDigits) || exponent > static_cast<std::uint64_t>(maxDigits) / digits + 1)
        return std::nullopt;
    const __int128 e = static_cast<__int128>(exponent_) * static_cast<__int128>(exponent);
    const __int128 m = static_cast<__int128>(magnitude() - 1) * static_cast<__int128>(exponent);
    if (e > kMaxExponent || e < -3 * static_cast<__int128>(kMaxExponent) || m > kMaxExponent || m < -kMaxExponent - 1)
        return std::nullopt;
    mpz_class c = DecimalAccess::coefficient(*this);
    mpz_class result;
    mpz_pow_ui(result.get_mpz_t(), c.get_mpz_t(), static_cast<unsigned long>(exponent));
    if (static_cast<std::int64_t>(mpz_sizeinbase(result.get_mpz_t(), 10)) > maxDigits + 1)
        return std::nullopt;
    return DecimalAccess::make(result, static_cast<std::int64_t>(e));
}

int Decimal::compare(const Decimal &other) const {
    if (negative_ != other.negative_)
        return negative_ ? -1 : 1;
    const int sign = negative_ ? -1 : 1;
    if (is_zero() || other.is_zero())
        return is_zero() == other.is_zero() ? 0 : (is_zero() ? -sign : sign);
    if (magnitude() != other.magnitude())
        return magnitude() < other.magnitude() ? -sign : sign;
    const int byDigits = digits_.compare(other.digits_); // aligned at the most significant digit
    return byDigits == 0 ? 0 : (byDigits < 0 ? -sign : sign);
}

} // namespace fmhost
