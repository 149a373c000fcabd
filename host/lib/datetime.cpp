// FM_DateTime_: a day since the host epoch and a time on it.
//
// SetNormalizedDate2 sets the day from year, month and day (their integer
// parts), carrying months and days over as mktime does; the time stays.
// SetNormalizedTime1 sets the time and carries whole days into the day.
// SetSecsSinceMidnight sets the time as given, so a duration may pass a day.
// A day outside the 32-bit range fails with code 2 and changes nothing.
#include "lib/guard.h"
#include "lib/objects.h"

#include <limits>

using namespace fmhost;
using namespace fmhost::detail;

namespace {

std::int32_t checked_day(std::int64_t day) {
    if (day < std::numeric_limits<std::int32_t>::min() || day > std::numeric_limits<std::int32_t>::max())
        fail();
    return static_cast<std::int32_t>(day);
}

} // namespace

extern "C" {

FMX_DateTime *FM_DateTime_Constructor1(FMX_Error *err) {
    return guarded<FMX_DateTime *>(__func__, err, nullptr, [] { return construct<FMX_DateTime>(); });
}

void FM_DateTime_Delete(FMX_DateTime *dateTime, FMX_Error *err) {
    guarded(__func__, err, [&] { destroy(dateTime); });
}

void FM_DateTime_SetNormalizedDate2(FMX_DateTime *dateTime, const FMX_FixPt *year, const FMX_FixPt *month,
                                    const FMX_FixPt *day, FMX_Error *err) {
    guarded(__func__, err, [&] {
        FMX_DateTime &dt = writable(dateTime);
        const auto days =
            day_number(readable(year).value.to_int64(), readable(month).value.to_int64(), readable(day).value.to_int64());
        if (!days)
            fail();
        dt.days = checked_day(*days);
    });
}

void FM_DateTime_SetNormalizedTime1(FMX_DateTime *dateTime, int64_t hour, int16_t minute, int16_t second,
                                    int32_t microsecond, FMX_Error *err) {
    guarded(__func__, err, [&] {
        FMX_DateTime &dt = writable(dateTime);
        constexpr __int128 kMicrosPerDay = kSecondsPerDay * kMicrosPerSecond;
        const __int128 total =
            ((static_cast<__int128>(hour) * 60 + minute) * 60 + second) * kMicrosPerSecond + microsecond;
        __int128 carry = total / kMicrosPerDay;
        __int128 rest = total % kMicrosPerDay;
        if (rest < 0) {
            rest += kMicrosPerDay;
            --carry;
        }
        const __int128 days = dt.days + carry;
        if (days < std::numeric_limits<std::int32_t>::min() || days > std::numeric_limits<std::int32_t>::max())
            fail();
        dt.days = static_cast<std::int32_t>(days);
        dt.secs = static_cast<std::int64_t>(rest / kMicrosPerSecond);
        dt.micros = static_cast<std::int32_t>(rest % kMicrosPerSecond);
    });
}

void FM_DateTime_SetSecsSinceMidnight(FMX_DateTime *dateTime, const FMX_FixPt *seconds, FMX_Error *err) {
    guarded(__func__, err, [&] {
        FMX_DateTime &dt = writable(dateTime);
        const auto micros = readable(seconds).value.floor_scaled(6);
        if (!micros)
            fail();
        dt.secs = floor_div(*micros, kMicrosPerSecond);
        dt.micros = static_cast<std::int32_t>(floor_mod(*micros, kMicrosPerSecond));
    });
}

int32_t FM_DateTime_GetDaysSinceEpoch(const FMX_DateTime *dateTime, FMX_Error *err) {
    return guarded<int32_t>(__func__, err, 0, [&] { return readable(dateTime).days; });
}

void FM_DateTime_GetSecsSinceMidnight(const FMX_DateTime *dateTime, FMX_FixPt *seconds, FMX_Error *err) {
    guarded(__func__, err, [&] {
        const FMX_DateTime &dt = readable(dateTime);
        writable(seconds).value = Decimal::from_seconds(dt.secs, dt.micros);
    });
}

void FM_DateTime_GetSecondsSinceEpoch(const FMX_DateTime *dateTime, FMX_FixPt *seconds, FMX_Error *err) {
    guarded(__func__, err, [&] {
        const FMX_DateTime &dt = readable(dateTime);
        writable(seconds).value =
            Decimal::from_seconds(static_cast<std::int64_t>(dt.days) * kSecondsPerDay + dt.secs, dt.micros);
    });
}

} // extern "C"
