// The value type of the calculation engine and its text forms.
//
// Types and text forms
// --------------------
// The text forms are the host library's own (lib/calendar.h for dates and
// times, lib/decimal.h for numbers), so a value reads the same in a
// calculation and in a Data a plug-in sees.
//   text       the characters themselves (UTF-8 inside the engine). The line
//              separator is the carriage return (U+000D), written ¶ in a
//              calculation.
//   number     an exact decimal, written plainly, never with an exponent: an
//              optional "-", the integer digits (at least "0"), then "." and
//              every fraction digit when the fraction is not zero. Trailing
//              zeros are cut and -0 is "0": 2.5, 0.3, 100000000000000000000.
//   date       M/D/YYYY, e.g. 2/29/2008 and 1/1/0001; "?" outside 1/1/0001 ..
//              12/31/4000. As a number it is the day number: 1/1/0001 is 1,
//              1/1/1970 is 719163.
//   time       H:MM:SS in 24-hour form, e.g. 9:05:00 and 13:45:30. Hours go
//              past 23 for durations (25:00:00) and a negative duration has a
//              leading "-". Fractions of a second follow the seconds
//              (1:00:00.5), to the microsecond. As a number it is the count
//              of seconds.
//   timestamp  M/D/YYYY H:MM:SS, e.g. 2/29/2008 13:45:00. As a number it is
//              the count of seconds since 1/1/0001 0:00:00.
//   container  its text is its file name or its reference text (e.g.
//              "scan.png" or "image:pics/a.jpg"); the value may carry the
//              file's bytes as well.
// Any type can be empty; an empty value's text is "" and its number empty.
//
// Numbers
//   Numbers are exact decimals of up to 400 digits before the point and 400
//   after it. Addition, subtraction, multiplication, comparison, Abs, Int,
//   Floor, Ceiling, Round, Truncate, Mod and Div are exact. Division, roots,
//   powers with a fractional result, logarithms, Exp, trigonometry and Pi
//   are rounded half away from zero to the calculation's precision: 16
//   digits after the point, or what SetPrecision ( expression ; digits )
//   sets for its expression (16 to 400). 1/3 gives 0.3333333333333333, 2/3
//   0.6666666666666667, 1000000/3 333333.3333333333333333; 0.1 + 0.2 is
//   exactly 0.3 and 2^70 1180591620717411303424. A result past 10^400 in
//   magnitude and division by zero give the text "?"; exact results with
//   more than 400 fraction digits are rounded to 400.
//
// Conversions (GetAsNumber and friends)
//   text -> number: the digits of the text in order, the first "." as the
//       decimal point, negative when a "-" stands before the first digit;
//       everything else is skipped ("abc12.5x" gives 12.5, "$1,254.50" gives
//       1254.5). Text without a digit gives an empty number.
//   text -> date, time, timestamp: the forms lib/calendar.h reads (M/D/Y,
//       YYYY-MM-DD, H:MM:SS with AM/PM, a date and a time); number -> date:
//       day number (rounded down); timestamp -> date: its day. Text that is
//       no date gives "?".
//   number -> time: seconds; timestamp -> time: its time of day.
//   date -> timestamp: its midnight; number -> timestamp: seconds since
//       1/1/0001 0:00:00.
//
// Comparison (= ≠ < > ≤ ≥)
//   Two texts (or containers) compare as text, ignoring case. Otherwise the
//   values compare as the type of the left operand, or of the right one when
//   the left is text: numbers numerically (exactly), dates, times and
//   timestamps by their numbers. When the other operand cannot be read as
//   that type (text without digits, an empty value against a non-empty one,
//   text that is no date) the two compare by their text forms, ignoring case.
//
// Arithmetic (+ - * / ^) works on the operands' numbers (text as
// GetAsNumber reads it, empty as 0) and gives a number, except:
//   date + number, number + date, date - number -> date (whole days)
//   date - date                                 -> number of days
//   time +/- number, number + time, time +/- time -> time
//   date + time                                 -> timestamp
//   timestamp +/- number, timestamp +/- time    -> timestamp (seconds)
//   timestamp - timestamp                       -> number of seconds
// Division by zero, 0 to a negative power, a negative number to a
// fractional power and results past the range give the text "?". A date
// outside 1/1/0001 .. 12/31/4000 is "?".
// & joins the text forms; the comparisons and the logical operators give 1
// or 0; "and" and "or" stop at the first operand that decides the result.
//
// Operator precedence, highest first (operators of one level apply left to
// right): unary - and +; ^; * /; + -; &; = ≠ <> < > ≤ <= ≥ >=; not; and;
// xor; or. So -2^2 is 4, 2^3^2 is 64 and not 1 = 2 is 1.
#ifndef CALC_VALUE_H
#define CALC_VALUE_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/errors.h"
#include "lib/calendar.h"
#include "lib/decimal.h"

namespace calc {

using Decimal = fmhost::Decimal;

// Digits after the point of inexact results: the default and SetPrecision's
// limits.
inline constexpr std::int32_t kDefaultPrecision = 16;
inline constexpr std::int32_t kMinPrecision = 16;
inline constexpr std::int32_t kMaxPrecision = 400;
// Numbers have at most this many digits before the point and after it.
inline constexpr std::int64_t kMaxNumberDigits = 400;

enum class Type { Text, Number, Date, Time, Timestamp, Container };

// "text", "number", "date", "time", "timestamp" or "container".
const char* typeName(Type type);
// The capitalised word FieldType uses: "Text", "Number", ...
const char* fieldTypeWord(Type type);
// The type named by one of the words above, in any case.
std::optional<Type> typeFromName(std::string_view name);

class Value {
public:
    Value() = default;  // empty text

    static Value text(std::string text);
    // A number; past the range of numbers it is the text "?" (see checked).
    static Value number(const Decimal& number);
    static Value number(std::int64_t number);
    static Value date(std::int64_t dayNumber);
    static Value time(const Decimal& seconds);
    static Value timestamp(const Decimal& secondsSinceDayOne);
    static Value container(std::string nameOrReference, std::vector<std::uint8_t> bytes = {});
    static Value empty(Type type);
    static Value boolean(bool b) { return number(std::int64_t{b ? 1 : 0}); }
    // The result of a computation: the number, "?" when there is none or it
    // lies past 10^400, its fraction rounded to 400 digits.
    static Value checked(const std::optional<Decimal>& number);

    Type type() const { return type_; }
    bool isEmpty() const;

    // The text form (GetAsText).
    std::string toText() const;
    // GetAsNumber; no value for empty values and text without digits.
    std::optional<Decimal> toNumber() const;
    Decimal numberOrZero() const { return toNumber().value_or(Decimal()); }
    // Truth as If and the logical operators see it: a non-zero number.
    bool truth() const;

    // GetAsNumber, GetAsDate, GetAsTime, GetAsTimestamp as values; a text
    // that cannot be read as a date, time or timestamp gives the text "?".
    Value asNumber() const;
    Value asDate() const;
    Value asTime() const;
    Value asTimestamp() const;

    // The stored magnitude: the number, the day number, the seconds.
    const Decimal& raw() const { return number_; }
    // The day number of a date, rounded down and kept within int64.
    std::int64_t day() const;
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    Type type_ = Type::Text;
    bool empty_ = false;  // for non-text types
    Decimal number_;
    std::string text_;  // text, or the container's name/reference
    std::vector<std::uint8_t> bytes_;
};

// A calculation's result: a value or the error that stopped it.
using Result = Outcome<Value>;

// A number written in a calculation: digits with one optional "." and an
// optional exponent ("12", "1.5", ".5", "2e3").
std::optional<Decimal> parseNumber(std::string_view text);

// Three-way comparison with the rules above: <0, 0 or >0.
int compare(const Value& left, const Value& right);
// Case-insensitive comparison of two texts.
int compareText(std::string_view a, std::string_view b);

}  // namespace calc

#endif
