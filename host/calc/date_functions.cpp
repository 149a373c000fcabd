// Date and time functions.
#include "calc/builtins.h"

namespace calc::fn {

namespace {

using Rounding = Decimal::Rounding;

Value unknown() { return Value::text("?"); }

// The day number of a value read as a date; no value when it is empty or no
// date ("?" is then the function's result).
std::optional<std::int64_t> dayOf(const Value& v, bool& invalid) {
    invalid = false;
    const Value d = v.asDate();
    if (d.type() != Type::Date) {
        invalid = true;
        return std::nullopt;
    }
    if (d.isEmpty()) return std::nullopt;
    return d.day();
}

std::optional<Decimal> secondsOf(const Value& v, bool& invalid) {
    invalid = false;
    const Value t = v.asTime();
    if (t.type() != Type::Time) {
        invalid = true;
        return std::nullopt;
    }
    if (t.isEmpty()) return std::nullopt;
    return t.raw();
}

template <class F>
Value dateField(const Value& v, F part) {
    bool invalid = false;
    const auto day = dayOf(v, invalid);
    if (invalid) return unknown();
    if (!day) return Value::empty(Type::Number);
    if (*day < fmhost::kFirstDay || *day > fmhost::kLastDay) return unknown();
    return part(*day, fmhost::civil_date(*day));
}

// A part of a time's seconds, taken from their magnitude and given their
// sign: Hour ( -1:30:00 ) is -1.
template <class F>
Value timeField(const Value& v, F part) {
    bool invalid = false;
    const auto secs = secondsOf(v, invalid);
    if (invalid) return unknown();
    if (!secs) return Value::empty(Type::Number);
    const auto result = part(secs->abs());
    if (!result) return unknown();
    return Value::checked(secs->is_negative() ? result->negated() : *result);
}

std::optional<Decimal> wholeUnits(const Decimal& seconds, std::int64_t unit) {
    return seconds.divided(Decimal::from_int64(unit), 0, Rounding::Floor);
}

const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

std::int64_t firstOfYear(std::int64_t year) { return *fmhost::day_number(year, 1, 1); }

}  // namespace

Value getAsDate(const std::vector<Value>& a, const CallSite&) { return a[0].asDate(); }
Value getAsTime(const std::vector<Value>& a, const CallSite&) { return a[0].asTime(); }
Value getAsTimestamp(const std::vector<Value>& a, const CallSite&) { return a[0].asTimestamp(); }

// Date ( month ; day ; year ): months and days outside their range carry
// over, as Date ( 13 ; 1 ; 2020 ) is 1/1/2021.
Value date(const std::vector<Value>& a, const CallSite&) {
    const long long month = fnutil::integer(a[0]);
    const long long day = fnutil::integer(a[1]);
    const long long year = fnutil::integer(a[2]);
    const auto n = fmhost::day_number(year, month, day);
    if (!n || *n < fmhost::kFirstDay || *n > fmhost::kLastDay) return unknown();
    return Value::date(*n);
}

// Time ( hours ; minutes ; seconds ), exactly: fractions stay.
Value time(const std::vector<Value>& a, const CallSite&) {
    const auto hours = a[0].numberOrZero().times(Decimal::from_int64(3600));
    const auto minutes = a[1].numberOrZero().times(Decimal::from_int64(60));
    if (!hours || !minutes) return unknown();
    const auto secs = hours->plus(*minutes);
    const auto total = secs ? secs->plus(a[2].numberOrZero()) : std::nullopt;
    if (!total || !fmhost::time_from_seconds(*total)) return unknown();
    return Value::time(*total);
}

Value timestamp(const std::vector<Value>& a, const CallSite&) {
    bool invalid = false;
    const auto day = dayOf(a[0], invalid);
    if (invalid) return unknown();
    const auto secs = secondsOf(a[1], invalid);
    if (invalid) return unknown();
    if (!day && !secs) return Value::empty(Type::Timestamp);
    const auto midnight = Decimal::from_int64(day.value_or(1) - 1).times(Decimal::from_int64(fmhost::kSecondsPerDay));
    const auto total = midnight ? midnight->plus(secs.value_or(Decimal())) : std::nullopt;
    if (!total || total->is_negative()) return unknown();
    return Value::timestamp(*total);
}

Value year(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t, const fmhost::CivilDate& d) { return Value::number(d.year); });
}
Value month(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t, const fmhost::CivilDate& d) { return Value::number(d.month); });
}
Value day(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t, const fmhost::CivilDate& d) { return Value::number(d.day); });
}
Value dayOfWeek(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t n, const fmhost::CivilDate&) { return Value::number(fmhost::weekday(n) + 1); });
}
Value dayOfYear(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t n, const fmhost::CivilDate& d) {
        return Value::number(n - firstOfYear(d.year) + 1);
    });
}

// WeekOfYear ( date ): weeks run Sunday to Saturday, and the week of
// January 1 is week 1.
Value weekOfYear(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t n, const fmhost::CivilDate& d) {
        const std::int64_t first = firstOfYear(d.year);
        return Value::number((n - first + fmhost::weekday(first)) / 7 + 1);
    });
}

// WeekOfYearFiscal ( date ; startingDay ): weeks start on startingDay (1
// Sunday .. 7 Saturday), and week 1 is the first week with four or more
// days of the year; the days before it belong to the last week of the
// year before.
Value weekOfYearFiscal(const std::vector<Value>& a, const CallSite&) {
    const long long start = fnutil::integer(a[1]);
    if (start < 1 || start > 7) return unknown();
    return dateField(a[0], [start](std::int64_t n, const fmhost::CivilDate& d) {
        // The first day of week 1 of a year.
        auto weekOne = [start](std::int64_t year) {
            const std::int64_t first = firstOfYear(year);
            const std::int64_t back = fmhost::floor_mod(fmhost::weekday(first) - (start - 1), 7);
            const std::int64_t weekStart = first - back;
            return back <= 3 ? weekStart : weekStart + 7;
        };
        std::int64_t begin = weekOne(d.year + 1);
        if (n < begin) begin = weekOne(d.year);
        if (n < begin) begin = weekOne(d.year - 1);
        return Value::number((n - begin) / 7 + 1);
    });
}

Value dayName(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t n, const fmhost::CivilDate&) {
        return Value::text(kDayNames[fmhost::weekday(n)]);
    });
}
Value monthName(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t, const fmhost::CivilDate& d) { return Value::text(kMonthNames[d.month - 1]); });
}

Value hour(const std::vector<Value>& a, const CallSite&) {
    return timeField(a[0], [](const Decimal& s) { return wholeUnits(s, 3600); });
}
Value minute(const std::vector<Value>& a, const CallSite&) {
    return timeField(a[0], [](const Decimal& s) -> std::optional<Decimal> {
        const auto minutes = wholeUnits(s, 60);
        const auto hours = wholeUnits(s, 3600);
        if (!minutes || !hours) return std::nullopt;
        const auto full = hours->times(Decimal::from_int64(60));
        return full ? minutes->minus(*full) : std::nullopt;
    });
}
Value seconds(const std::vector<Value>& a, const CallSite&) {
    return timeField(a[0], [](const Decimal& s) -> std::optional<Decimal> {
        const auto minutes = wholeUnits(s, 60);
        const auto full = minutes ? minutes->times(Decimal::from_int64(60)) : std::nullopt;
        return full ? s.minus(*full) : std::nullopt;
    });
}

}  // namespace calc::fn
