// The host calendar: day numbers, time values and their text forms.
//
// Days count from the host epoch: 0001-01-01 is day 1 and 1970-01-01 day
// 719163, in the proleptic Gregorian calendar. Times are seconds plus
// microseconds (0..999999, the seconds rounded down).
#ifndef FMHOST_LIB_CALENDAR_H
#define FMHOST_LIB_CALENDAR_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fmhost {

inline constexpr std::int64_t kSecondsPerDay = 86400;
inline constexpr std::int64_t kMicrosPerSecond = 1000000;
inline constexpr std::int32_t kDayOf1970 = 719163;

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

// A day and seconds into it folded into a timestamp; nothing when the day
// leaves the 32-bit range.
std::optional<TimeStampValue> make_timestamp(std::int64_t days, std::int64_t secs, std::int32_t micros);
// Seconds since the host epoch (days × 86400 + seconds) of a timestamp.
std::int64_t epoch_seconds(const TimeStampValue &value);

// "M/D/YYYY", "H:MM:SS" (a fraction of a second after a point when there is
// one; hours pass 24 for durations; a minus for negative ones) and the two
// joined by a blank.
std::u16string format_date(DateValue value);
std::u16string format_time(TimeValue value);
std::u16string format_timestamp(TimeStampValue value);

// The forms above, surrounded by optional blanks; the seconds may be left
// out. A timestamp's date alone reads as its midnight; a date or time is
// also read from a timestamp text.
std::optional<DateValue> parse_date(std::u16string_view text);
std::optional<TimeValue> parse_time(std::u16string_view text);
std::optional<TimeStampValue> parse_timestamp(std::u16string_view text);

} // namespace fmhost

#endif
