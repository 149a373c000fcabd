// The host calendar: day numbers, times, timestamps, and the one reading and
// writing of their text forms that the host library and the calculation
// engine share.
//
// Days count from 1/1/0001 as day 1 (1/1/1970 is day 719163) in the
// proleptic Gregorian calendar; the host's dates run from 1/1/0001 to
// 12/31/4000. Times are seconds plus microseconds (0..999999, the seconds
// rounded down); as a number a timestamp is its seconds since 1/1/0001
// 0:00:00 (1/1/1970 0:00:00 is 62135596800).
//
// Text forms written:
//   date       M/D/YYYY: 2/29/2008, 1/1/0001; "?" for a day outside the range
//   time       H:MM:SS, hours past 23 for durations and a "-" for negative
//              ones, a fraction of a second after a point: 9:05:00, 25:00:00,
//              -0:00:01.5
//   timestamp  the date and the time of day: 2/29/2008 13:45:00
// Text forms read (blanks around them are ignored):
//   date       M/D/Y with "/", "-" or "." between the parts (the same one
//              twice), or YYYY-MM-DD. A year of one or two digits lies
//              within 70 years before and 30 years after the current year.
//              A timestamp's text reads as its date.
//   time       H, H:MM, H:MM:SS or H:MM:SS.fraction (minutes and seconds of
//              one or two digits, up to 59), optionally followed by AM or PM
//              (also A, P, a.m., p.m., any case) for hours 0 to 12; a "-"
//              before it makes a negative duration. Digits of a fraction
//              past the sixth are dropped. A timestamp's text reads as its
//              time of day.
//   timestamp  a date, optionally followed by blanks and a time of day.
#ifndef FMHOST_LIB_CALENDAR_H
#define FMHOST_LIB_CALENDAR_H

#include "lib/decimal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fmhost {

inline constexpr std::int64_t kSecondsPerDay = 86400;
inline constexpr std::int64_t kMicrosPerSecond = 1000000;
inline constexpr std::int32_t kDayOf1970 = 719163;
inline constexpr std::int64_t kFirstDay = 1;       // 1/1/0001
inline constexpr std::int64_t kLastDay = 1460970;  // 12/31/4000

struct DateValue {
    std::int32_t days = 0;
    bool operator==(const DateValue &) const = default;
};

// A time of day or a duration: the seconds may pass a day or be negative.
struct TimeValue {
    std::int64_t secs = 0;
    std::int32_t micros = 0;
    bool operator==(const TimeValue &) const = default;
};

// A day and the time on it (secs 0..86399).
struct TimeStampValue {
    std::int32_t days = 0;
    std::int32_t secs = 0;
    std::int32_t micros = 0;
    bool operator==(const TimeStampValue &) const = default;
};

struct CivilDate {
    std::int64_t year;
    int month; // 1..12
    int day;   // 1..31
};

constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
constexpr std::int64_t floor_mod(std::int64_t a, std::int64_t b) { return a - floor_div(a, b) * b; }

// Day number of a calendar date; month and day outside their ranges carry
// over the way mktime does (month 13 is January of the next year, day 0 the
// last day of the previous month). Years are limited to ±10^7, where no
// overflow can happen; nothing beyond.
std::optional<std::int64_t> day_number(std::int64_t year, std::int64_t month, std::int64_t day);
CivilDate civil_date(std::int64_t dayNumber);
// 0 for Sunday to 6 for Saturday.
int weekday(std::int64_t dayNumber);

// A day and seconds into it folded into a timestamp; nothing when the day
// leaves the 32-bit range.
std::optional<TimeStampValue> make_timestamp(std::int64_t days, std::int64_t secs, std::int32_t micros);
// Seconds since the host epoch (days × 86400 + seconds), as the host's
// DateTime counts them.
std::int64_t epoch_seconds(const TimeStampValue &value);

// Times and timestamps as numbers of seconds, and back. A count of seconds
// is rounded to the microsecond; nothing when it leaves the 64-bit range of
// microseconds or the timestamp's day the 32-bit range.
Decimal seconds_of(const TimeValue &value);
Decimal seconds_of(const TimeStampValue &value);
std::optional<TimeValue> time_from_seconds(const Decimal &seconds);
std::optional<TimeStampValue> timestamp_from_seconds(const Decimal &seconds);

std::string format_date(std::int64_t dayNumber);
std::string format_time(const TimeValue &value);
std::string format_timestamp(const TimeStampValue &value);

std::optional<DateValue> parse_date(std::string_view text);
std::optional<DateValue> parse_date(std::u16string_view text);
std::optional<TimeValue> parse_time(std::string_view text);
std::optional<TimeValue> parse_time(std::u16string_view text);
std::optional<TimeStampValue> parse_timestamp(std::string_view text);
std::optional<TimeStampValue> parse_timestamp(std::u16string_view text);

} // namespace fmhost

#endif
