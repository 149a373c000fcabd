// Exact decimal numbers: the value behind FixPt and number Data.
//
// A Decimal is sign × digits × 10^exponent with the digits held as text, so
// parsing and printing decimal text are exact whatever the number of digits.
// Values are kept normalised (no leading or trailing zero digits, zero is
// unsigned), so equal numbers compare equal member by member.
#ifndef FMHOST_LIB_DECIMAL_H
#define FMHOST_LIB_DECIMAL_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fmhost {

class Decimal {
public:
    // Decimal exponents beyond this are refused: no host number gets near them.
    static constexpr std::int32_t kMaxExponent = 10000;

    Decimal() = default;

    static Decimal from_int64(std::int64_t value);
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

    bool is_zero() const { return digits_.empty(); }
    bool is_negative() const { return negative_; }
    // Digits after the point needed to write the number out (0 for integers).
    std::int32_t fraction_digits() const { return exponent_ < 0 ? -exponent_ : 0; }

    // Plain decimal text without exponent or trailing zeros: "12345678",
    // "0.1", "-3.25".
    std::string to_string() const;
    std::u16string to_u16string() const;
    // The nearest double (±infinity beyond its range).
    double to_double() const;
    // Truncated toward zero, saturated to the int64 range.
    std::int64_t to_int64() const;
    // Truncated toward zero, saturated to the int32 range.
    std::int32_t to_int32() const;
    // floor(value × 10^shift); nothing outside the int64 range.
    std::optional<std::int64_t> floor_scaled(std::int32_t shift) const;
    // Rounded half away from zero to at most `fractionDigits` digits after
    // the point.
    Decimal rounded(std::int32_t fractionDigits) const;
    Decimal negated() const;

    bool operator==(const Decimal &) const = default;
    // -1, 0 or 1 as this is below, equal to or above other.
    int compare(const Decimal &other) const;

private:
    // Normalises sign × digits × 10^exponent; nothing when it lies outside
    // the range of kMaxExponent.
    static std::optional<Decimal> make(bool negative, std::string digits, std::int64_t exponent);
    // Position of the most significant digit relative to the point: 1 for
    // 1..9.99, 0 for 0.1..0.999, and so on.
    std::int64_t magnitude() const { return static_cast<std::int64_t>(digits_.size()) + exponent_; }

    bool negative_ = false;
    std::string digits_;        // '1'..'9' first and last; empty for zero
    std::int32_t exponent_ = 0; // value = digits × 10^exponent
};

} // namespace fmhost

#endif
