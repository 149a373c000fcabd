// Exact decimal numbers: the value behind FixPt, number Data and the numbers
// of the calculation engine.
//
// A Decimal is sign × digits × 10^exponent with the digits held as text, so
// parsing and printing decimal text are exact whatever the number of digits.
// Values are kept normalised (no leading or trailing zero digits, zero is
// unsigned), so equal numbers compare equal member by member.
//
// Addition, subtraction and multiplication are exact; division rounds to a
// given number of digits after the point. The inexact functions (roots,
// logarithms, ...) are in decimal_math.h. Every operation that would leave
// the range of kMaxExponent gives nothing.
#ifndef FMHOST_LIB_DECIMAL_H
#define FMHOST_LIB_DECIMAL_H

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fmhost {

class Decimal {
public:
    // How rounded() treats the digits it drops.
    enum class Rounding { HalfAwayFromZero, TowardZero, Floor, Ceiling };

    // Decimal exponents beyond this are refused: no host number gets near them.
    static constexpr std::int32_t kMaxExponent = 10000;

    Decimal() = default;

    static Decimal from_int64(std::int64_t value);
    static Decimal from_uint64(std::uint64_t value);
    // value × 10^-shift, e.g. (1500000, 6) is 1.5.
    static Decimal from_scaled(std::int64_t value, std::int32_t shift);
    // seconds + micros / 1000000, without overflow.
    static Decimal from_seconds(std::int64_t seconds, std::int32_t micros);
    // The shortest decimal text that reads back as the same double; nothing
    // for NaN or an infinity.
    static std::optional<Decimal> from_double(double value);
    // Strict decimal text: optional blanks, an optional sign, digits with at
    // most one point, an optional exponent ("-12.5", "1.2345678E7").
    static std::optional<Decimal> parse(std::string_view text);
    static std::optional<Decimal> parse(std::u16string_view text);
    // The number in free text, as the host reads it: its digits in order,
    // the first decimal point, and a minus sign before the first digit; every
    // other character is skipped. Nothing when the text has no digit.
    static std::optional<Decimal> extract(std::u16string_view text);
    static std::optional<Decimal> extract(std::string_view text); // UTF-8

    bool is_zero() const { return digits_.empty(); }
    bool is_negative() const { return negative_; }
    bool is_integer() const { return exponent_ >= 0; }
    // Digits after the point needed to write the number out (0 for integers).
    std::int32_t fraction_digits() const { return exponent_ < 0 ? -exponent_ : 0; }
    // Digits before the point (0 for numbers below 1 in magnitude).
    std::int64_t integer_digits() const { return is_zero() ? 0 : std::max<std::int64_t>(magnitude(), 0); }
    // Significant digits: 3 for 120 and for 0.00123, 0 for zero.
    std::int64_t significant_digits() const { return static_cast<std::int64_t>(digits_.size()); }
    // Position of the most significant digit relative to the point: 1 for
    // 1..9.99, 0 for 0.1..0.999, -1 for 0.01..0.0999; 0 for zero.
    std::int64_t magnitude() const { return is_zero() ? 0 : static_cast<std::int64_t>(digits_.size()) + exponent_; }

    // Plain decimal text without exponent or trailing zeros: "12345678",
    // "0.1", "-3.25".
    std::string to_string() const;
    std::u16string to_u16string() const;
    // The significant digits and the exponent, "-12345e-2": what parse()
    // and other number libraries read without loss.
    std::string to_scientific() const;
    // The nearest double (±infinity beyond its range).
    double to_double() const;
    // Truncated toward zero, saturated to the int64 range.
    std::int64_t to_int64() const;
    // Truncated toward zero, saturated to the int32 range.
    std::int32_t to_int32() const;
    // floor(value × 10^shift); nothing outside the int64 range.
    std::optional<std::int64_t> floor_scaled(std::int32_t shift) const;
    // Rounded to at most `fractionDigits` digits after the point (a negative
    // count rounds to tens, hundreds, ...).
    Decimal rounded(std::int32_t fractionDigits, Rounding mode = Rounding::HalfAwayFromZero) const;
    Decimal negated() const;
    Decimal abs() const { return negative_ ? negated() : *this; }

    // Exact sum, difference and product.
    std::optional<Decimal> plus(const Decimal &other) const;
    std::optional<Decimal> minus(const Decimal &other) const;
    std::optional<Decimal> times(const Decimal &other) const;
    // this / divisor rounded to `fractionDigits` digits after the point;
    // nothing for a zero divisor.
    std::optional<Decimal> divided(const Decimal &divisor, std::int32_t fractionDigits,
                                   Rounding mode = Rounding::HalfAwayFromZero) const;
    // this ^ exponent, exact; nothing when the result would have more than
    // maxDigits significant digits.
    std::optional<Decimal> power(std::uint64_t exponent, std::int64_t maxDigits) const;

    bool operator==(const Decimal &) const = default;
    // -1, 0 or 1 as this is below, equal to or above other.
    int compare(const Decimal &other) const;

private:
    // Normalises sign × digits × 10^exponent; nothing when it lies outside
    // the range of kMaxExponent.
    static std::optional<Decimal> make(bool negative, std::string digits, std::int64_t exponent);
    friend struct DecimalAccess;

    bool negative_ = false;
    std::string digits_;        // '1'..'9' first and last; empty for zero
    std::int32_t exponent_ = 0; // value = digits × 10^exponent
};

} // namespace fmhost

#endif
