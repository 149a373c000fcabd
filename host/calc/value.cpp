#include "calc/value.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "calc/utf8.h"
#include "lib/calendar.h"

namespace calc {

namespace {

constexpr long double kTwoTo64 = 18446744073709551616.0L;
constexpr long double kSecondsPerDay = 86400;

// Powers of ten; exact in long double up to 10^27.
long double pow10(int k) {
    static const auto table = [] {
        std::vector<long double> t(28);
        long double p = 1;
        for (auto& v : t) {
            v = p;
            p *= 10;
        }
        return t;
    }();
    if (k >= 0 && k <= 27) return table[static_cast<std::size_t>(k)];
    return std::pow(10.0L, static_cast<long double>(k));
}

std::string digitsOf(std::uint64_t v) {
    std::string s;
    do {
        s.insert(s.begin(), static_cast<char>('0' + v % 10));
        v /= 10;
    } while (v != 0);
    return s;
}

std::string_view trimmed(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// Reads an unsigned run of ASCII digits at s[i]; false when there is none or
// it is absurdly long.
bool readInt(std::string_view s, std::size_t& i, std::int64_t& out, std::size_t& count) {
    out = 0;
    count = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (count >= 12) return false;
        out = out * 10 + (s[i] - '0');
        ++i;
        ++count;
    }
    return count > 0;
}

int currentYear() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm.tm_year + 1900;
}

// Two-digit years land within 70 years before and 30 years after this year.
std::int64_t expandYear(std::int64_t yy) {
    const int now = currentYear();
    std::int64_t year = (now / 100) * 100 + yy;
    if (year > now + 30) year -= 100;
    if (year < now - 69) year += 100;
    return year;
}

// A day count from a number, kept in a range whose arithmetic cannot overflow;
// anything outside it formats as "?" anyway.
std::int64_t dayFrom(long double n) {
    if (!std::isfinite(n) || n < -1e12L) return -1;
    if (n > 1e12L) return 1000000000000LL;
    return static_cast<std::int64_t>(std::trunc(n));
}

}  // namespace

const char* typeName(Type type) {
    switch (type) {
        case Type::Text: return "text";
        case Type::Number: return "number";
        case Type::Date: return "date";
        case Type::Time: return "time";
        case Type::Timestamp: return "timestamp";
        case Type::Container: return "container";
    }
    return "text";
}

const char* fieldTypeWord(Type type) {
    switch (type) {
        case Type::Text: return "Text";
        case Type::Number: return "Number";
        case Type::Date: return "Date";
        case Type::Time: return "Time";
        case Type::Timestamp: return "Timestamp";
        case Type::Container: return "Container";
    }
    return "Text";
}

std::optional<Type> typeFromName(std::string_view name) {
    std::string lowered;
    for (char c : name) lowered.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c);
    for (Type t : {Type::Text, Type::Number, Type::Date, Type::Time, Type::Timestamp, Type::Container}) {
        if (lowered == typeName(t)) return t;
    }
    return std::nullopt;
}

// ---- numbers ---------------------------------------------------------------

std::optional<long double> parseDecimal(std::string_view text) {
    std::size_t i = 0;
    std::uint64_t mantissa = 0;
    int significant = 0;
    long exponent = 0;
    bool anyDigit = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        const int d = text[i] - '0';
        anyDigit = true;
        if (mantissa != 0 || d != 0) {
            if (significant < 19) {
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(d);
                ++significant;
            } else {
                ++exponent;
            }
        }
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            const int d = text[i] - '0';
            anyDigit = true;
            if (mantissa == 0 && d == 0) {
                --exponent;
            } else if (significant < 19) {
                mantissa = mantissa * 10 + static_cast<std::uint64_t>(d);
                ++significant;
                --exponent;
            }
            ++i;
        }
    }
    if (!anyDigit) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
        long e = 0;
        bool any = false;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (e < 100000) e = e * 10 + (text[i] - '0');
            ++i;
            any = true;
        }
        if (!any) return std::nullopt;
        exponent += negative ? -e : e;
    }
    if (i != text.size()) return std::nullopt;
    if (mantissa == 0) return 0.0L;
    const auto m = static_cast<long double>(mantissa);
    if (exponent >= 0) return m * pow10(static_cast<int>(std::min(exponent, 100000L)));
    const long neg = -exponent;
    if (neg <= 27) return m / pow10(static_cast<int>(neg));
    return m / pow10(27) / pow10(static_cast<int>(std::min(neg - 27, 100000L)));
}

std::optional<long double> numberFromText(std::string_view text) {
    std::string digits;
    bool negative = false;
    bool seenDigit = false;
    bool seenPoint = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digits.push_back(c);
            seenDigit = true;
        } else if (c == '.' && !seenPoint) {
            digits.push_back('.');
            seenPoint = true;
        } else if (c == '-' && !seenDigit) {
            negative = true;
        }
    }
    if (!seenDigit) return std::nullopt;
    auto v = parseDecimal(digits);
    if (!v) return std::nullopt;
    return negative ? -*v : *v;
}

std::string formatNumber(long double number) {
    if (std::isnan(number) || std::isinf(number)) return "?";
    const bool negative = number < 0;
    const long double a = std::fabs(number);
    std::string out;
    if (a >= kTwoTo64 && a < 1e20L && std::trunc(a) == a) {
        // Integers between 2^64 and 10^20 are held exactly; print every digit.
        auto v = static_cast<unsigned __int128>(a);
        std::string digits;
        while (v != 0) {
            digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
            v /= 10;
        }
        out = digits;
    } else if (a >= kTwoTo64) {
        int e = static_cast<int>(std::floor(std::log10(a)));
        std::uint64_t r = static_cast<std::uint64_t>(std::round(a / pow10(e - 18)));
        if (r >= 10000000000000000000ULL) {
            r /= 10;
            ++e;
        }
        out = digitsOf(r) + std::string(static_cast<std::size_t>(std::max(0, e - 18)), '0');
    } else {
        std::uint64_t ip = static_cast<std::uint64_t>(std::trunc(a));
        const long double frac = a - static_cast<long double>(ip);
        const int intDigits = ip == 0 ? 0 : static_cast<int>(digitsOf(ip).size());
        const int fracDigits = ip == 0 ? 16 : std::max(0, std::min(16, 18 - intDigits));
        const auto unit = static_cast<std::uint64_t>(pow10(fracDigits));
        auto scaled = static_cast<std::uint64_t>(std::round(frac * pow10(fracDigits)));
        if (scaled >= unit) {
            ++ip;
            scaled -= unit;
        }
        out = digitsOf(ip);
        if (scaled != 0) {
            std::string f = digitsOf(scaled);
            f.insert(0, static_cast<std::size_t>(fracDigits) - f.size(), '0');
            while (!f.empty() && f.back() == '0') f.pop_back();
            out += '.';
            out += f;
        }
    }
    if (negative && out != "0") out.insert(out.begin(), '-');
    return out;
}

long double canonicalNumber(long double number) {
    const std::string text = formatNumber(number);
    if (text == "?") return number;
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    const auto v = parseDecimal(digits);
    if (!v) return number;
    return negative ? -*v : *v;
}

// ---- dates and times -------------------------------------------------------

std::int64_t dayNumber(std::int64_t year, std::int64_t month, std::int64_t day) {
    // Years far outside the calendar give a day that formats as "?".
    constexpr std::int64_t kFarAway = 1000000000000LL;
    return fmhost::day_number(year, month, day).value_or(year < 0 ? -kFarAway : kFarAway);
}

void civilFromDay(std::int64_t dayNumber, std::int64_t& year, int& month, int& day) {
    const fmhost::CivilDate date = fmhost::civil_date(dayNumber);
    year = date.year;
    month = date.month;
    day = date.day;
}

std::string formatDate(std::int64_t dayNumber) {
    if (dayNumber < 1) return "?";
    std::int64_t year = 0;
    int month = 0;
    int day = 0;
    civilFromDay(dayNumber, year, month, day);
    std::string y = std::to_string(year);
    if (y.size() < 4) y.insert(0, 4 - y.size(), '0');
    return std::to_string(month) + "/" + std::to_string(day) + "/" + y;
}

std::string formatTime(long double seconds) {
    if (std::isnan(seconds) || std::isinf(seconds) || std::fabs(seconds) > 1e15L) return "?";
    const bool negative = seconds < 0;
    // Fractions of a second are kept to microseconds.
    const long double micros = std::round(std::fabs(seconds) * 1000000.0L);
    const long double whole = std::floor(micros / 1000000.0L);
    const auto fracMicros = static_cast<std::uint64_t>(micros - whole * 1000000.0L);
    const auto total = static_cast<std::uint64_t>(whole);
    const std::uint64_t h = total / 3600;
    const std::uint64_t m = (total / 60) % 60;
    const std::uint64_t s = total % 60;
    std::string out = negative && micros != 0 ? "-" : "";
    out += std::to_string(h);
    out += m < 10 ? ":0" : ":";
    out += std::to_string(m);
    out += s < 10 ? ":0" : ":";
    out += std::to_string(s);
    if (fracMicros != 0) {
        std::string f = std::to_string(fracMicros);
        f.insert(0, 6 - f.size(), '0');
        while (!f.empty() && f.back() == '0') f.pop_back();
        out += '.';
        out += f;
    }
    return out;
}

std::string formatTimestamp(long double seconds) {
    if (std::isnan(seconds) || std::isinf(seconds)) return "?";
    const long double days = std::floor(seconds / kSecondsPerDay);
    const long double rest = seconds - days * kSecondsPerDay;
    if (days < 0 || days > static_cast<long double>(kLastDay) * 4) return "?";
    return formatDate(static_cast<std::int64_t>(days) + 1) + " " + formatTime(rest);
}

std::optional<std::int64_t> parseDate(std::string_view text) {
    const std::string_view s = trimmed(text);
    std::size_t i = 0;
    std::int64_t a = 0;
    std::int64_t b = 0;
    std::int64_t c = 0;
    std::size_t na = 0;
    std::size_t nb = 0;
    std::size_t nc = 0;
    if (!readInt(s, i, a, na)) return std::nullopt;
    if (i >= s.size()) return std::nullopt;
    const char sep = s[i];
    if (sep != '/' && sep != '-' && sep != '.') return std::nullopt;
    ++i;
    if (!readInt(s, i, b, nb)) return std::nullopt;
    if (i >= s.size() || s[i] != sep) return std::nullopt;
    ++i;
    if (!readInt(s, i, c, nc)) return std::nullopt;
    if (i != s.size()) return std::nullopt;
    std::int64_t year = 0;
    std::int64_t month = 0;
    std::int64_t day = 0;
    if (na == 4) {  // YYYY-MM-DD
        year = a;
        month = b;
        day = c;
    } else {  // M/D/Y
        month = a;
        day = b;
        year = nc <= 2 ? expandYear(c) : c;
    }
    if (year < 1 || year > 4000 || month < 1 || month > 12 || day < 1) return std::nullopt;
    const std::int64_t days = dayNumber(year, month, day);
    std::int64_t y = 0;
    int m = 0;
    int d = 0;
    civilFromDay(days, y, m, d);
    if (m != month) return std::nullopt;  // a day past the month's end
    return days;
}

std::optional<long double> parseTime(std::string_view text) {
    std::string_view s = trimmed(text);
    bool negative = false;
    if (!s.empty() && s.front() == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    std::size_t i = 0;
    std::int64_t h = 0;
    std::int64_t m = 0;
    std::int64_t sec = 0;
    std::size_t n = 0;
    if (!readInt(s, i, h, n)) return std::nullopt;
    long double fraction = 0;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!readInt(s, i, m, n) || n > 2 || m > 59) return std::nullopt;
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!readInt(s, i, sec, n) || n > 2 || sec > 59) return std::nullopt;
            if (i < s.size() && s[i] == '.') {
                const std::size_t start = i;
                ++i;
                while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
                fraction = parseDecimal(std::string("0") + std::string(s.substr(start, i - start))).value_or(0);
            }
        }
    }
    while (i < s.size() && s[i] == ' ') ++i;
    if (i < s.size()) {
        std::string suffix;
        for (; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '.') continue;
            suffix.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c);
        }
        if (h < 1 || h > 12) return std::nullopt;
        if (suffix == "AM" || suffix == "A") {
            if (h == 12) h = 0;
        } else if (suffix == "PM" || suffix == "P") {
            if (h != 12) h += 12;
        } else {
            return std::nullopt;
        }
    }
    const long double total = static_cast<long double>(h * 3600 + m * 60 + sec) + fraction;
    return negative ? -total : total;
}

std::optional<long double> parseTimestamp(std::string_view text) {
    const std::string_view s = trimmed(text);
    const std::size_t blank = s.find_first_of(" \t");
    const auto day = parseDate(s.substr(0, blank));
    if (!day) return std::nullopt;
    long double seconds = 0;
    if (blank != std::string_view::npos) {
        const auto t = parseTime(s.substr(blank + 1));
        if (!t || *t < 0) return std::nullopt;
        seconds = *t;
    }
    return static_cast<long double>(*day - 1) * kSecondsPerDay + seconds;
}

// ---- Value -----------------------------------------------------------------

Value Value::text(std::string text) {
    Value v;
    v.text_ = std::move(text);
    return v;
}

Value Value::number(long double number) {
    Value v;
    v.type_ = Type::Number;
    v.number_ = number;
    return v;
}

Value Value::date(std::int64_t dayNumber) {
    Value v;
    v.type_ = Type::Date;
    v.number_ = static_cast<long double>(dayNumber);
    return v;
}

Value Value::time(long double seconds) {
    Value v;
    v.type_ = Type::Time;
    v.number_ = seconds;
    return v;
}

Value Value::timestamp(long double secondsSinceDayOne) {
    Value v;
    v.type_ = Type::Timestamp;
    v.number_ = secondsSinceDayOne;
    return v;
}

Value Value::container(std::string nameOrReference, std::vector<std::uint8_t> bytes) {
    Value v;
    v.type_ = Type::Container;
    v.text_ = std::move(nameOrReference);
    v.bytes_ = std::move(bytes);
    return v;
}

Value Value::empty(Type type) {
    Value v;
    v.type_ = type;
    v.empty_ = type != Type::Text && type != Type::Container;
    return v;
}

bool Value::isEmpty() const {
    switch (type_) {
        case Type::Text: return text_.empty();
        case Type::Container: return text_.empty() && bytes_.empty();
        default: return empty_;
    }
}

std::string Value::toText() const {
    if (empty_) return {};
    switch (type_) {
        case Type::Text:
        case Type::Container: return text_;
        case Type::Number: return formatNumber(number_);
        case Type::Date: return formatDate(dayFrom(number_));
        case Type::Time: return formatTime(number_);
        case Type::Timestamp: return formatTimestamp(number_);
    }
    return {};
}

std::optional<long double> Value::toNumber() const {
    if (empty_) return std::nullopt;
    switch (type_) {
        case Type::Text:
        case Type::Container: return numberFromText(text_);
        default: return number_;
    }
}

bool Value::truth() const {
    const auto n = toNumber();
    return n && canonicalNumber(*n) != 0;
}

Value Value::asNumber() const {
    const auto n = toNumber();
    return n ? Value::number(*n) : Value::empty(Type::Number);
}

Value Value::asDate() const {
    if (empty_) return Value::empty(Type::Date);
    switch (type_) {
        case Type::Date: return *this;
        case Type::Timestamp: return Value::date(dayFrom(std::floor(number_ / kSecondsPerDay)) + 1);
        case Type::Number: return Value::date(dayFrom(number_));
        case Type::Time: return Value::text("?");
        case Type::Text:
        case Type::Container: {
            if (trimmed(text_).empty()) return Value::empty(Type::Date);
            const auto d = parseDate(text_);
            return d ? Value::date(*d) : Value::text("?");
        }
    }
    return Value::text("?");
}

Value Value::asTime() const {
    if (empty_) return Value::empty(Type::Time);
    switch (type_) {
        case Type::Time: return *this;
        case Type::Timestamp: {
            const long double days = std::floor(number_ / kSecondsPerDay);
            return Value::time(number_ - days * kSecondsPerDay);
        }
        case Type::Number: return Value::time(number_);
        case Type::Date: return Value::text("?");
        case Type::Text:
        case Type::Container: {
            if (trimmed(text_).empty()) return Value::empty(Type::Time);
            const auto t = parseTime(text_);
            return t ? Value::time(*t) : Value::text("?");
        }
    }
    return Value::text("?");
}

Value Value::asTimestamp() const {
    if (empty_) return Value::empty(Type::Timestamp);
    switch (type_) {
        case Type::Timestamp: return *this;
        case Type::Date: return Value::timestamp((number_ - 1) * kSecondsPerDay);
        case Type::Time:
        case Type::Number: return Value::timestamp(number_);
        case Type::Text:
        case Type::Container: {
            if (trimmed(text_).empty()) return Value::empty(Type::Timestamp);
            const auto t = parseTimestamp(text_);
            return t ? Value::timestamp(*t) : Value::text("?");
        }
    }
    return Value::text("?");
}

// ---- comparison ------------------------------------------------------------

int compareText(std::string_view a, std::string_view b) {
    const std::u32string x = utf8::lower(utf8::decode(a));
    const std::u32string y = utf8::lower(utf8::decode(b));
    const int c = x.compare(y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {

bool isTextual(Type t) { return t == Type::Text || t == Type::Container; }

std::optional<long double> magnitudeAs(const Value& v, Type type) {
    Value converted;
    switch (type) {
        case Type::Date: converted = v.asDate(); break;
        case Type::Time: converted = v.asTime(); break;
        case Type::Timestamp: converted = v.asTimestamp(); break;
        default: converted = v.asNumber(); break;
    }
    if (converted.type() != type || converted.isEmpty()) return std::nullopt;
    return canonicalNumber(converted.raw());
}

}  // namespace

int compare(const Value& left, const Value& right) {
    if (isTextual(left.type()) && isTextual(right.type())) return compareText(left.toText(), right.toText());
    const Type type = isTextual(left.type()) ? right.type() : left.type();
    const auto a = magnitudeAs(left, type);
    const auto b = magnitudeAs(right, type);
    if (a && b) return *a < *b ? -1 : (*a > *b ? 1 : 0);
    if (!a && !b && left.isEmpty() && right.isEmpty()) return 0;
    return compareText(left.toText(), right.toText());
}

}  // namespace calc
