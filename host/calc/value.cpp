#include "calc/value.h"

#include <algorithm>
#include <climits>

#include "calc/utf8.h"

namespace calc {

namespace {

std::string_view trimmed(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

Decimal days(std::int64_t n) { return Decimal::from_int64(n); }

// Day and time of a timestamp's seconds; nothing outside the host's range.
std::optional<fmhost::TimeStampValue> stampOf(const Decimal& seconds) { return fmhost::timestamp_from_seconds(seconds); }

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

std::optional<Decimal> parseNumber(std::string_view text) {
    if (text.empty() || text.front() == '-' || text.front() == '+' || text.front() == ' ') return std::nullopt;
    return Decimal::parse(text);
}

// ---- Value -----------------------------------------------------------------

Value Value::text(std::string text) {
    Value v;
    v.text_ = std::move(text);
    return v;
}

Value Value::checked(const std::optional<Decimal>& number) {
    if (!number || number->integer_digits() > kMaxNumberDigits) return Value::text("?");
    Value v;
    v.type_ = Type::Number;
    v.number_ = number->fraction_digits() > kMaxNumberDigits ? number->rounded(kMaxNumberDigits) : *number;
    return v;
}

Value Value::number(const Decimal& number) { return checked(number); }

Value Value::number(std::int64_t number) { return checked(Decimal::from_int64(number)); }

Value Value::date(std::int64_t dayNumber) {
    Value v;
    v.type_ = Type::Date;
    v.number_ = days(dayNumber);
    return v;
}

Value Value::time(const Decimal& seconds) {
    Value v;
    v.type_ = Type::Time;
    v.number_ = seconds;
    return v;
}

Value Value::timestamp(const Decimal& secondsSinceDayOne) {
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

std::int64_t Value::day() const {
    const auto day = number_.floor_scaled(0);
    return day.value_or(number_.is_negative() ? -1 : fmhost::kLastDay + 1);
}

std::string Value::toText() const {
    if (empty_) return {};
    switch (type_) {
        case Type::Text:
        case Type::Container: return text_;
        case Type::Number: return number_.to_string();
        case Type::Date: return fmhost::format_date(day());
        case Type::Time: {
            const auto time = fmhost::time_from_seconds(number_);
            return time ? fmhost::format_time(*time) : "?";
        }
        case Type::Timestamp: {
            const auto stamp = stampOf(number_);
            return stamp ? fmhost::format_timestamp(*stamp) : "?";
        }
    }
    return {};
}

std::optional<Decimal> Value::toNumber() const {
    if (empty_) return std::nullopt;
    switch (type_) {
        case Type::Text:
        case Type::Container: return Decimal::extract(text_);
        default: return number_;
    }
}

bool Value::truth() const {
    const auto n = toNumber();
    return n && !n->is_zero();
}

Value Value::asNumber() const {
    if (empty_) return Value::empty(Type::Number);
    if (type_ == Type::Text || type_ == Type::Container) {
        if (!Decimal::extract(text_)) return Value::empty(Type::Number);
    }
    return Value::checked(toNumber());
}

Value Value::asDate() const {
    if (empty_) return Value::empty(Type::Date);
    switch (type_) {
        case Type::Date: return *this;
        case Type::Timestamp: {
            const auto stamp = stampOf(number_);
            return stamp ? Value::date(stamp->days) : Value::text("?");
        }
        case Type::Number: return Value::date(day());
        case Type::Time: return Value::text("?");
        case Type::Text:
        case Type::Container: {
            if (trimmed(text_).empty()) return Value::empty(Type::Date);
            const auto d = fmhost::parse_date(text_);
            return d ? Value::date(d->days) : Value::text("?");
        }
    }
    return Value::text("?");
}

Value Value::asTime() const {
    if (empty_) return Value::empty(Type::Time);
    switch (type_) {
        case Type::Time: return *this;
        case Type::Timestamp: {
            const auto stamp = stampOf(number_);
            if (!stamp) return Value::text("?");
            return Value::time(fmhost::seconds_of(fmhost::TimeValue{stamp->secs, stamp->micros}));
        }
        case Type::Number: return Value::time(number_);
        case Type::Date: return Value::text("?");
        case Type::Text:
        case Type::Container: {
            if (trimmed(text_).empty()) return Value::empty(Type::Time);
            const auto t = fmhost::parse_time(text_);
            return t ? Value::time(fmhost::seconds_of(*t)) : Value::text("?");
        }
    }
    return Value::text("?");
}

Value Value::asTimestamp() const {
    if (empty_) return Value::empty(Type::Timestamp);
    switch (type_) {
        case Type::Timestamp: return *this;
        case Type::Date:
            return Value::timestamp(fmhost::seconds_of(fmhost::TimeStampValue{static_cast<std::int32_t>(
                std::clamp<std::int64_t>(day(), INT32_MIN, INT32_MAX)), 0, 0}));
        case Type::Time:
        case Type::Number: return Value::timestamp(number_);
        case Type::Text:
        case Type::Container: {
            if (trimmed(text_).empty()) return Value::empty(Type::Timestamp);
            const auto t = fmhost::parse_timestamp(text_);
            return t ? Value::timestamp(fmhost::seconds_of(*t)) : Value::text("?");
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

std::optional<Decimal> magnitudeAs(const Value& v, Type type) {
    Value converted;
    switch (type) {
        case Type::Date: converted = v.asDate(); break;
        case Type::Time: converted = v.asTime(); break;
        case Type::Timestamp: converted = v.asTimestamp(); break;
        default: converted = v.asNumber(); break;
    }
    if (converted.type() != type || converted.isEmpty()) return std::nullopt;
    return converted.raw();
}

}  // namespace

int compare(const Value& left, const Value& right) {
    if (isTextual(left.type()) && isTextual(right.type())) return compareText(left.toText(), right.toText());
    const Type type = isTextual(left.type()) ? right.type() : left.type();
    const auto a = magnitudeAs(left, type);
    const auto b = magnitudeAs(right, type);
    if (a && b) return a->compare(*b);
    if (!a && !b && left.isEmpty() && right.isEmpty()) return 0;
    return compareText(left.toText(), right.toText());
}

}  // namespace calc
