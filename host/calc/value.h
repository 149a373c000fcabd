// The value type of the calculation engine and its text forms.
//
// Types and text forms
// --------------------
//   text       the characters themselves (UTF-8 inside the engine). The line
//              separator is the carriage return (U+000D), written ¶ in a
//              calculation.
//   number     plain decimal text, never an exponent: an optional "-", the
//              integer digits (at least "0"), then "." and up to 16 fraction
//              digits when the fraction is not zero. Trailing zeros are cut
//              and -0 is "0". 1/3 gives 0.3333333333333333, 2/3 gives
//              0.6666666666666667, 0.1 + 0.2 gives 0.3, 10^20 gives
//              100000000000000000000. Numbers are held as long double
//              (64-bit mantissa, about 19 significant digits); the text form
//              rounds to 16 fraction digits and 18 significant digits, and
//              comparisons compare those rounded values, so arithmetic on
//              decimal input behaves as decimal arithmetic does in everyday
//              use. Integers up to 2^64 print exactly. Division by zero gives
//              the text "?".
//   date       M/D/YYYY, e.g. 2/29/2008 and 1/1/0001. As a number it is the
//              day number: 1/1/0001 is 1, 1/1/1970 is 719163.
//   time       H:MM:SS in 24-hour form, e.g. 9:05:00 and 13:45:30. Hours go
//              past 23 for durations (25:00:00) and a negative duration has a
//              leading "-". Fractions of a second follow the seconds
//              (1:00:00.5). As a number it is the count of seconds.
//   timestamp  M/D/YYYY H:MM:SS, e.g. 2/29/2008 13:45:00. As a number it is
//              the count of seconds since 1/1/0001 0:00:00.
//   container  its text is its file name or its reference text (e.g.
//              "scan.png" or "image:pics/a.jpg"); the value may carry the
//              file's bytes as well.
// Any type can be empty; an empty value's text is "" and its number empty.
//
// Conversions (GetAsNumber and friends)
//   text -> number: the digits of the text in order, the first "." as the
//       decimal point, negative when a "-" stands before the first digit;
//       everything else is skipped ("abc12.5x" gives 12.5, "$1,254.50" gives
//       1254.5). Text without a digit gives an empty number.
//   text -> date: M/D/YYYY (two-digit years are read as 19YY/20YY within a
//       window around the current year) or YYYY-MM-DD; number -> date: day
//       number; timestamp -> date: its day. Text that is no date gives "?".
//   text -> time: H:MM, H:MM:SS, H:MM:SS.fff, optionally followed by AM or
//       PM; number -> time: seconds; timestamp -> time: its time of day.
//   text -> timestamp: a date, optionally followed by a time; date ->
//       timestamp: its midnight; number -> timestamp: seconds since 1/1/0001.
//
// Comparison (= ≠ < > ≤ ≥)
//   Two texts (or containers) compare as text, ignoring case. Otherwise the
//   values compare as the type of the left operand, or of the right one when
//   the left is text: numbers numerically, dates, times and timestamps by
//   their numbers. When the other operand cannot be read as that type (text
//   without digits, an empty value against a non-empty one, text that is no
//   date) the two compare by their text forms, ignoring case.
//
// Arithmetic (+ - * / ^) works on the operands' numbers (text as
// GetAsNumber reads it, empty as 0) and gives a number, except:
//   date + number, number + date, date - number -> date (whole days)
//   date - date                                 -> number of days
//   time +/- number, number + time, time +/- time -> time
//   date + time                                 -> timestamp
//   timestamp +/- number, timestamp +/- time    -> timestamp (seconds)
//   timestamp - timestamp                       -> number of seconds
// Division by zero, 0 to a negative power and results that are no finite
// number give the text "?". A date outside 1/1/0001 .. 12/31/4000 is "?".
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

namespace calc {

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
    static Value number(long double number);
    static Value date(std::int64_t dayNumber);
    static Value time(long double seconds);
    static Value timestamp(long double secondsSinceDayOne);
    static Value container(std::string nameOrReference, std::vector<std::uint8_t> bytes = {});
    static Value empty(Type type);
    static Value boolean(bool b) { return number(b ? 1 : 0); }

    Type type() const { return type_; }
    bool isEmpty() const;

    // The text form (GetAsText).
    std::string toText() const;
    // GetAsNumber; no value for empty values and text without digits.
    std::optional<long double> toNumber() const;
    long double numberOrZero() const { return toNumber().value_or(0); }
    // Truth as If and the logical operators see it: a non-zero number.
    bool truth() const;

    // GetAsNumber, GetAsDate, GetAsTime, GetAsTimestamp as values; a text
    // that cannot be read as a date, time or timestamp gives the text "?".
    Value asNumber() const;
    Value asDate() const;
    Value asTime() const;
    Value asTimestamp() const;

    // The stored magnitude: the number, the day number, the seconds.
    long double raw() const { return number_; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    Type type_ = Type::Text;
    bool empty_ = false;  // for non-text types
    long double number_ = 0;
    std::string text_;  // text, or the container's name/reference
    std::vector<std::uint8_t> bytes_;
};

// A calculation's result: a value or the error that stopped it.
using Result = Outcome<Value>;

// Text forms.
std::string formatNumber(long double number);
std::string formatDate(std::int64_t dayNumber);
std::string formatTime(long double seconds);
std::string formatTimestamp(long double seconds);

// The number as its text form reads back: what comparisons compare.
long double canonicalNumber(long double number);

// A decimal written with digits, one optional "." and an optional exponent
// ("12", "1.5", ".5", "2e3"); independent of the C locale.
std::optional<long double> parseDecimal(std::string_view text);
// FileMaker's reading of a number out of arbitrary text.
std::optional<long double> numberFromText(std::string_view text);

// Day numbers: 1/1/0001 is day 1. dayNumber normalises months and days
// outside their range (month 13 is January of the next year, day 0 the last
// day of the previous month).
std::int64_t dayNumber(std::int64_t year, std::int64_t month, std::int64_t day);
void civilFromDay(std::int64_t dayNumber, std::int64_t& year, int& month, int& day);
inline constexpr std::int64_t kLastDay = 1460970;  // 12/31/4000, the last valid date

std::optional<std::int64_t> parseDate(std::string_view text);
std::optional<long double> parseTime(std::string_view text);
std::optional<long double> parseTimestamp(std::string_view text);

// Three-way comparison with the rules above: <0, 0 or >0.
int compare(const Value& left, const Value& right);
// Case-insensitive comparison of two texts.
int compareText(std::string_view a, std::string_view b);

}  // namespace calc

#endif
