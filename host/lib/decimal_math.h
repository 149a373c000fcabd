// The inexact functions of decimals: square roots, powers, exponentials,
// logarithms and trigonometry, each rounded half away from zero to a given
// number of digits after the point.
//
// Square roots and powers with whole exponents are worked out exactly before
// the one rounding; the rest are computed in binary floating point (MPFR)
// with as many bits as the digits to keep need, plus guard digits. Each
// function gives nothing outside its domain (the root of a negative number,
// the logarithm of zero) and for a result beyond Decimal's range.
#ifndef FMHOST_LIB_DECIMAL_MATH_H
#define FMHOST_LIB_DECIMAL_MATH_H

#include "lib/decimal.h"

#include <cstdint>
#include <optional>

namespace fmhost::decimal_math {

std::optional<Decimal> sqrt(const Decimal &x, std::int32_t digits);
std::optional<Decimal> exp(const Decimal &x, std::int32_t digits);
// Natural, decimal and binary logarithms.
std::optional<Decimal> ln(const Decimal &x, std::int32_t digits);
std::optional<Decimal> log10(const Decimal &x, std::int32_t digits);
std::optional<Decimal> log2(const Decimal &x, std::int32_t digits);
// base ^ exponent: 0 ^ 0 is 1; nothing for 0 to a negative power and for a
// negative base with an exponent that is no whole number.
std::optional<Decimal> power(const Decimal &base, const Decimal &exponent, std::int32_t digits);

// Angles in radians.
std::optional<Decimal> sin(const Decimal &x, std::int32_t digits);
std::optional<Decimal> cos(const Decimal &x, std::int32_t digits);
std::optional<Decimal> tan(const Decimal &x, std::int32_t digits);
std::optional<Decimal> asin(const Decimal &x, std::int32_t digits);
std::optional<Decimal> acos(const Decimal &x, std::int32_t digits);
std::optional<Decimal> atan(const Decimal &x, std::int32_t digits);
// Radians to degrees and back.
std::optional<Decimal> degrees(const Decimal &radians, std::int32_t digits);
std::optional<Decimal> radians(const Decimal &degrees, std::int32_t digits);
Decimal pi(std::int32_t digits);

} // namespace fmhost::decimal_math

#endif
