#include "lib/calendar.h"

#include <chrono>
#include <ctime>
#include <limits>

namespace fmhost {

namespace {

constexpr std::int64_t kMaxYear = 10000000;

// Days from 1970-01-01 of a valid proleptic Gregorian date.
std::int64_t days_from_1970(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::string padded(std::int64_t value, std::size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return digits;
}

int current_year() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm.tm_year + 1900;
}

// A year written with one or two digits, placed within 70 years before and
// 30 years after the current one.
std::int64_t full_year(std::int64_t year) {
    const int now = current_year();
    std::int64_t full = now / 100 * 100 + year;
    if (full > now + 30)
        full -= 100;
    if (full < now - 69)
        full += 100;
    return full;
}

// A reader over the characters of a date or time text, of either width.
template <class Char> class Cursor {
public:
    explicit Cursor(std::basic_string_view<Char> text) : text_(text) {}

    bool at_end() const { return pos_ == text_.size(); }
    // Skips blanks; whether there were any.
    bool skip_blanks() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
            ++pos_;
        return pos_ != start;
    }
    bool take(char c) {
        if (pos_ < text_.size() && text_[pos_] == static_cast<Char>(c)) {
            ++pos_;
            return true;
        }
        return false;
    }
    // The next character if it is one of `choices`, taken.
    std::optional<char> take_one_of(std::string_view choices) {
        if (pos_ < text_.size())
            for (const char c : choices)
                if (text_[pos_] == static_cast<Char>(c)) {
                    ++pos_;
                    return c;
                }
        return std::nullopt;
    }
    // 1 to maxDigits decimal digits.
    std::optional<std::int64_t> number(std::size_t maxDigits, std::size_t *count = nullptr) {
        std::int64_t value = 0;
        std::size_t digits = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            if (++digits > maxDigits)
                return std::nullopt;
            value = value * 10 + static_cast<std::int64_t>(text_[pos_++] - '0');
        }
        if (digits == 0)
            return std::nullopt;
        if (count)
            *count = digits;
        return value;
    }
    // Letters and points up to the end or a blank, upper-cased ASCII; empty
    // when anything else stands there.
    std::string word() {
        std::string out;
        while (pos_ < text_.size() && text_[pos_] != ' ' && text_[pos_] != '\t') {
            const auto c = static_cast<char32_t>(text_[pos_]);
            if (c >= 'a' && c <= 'z')
                out.push_back(static_cast<char>(c - 'a' + 'A'));
            else if ((c >= 'A' && c <= 'Z') || c == '.')
                out.push_back(static_cast<char>(c));
            else
                return {};
            ++pos_;
        }
        return out;
    }
    std::size_t position() const { return pos_; }
    void rewind(std::size_t position) { pos_ = position; }

private:
    std::basic_string_view<Char> text_;
    std::size_t pos_ = 0;
};

// M/D/Y (with "/", "-" or "." twice) or YYYY-MM-DD, within the host's range.
template <class Char> std::optional<DateValue> read_date(Cursor<Char> &in) {
    std::size_t firstDigits = 0;
    std::size_t lastDigits = 0;
    const auto first = in.number(4, &firstDigits);
    if (!first)
        return std::nullopt;
    const auto separator = in.take_one_of("/-.");
    if (!separator)
        return std::nullopt;
    const auto second = in.number(2);
    if (!second || !in.take(*separator))
        return std::nullopt;
    const auto third = in.number(4, &lastDigits);
    if (!third)
        return std::nullopt;
    std::int64_t year = 0;
    std::int64_t month = 0;
    std::int64_t day = 0;
    if (firstDigits == 4 && *separator == '-') {
        if (lastDigits > 2)
            return std::nullopt;
        year = *first;
        month = *second;
        day = *third;
    } else {
        if (firstDigits > 2)
            return std::nullopt;
        month = *first;
        day = *second;
        year = lastDigits <= 2 ? full_year(*third) : *third;
    }
    if (year < 1 || year > 4000 || month < 1 || month > 12 || day < 1)
        return std::nullopt;
    const auto days = day_number(year, month, day);
    // A day past the month's end would have carried into the next month.
    if (!days || civil_date(*days).day != day)
        return std::nullopt;
    return DateValue{static_cast<std::int32_t>(*days)};
}

// H[:MM[:SS[.fraction]]] [AM|PM]; a minus is allowed when negative is, and
// the hours end at 23 when the time is a time of day.
template <class Char> std::optional<TimeValue> read_time(Cursor<Char> &in, bool allowNegative, bool timeOfDay) {
    constexpr std::int64_t kMaxHours = 2500000000; // keeps the microseconds inside int64
    const bool negative = allowNegative && in.take('-');
    auto hours = in.number(10);
    if (!hours || *hours > kMaxHours)
        return std::nullopt;
    std::int64_t minutes = 0;
    std::int64_t seconds = 0;
    std::int64_t micros = 0;
    if (in.take(':')) {
        const auto m = in.number(2);
        if (!m || *m > 59)
            return std::nullopt;
        minutes = *m;
        if (in.take(':')) {
            const auto s = in.number(2);
            if (!s || *s > 59)
                return std::nullopt;
            seconds = *s;
            if (in.take('.')) {
                std::int64_t scale = 100000;
                bool any = false;
                for (;;) {
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
    }
    const std::size_t beforeSuffix = in.position();
    in.skip_blanks();
    const std::string suffix = in.word();
    const bool am = suffix == "AM" || suffix == "A" || suffix == "A.M.";
    const bool pm = suffix == "PM" || suffix == "P" || suffix == "P.M.";
    if (am || pm) {
        if (negative || *hours > 12)
            return std::nullopt;
        hours = *hours % 12 + (pm ? 12 : 0);
    } else {
        in.rewind(beforeSuffix);
    }
    if (timeOfDay && *hours > 23)
        return std::nullopt;
    std::int64_t total = ((*hours * 60 + minutes) * 60 + seconds) * kMicrosPerSecond + micros;
    if (negative)
        total = -total;
    return TimeValue{floor_div(total, kMicrosPerSecond), static_cast<std::int32_t>(floor_mod(total, kMicrosPerSecond))};
}

// A date, optionally followed by blanks and a time of day.
template <class Char>
std::optional<TimeStampValue> read_timestamp(std::basic_string_view<Char> text, bool *hadTime = nullptr) {
    Cursor<Char> in(text);
    in.skip_blanks();
    const auto date = read_date(in);
    if (!date)
        return std::nullopt;
    const bool blank = in.skip_blanks();
    TimeValue time;
    const bool withTime = !in.at_end();
    if (withTime) {
        if (!blank)
            return std::nullopt;
        const auto t = read_time(in, false, true);
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

template <class Char> std::optional<DateValue> date_of(std::basic_string_view<Char> text) {
    const auto stamp = read_timestamp(text);
    if (!stamp)
        return std::nullopt;
    return DateValue{stamp->days};
}

template <class Char> std::optional<TimeValue> time_of(std::basic_string_view<Char> text) {
    Cursor<Char> in(text);
    in.skip_blanks();
    if (const auto time = read_time(in, true, false)) {
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

// Microseconds of a count of seconds, rounded; nothing beyond int64.
std::optional<std::int64_t> micros_of(const Decimal &seconds) { return seconds.rounded(6).floor_scaled(6); }

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

int weekday(std::int64_t dayNumber) { return static_cast<int>(floor_mod(dayNumber, 7)); }

Decimal seconds_of(const TimeValue &value) { return Decimal::from_seconds(value.secs, value.micros); }

Decimal seconds_of(const TimeStampValue &value) {
    return Decimal::from_seconds((std::int64_t{value.days} - 1) * kSecondsPerDay + value.secs, value.micros);
}

std::optional<TimeValue> time_from_seconds(const Decimal &seconds) {
    const auto micros = micros_of(seconds);
    if (!micros)
        return std::nullopt;
    return TimeValue{floor_div(*micros, kMicrosPerSecond), static_cast<std::int32_t>(floor_mod(*micros, kMicrosPerSecond))};
}

std::optional<TimeStampValue> timestamp_from_seconds(const Decimal &seconds) {
    const auto micros = micros_of(seconds);
    if (!micros)
        return std::nullopt;
    constexpr std::int64_t kMicrosPerDay = kSecondsPerDay * kMicrosPerSecond;
    const std::int64_t rest = floor_mod(*micros, kMicrosPerDay);
    return make_timestamp(floor_div(*micros, kMicrosPerDay) + 1, rest / kMicrosPerSecond,
                          static_cast<std::int32_t>(rest % kMicrosPerSecond));
}

std::string format_date(std::int64_t dayNumber) {
    if (dayNumber < kFirstDay || dayNumber > kLastDay)
        return "?";
    const CivilDate date = civil_date(dayNumber);
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" + padded(date.year, 4);
}

std::string format_time(const TimeValue &value) {
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
    return text;
}

std::string format_timestamp(const TimeStampValue &value) {
    const std::string date = format_date(value.days);
    if (date == "?")
        return date;
    return date + " " + format_time(TimeValue{value.secs, value.micros});
}

std::optional<DateValue> parse_date(std::string_view text) { return date_of(text); }
std::optional<DateValue> parse_date(std::u16string_view text) { return date_of(text); }
std::optional<TimeValue> parse_time(std::string_view text) { return time_of(text); }
std::optional<TimeValue> parse_time(std::u16string_view text) { return time_of(text); }
std::optional<TimeStampValue> parse_timestamp(std::string_view text) { return read_timestamp(text); }
std::optional<TimeStampValue> parse_timestamp(std::u16string_view text) { return read_timestamp(text); }

} // namespace fmhost
