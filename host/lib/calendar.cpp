#include "lib/calendar.h"

#include <limits>

namespace fmhost {

namespace {

constexpr std::int64_t kMaxYear = 10000000;
constexpr std::int64_t kMaxHours = 2500000000; // keeps seconds × 10^6 inside int64

// Days from 1970-01-01 of a valid proleptic Gregorian date.
std::int64_t days_from_1970(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::u16string ascii(const std::string &text) { return std::u16string(text.begin(), text.end()); }

std::string padded(std::int64_t value, std::size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return digits;
}

// A reader over the characters of a date or time text.
class Cursor {
public:
    explicit Cursor(std::u16string_view text) : text_(text) {}

    bool at_end() const { return pos_ == text_.size(); }
    void skip_blanks() {
        while (pos_ < text_.size() && (text_[pos_] == u' ' || text_[pos_] == u'\t'))
            ++pos_;
    }
    bool take(char16_t c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    // 1 to maxDigits decimal digits.
    std::optional<std::int64_t> number(std::size_t maxDigits, std::size_t *count = nullptr) {
        std::int64_t value = 0;
        std::size_t digits = 0;
        while (pos_ < text_.size() && text_[pos_] >= u'0' && text_[pos_] <= u'9') {
            if (++digits > maxDigits)
                return std::nullopt;
            value = value * 10 + (text_[pos_++] - u'0');
        }
        if (digits == 0)
            return std::nullopt;
        if (count)
            *count = digits;
        return value;
    }
    std::size_t position() const { return pos_; }
    void rewind(std::size_t position) { pos_ = position; }

private:
    std::u16string_view text_;
    std::size_t pos_ = 0;
};

std::optional<DateValue> read_date(Cursor &in) {
    const auto month = in.number(2);
    if (!month || !in.take(u'/'))
        return std::nullopt;
    const auto day = in.number(2);
    if (!day || !in.take(u'/'))
        return std::nullopt;
    const auto year = in.number(7);
    if (!year || *year < 1 || *month < 1 || *month > 12 || *day < 1)
        return std::nullopt;
    const auto days = day_number(*year, *month, *day);
    // A day past the month's end would have carried into the next month.
    if (!days || civil_date(*days).day != *day || *days > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return DateValue{static_cast<std::int32_t>(*days)};
}

// H:MM[:SS[.fraction]]; a minus is allowed when negative is.
std::optional<TimeValue> read_time(Cursor &in, bool allowNegative, std::int64_t maxHours) {
    const bool negative = allowNegative && in.take(u'-');
    const auto hours = in.number(10);
    if (!hours || *hours > maxHours || !in.take(u':'))
        return std::nullopt;
    std::size_t digits = 0;
    const auto minutes = in.number(2, &digits);
    if (!minutes || digits != 2 || *minutes > 59)
        return std::nullopt;
    std::int64_t seconds = 0;
    std::int64_t micros = 0;
    if (in.take(u':')) {
        const auto s = in.number(2, &digits);
        if (!s || digits != 2 || *s > 59)
            return std::nullopt;
        seconds = *s;
        if (in.take(u'.')) {
            std::int64_t scale = 100000;
            bool any = false;
            while (!in.at_end()) {
                const std::size_t here = in.position();
                const auto digit = in.number(1);
                if (!digit) {
                    in.rewind(here);
                    break;
                }
                any = true;
                micros += *digit * scale; // digits past the sixth are dropped
                scale /= 10;
            }
            if (!any)
                return std::nullopt;
        }
    }
    std::int64_t total = ((*hours * 60 + *minutes) * 60 + seconds) * kMicrosPerSecond + micros;
    if (negative)
        total = -total;
    return TimeValue{floor_div(total, kMicrosPerSecond), static_cast<std::int32_t>(floor_mod(total, kMicrosPerSecond))};
}

// A date, optionally followed by blanks and a time of day.
std::optional<TimeStampValue> read_timestamp(std::u16string_view text, bool *hadTime = nullptr) {
    Cursor in(text);
    in.skip_blanks();
    const auto date = read_date(in);
    if (!date)
        return std::nullopt;
    in.skip_blanks();
    TimeValue time;
    const bool withTime = !in.at_end();
    if (withTime) {
        const auto t = read_time(in, false, 23);
        if (!t)
            return std::nullopt;
        time = *t;
        in.skip_blanks();
        if (!in.at_end())
            return std::nullopt;
    }
    if (hadTime)
        *hadTime = withTime;
    return TimeStampValue{date->days, static_cast<std::int32_t>(time.secs), time.micros};
}

} // namespace

std::optional<std::int64_t> day_number(std::int64_t year, std::int64_t month, std::int64_t day) {
    if (year > kMaxYear || year < -kMaxYear || month > 12 * kMaxYear || month < -12 * kMaxYear ||
        day > 400 * kMaxYear || day < -400 * kMaxYear)
        return std::nullopt;
    year += floor_div(month - 1, 12);
    month = floor_mod(month - 1, 12) + 1;
    return days_from_1970(year, month, 1) + kDayOf1970 + (day - 1);
}

CivilDate civil_date(std::int64_t dayNumber) {
    const std::int64_t z = dayNumber - kDayOf1970 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return CivilDate{yearOfEra + era * 400 + (month <= 2), month, day};
}

std::optional<TimeStampValue> make_timestamp(std::int64_t days, std::int64_t secs, std::int32_t micros) {
    secs += floor_div(micros, kMicrosPerSecond);
    days += floor_div(secs, kSecondsPerDay);
    if (days > std::numeric_limits<std::int32_t>::max() || days < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return TimeStampValue{static_cast<std::int32_t>(days), static_cast<std::int32_t>(floor_mod(secs, kSecondsPerDay)),
                          static_cast<std::int32_t>(floor_mod(micros, kMicrosPerSecond))};
}

std::int64_t epoch_seconds(const TimeStampValue &value) {
    return static_cast<std::int64_t>(value.days) * kSecondsPerDay + value.secs;
}

std::u16string format_date(DateValue value) {
    const CivilDate date = civil_date(value.days);
    const std::string year = date.year < 0 ? "-" + padded(-date.year, 4) : padded(date.year, 4);
    return ascii(std::to_string(date.month) + "/" + std::to_string(date.day) + "/" + year);
}

std::u16string format_time(TimeValue value) {
    __int128 total = static_cast<__int128>(value.secs) * kMicrosPerSecond + value.micros;
    std::string text;
    if (total < 0) {
        text = "-";
        total = -total;
    }
    const auto micros = static_cast<std::int64_t>(total % kMicrosPerSecond);
    const auto secs = static_cast<std::int64_t>(total / kMicrosPerSecond);
    text += std::to_string(secs / 3600) + ":" + padded(secs / 60 % 60, 2) + ":" + padded(secs % 60, 2);
    if (micros != 0) {
        std::string fraction = padded(micros, 6);
        fraction.erase(fraction.find_last_not_of('0') + 1);
        text += "." + fraction;
    }
    return ascii(text);
}

std::u16string format_timestamp(TimeStampValue value) {
    return format_date(DateValue{value.days}) + u" " + format_time(TimeValue{value.secs, value.micros});
}

std::optional<DateValue> parse_date(std::u16string_view text) {
    const auto stamp = read_timestamp(text);
    if (!stamp)
        return std::nullopt;
    return DateValue{stamp->days};
}

std::optional<TimeValue> parse_time(std::u16string_view text) {
    Cursor in(text);
    in.skip_blanks();
    if (const auto time = read_time(in, true, kMaxHours)) {
        in.skip_blanks();
        if (in.at_end())
            return time;
    }
    bool hadTime = false;
    const auto stamp = read_timestamp(text, &hadTime);
    if (!stamp || !hadTime)
        return std::nullopt;
    return TimeValue{stamp->secs, stamp->micros};
}

std::optional<TimeStampValue> parse_timestamp(std::u16string_view text) { return read_timestamp(text); }

} // namespace fmhost
