// Date and time functions.
#include <cmath>

#include "calc/builtins.h"

namespace calc::fn {

namespace {

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
    return static_cast<std::int64_t>(d.raw());
}

std::optional<long double> secondsOf(const Value& v, bool& invalid) {
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
    if (invalid) return Value::text("?");
    if (!day) return Value::empty(Type::Number);
    if (*day < 1) return Value::text("?");
    std::int64_t year = 0;
    int month = 0;
    int dom = 0;
    civilFromDay(*day, year, month, dom);
    return part(*day, year, month, dom);
}

template <class F>
Value timeField(const Value& v, F part) {
    bool invalid = false;
    const auto secs = secondsOf(v, invalid);
    if (invalid) return Value::text("?");
    if (!secs) return Value::empty(Type::Number);
    const long double s = canonicalNumber(*secs);
    const long double a = std::fabs(s);
    const long double sign = s < 0 ? -1 : 1;
    return Value::number(sign * part(a));
}

const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

// 0 is Sunday; day 1 (1/1/0001) was a Monday.
int weekday(std::int64_t day) { return static_cast<int>(((day % 7) + 7) % 7); }

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
    if (std::llabs(month) > 100000 || std::llabs(day) > 10000000 || std::llabs(year) > 100000) {
        return Value::text("?");
    }
    const std::int64_t n = dayNumber(year, month, day);
    if (n < 1 || n > kLastDay) return Value::text("?");
    return Value::date(n);
}

Value time(const std::vector<Value>& a, const CallSite&) {
    const long double secs = a[0].numberOrZero() * 3600 + a[1].numberOrZero() * 60 + a[2].numberOrZero();
    if (!std::isfinite(secs)) return Value::text("?");
    return Value::time(secs);
}

Value timestamp(const std::vector<Value>& a, const CallSite&) {
    bool invalid = false;
    const auto day = dayOf(a[0], invalid);
    if (invalid) return Value::text("?");
    const auto secs = secondsOf(a[1], invalid);
    if (invalid) return Value::text("?");
    if (!day && !secs) return Value::empty(Type::Timestamp);
    const long double total = static_cast<long double>(day.value_or(1) - 1) * 86400 + secs.value_or(0);
    if (total < 0) return Value::text("?");
    return Value::timestamp(total);
}

Value year(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t, std::int64_t y, int, int) {
        return Value::number(static_cast<long double>(y));
    });
}
Value month(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t, std::int64_t, int m, int) { return Value::number(m); });
}
Value day(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t, std::int64_t, int, int d) { return Value::number(d); });
}
Value dayOfWeek(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t n, std::int64_t, int, int) { return Value::number(weekday(n) + 1); });
}
Value dayOfYear(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t n, std::int64_t y, int, int) {
        return Value::number(static_cast<long double>(n - dayNumber(y, 1, 1) + 1));
    });
}
Value dayName(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t n, std::int64_t, int, int) { return Value::text(kDayNames[weekday(n)]); });
}
Value monthName(const std::vector<Value>& a, const CallSite&) {
    return dateField(a[0], [](std::int64_t, std::int64_t, int m, int) { return Value::text(kMonthNames[m - 1]); });
}

Value hour(const std::vector<Value>& a, const CallSite&) {
    return timeField(a[0], [](long double s) { return std::floor(s / 3600); });
}
Value minute(const std::vector<Value>& a, const CallSite&) {
    return timeField(a[0], [](long double s) { return std::fmod(std::floor(s / 60), 60.0L); });
}
Value seconds(const std::vector<Value>& a, const CallSite&) {
    return timeField(a[0], [](long double s) { return canonicalNumber(std::fmod(s, 60.0L)); });
}

}  // namespace calc::fn
