// Functions of return-separated value lists. A list's values are separated
// by returns; a final return ends the last value rather than starting an
// empty one. Functions that give a list end every value with a return.
#include <algorithm>

#include "calc/builtins.h"
#include "calc/utf8.h"

namespace calc::fn {

namespace {

using U32 = std::u32string;

U32 chars(const Value& v) { return utf8::decode(v.toText()); }

std::vector<U32> splitValues(const U32& s) {
    std::vector<U32> values;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == U'\r') {
            if (i == s.size() && start == s.size()) break;
            values.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return values;
}

Value joinValues(const std::vector<U32>& values, std::size_t from, std::size_t count) {
    U32 out;
    for (std::size_t i = from; i < values.size() && i - from < count; ++i) {
        out += values[i];
        out += U'\r';
    }
    return Value::text(utf8::encode(out));
}

// Clamps a count taken from a number to [0, limit].
std::size_t clampCount(long long n, std::size_t limit) {
    if (n <= 0) return 0;
    return std::min(static_cast<std::size_t>(n), limit);
}

// How SortValues and UniqueValues compare values: as text, number, date,
// time or timestamp (datatype 1 to 5), as text without regard to case
// unless the locale is Unicode_Raw, which compares code points.
class ValueOrder {
public:
    explicit ValueOrder(const std::vector<Value>& a) {
        if (a.size() > 1 && !a[1].isEmpty()) dataType_ = fnutil::integer(a[1]);
        if (a.size() > 2) raw_ = compareText(a[2].toText(), "Unicode_Raw") == 0;
    }

    bool valid() const { return dataType_ != 0 && dataType_ >= -5 && dataType_ <= 5; }
    bool descending() const { return dataType_ < 0; }

    // The value as the data type reads it; text for the text type and for a
    // value the type cannot read.
    Value key(const U32& text) const {
        const Value v = Value::text(utf8::encode(text));
        Value read;
        switch (dataType_ < 0 ? -dataType_ : dataType_) {
            case 2: read = v.asNumber(); break;
            case 3: read = v.asDate(); break;
            case 4: read = v.asTime(); break;
            case 5: read = v.asTimestamp(); break;
            default: return v;
        }
        return read.type() == Type::Text || read.isEmpty() ? v : read;
    }

    // Values the type could not read come first, then the others in order.
    int compare(const Value& a, const Value& b) const {
        const bool aRead = isRead(a);
        const bool bRead = isRead(b);
        if (aRead != bRead) return aRead ? 1 : -1;
        if (!aRead || a.type() == Type::Text) {
            if (raw_) {
                const U32 x = utf8::decode(a.toText());
                const U32 y = utf8::decode(b.toText());
                return x < y ? -1 : (x == y ? 0 : 1);
            }
            return compareText(a.toText(), b.toText());
        }
        return a.raw().compare(b.raw());
    }

private:
    bool isRead(const Value& v) const {
        const long long type = dataType_ < 0 ? -dataType_ : dataType_;
        return type <= 1 || v.type() != Type::Text;
    }

    long long dataType_ = 1;
    bool raw_ = false;
};

}  // namespace

Value valueCount(const std::vector<Value>& a, const CallSite&) {
    return Value::number(static_cast<std::int64_t>(splitValues(chars(a[0])).size()));
}

Value getValue(const std::vector<Value>& a, const CallSite&) {
    const auto values = splitValues(chars(a[0]));
    const long long n = fnutil::integer(a[1]);
    if (n < 1 || static_cast<unsigned long long>(n) > values.size()) return Value::text("");
    return Value::text(utf8::encode(values[static_cast<std::size_t>(n - 1)]));
}

Value leftValues(const std::vector<Value>& a, const CallSite&) {
    const auto values = splitValues(chars(a[0]));
    return joinValues(values, 0, clampCount(fnutil::integer(a[1]), values.size()));
}

Value rightValues(const std::vector<Value>& a, const CallSite&) {
    const auto values = splitValues(chars(a[0]));
    const std::size_t n = clampCount(fnutil::integer(a[1]), values.size());
    return joinValues(values, values.size() - n, n);
}

Value middleValues(const std::vector<Value>& a, const CallSite&) {
    const auto values = splitValues(chars(a[0]));
    const long long start = std::max(fnutil::integer(a[1]), 1LL);
    if (static_cast<unsigned long long>(start) > values.size()) return Value::text("");
    return joinValues(values, static_cast<std::size_t>(start - 1), clampCount(fnutil::integer(a[2]), values.size()));
}

// FilterValues ( textToFilter ; filterValues ): the values of textToFilter
// that filterValues holds too, letter case aside, in textToFilter's order.
Value filterValues(const std::vector<Value>& a, const CallSite&) {
    const auto values = splitValues(chars(a[0]));
    std::vector<U32> wanted;
    for (const U32& value : splitValues(chars(a[1]))) wanted.push_back(utf8::lower(value));
    std::vector<U32> kept;
    for (const U32& value : values) {
        if (std::find(wanted.begin(), wanted.end(), utf8::lower(value)) != wanted.end()) kept.push_back(value);
    }
    return joinValues(kept, 0, kept.size());
}

// SortValues ( values {; datatype ; locale } ): datatype 1 text (the
// default), 2 number, 3 date, 4 time, 5 timestamp; negative sorts in
// descending order. Values of equal rank keep their order.
Value sortValues(const std::vector<Value>& a, const CallSite&) {
    const ValueOrder order(a);
    if (!order.valid()) return Value::text("?");
    const auto values = splitValues(chars(a[0]));
    std::vector<std::pair<Value, std::size_t>> keyed;
    keyed.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) keyed.emplace_back(order.key(values[i]), i);
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& x, const auto& y) {
        const int c = order.compare(x.first, y.first);
        return order.descending() ? c > 0 : c < 0;
    });
    std::vector<U32> sorted;
    sorted.reserve(keyed.size());
    for (const auto& entry : keyed) sorted.push_back(values[entry.second]);
    return joinValues(sorted, 0, sorted.size());
}

// UniqueValues ( values {; datatype ; locale } ): each value once, where
// it first appears; values are alike as SortValues compares them.
Value uniqueValues(const std::vector<Value>& a, const CallSite&) {
    const ValueOrder order(a);
    if (!order.valid()) return Value::text("?");
    std::vector<U32> kept;
    std::vector<Value> keys;
    for (const U32& value : splitValues(chars(a[0]))) {
        const Value key = order.key(value);
        const bool seen =
            std::any_of(keys.begin(), keys.end(), [&](const Value& other) { return order.compare(key, other) == 0; });
        if (seen) continue;
        keys.push_back(key);
        kept.push_back(value);
    }
    return joinValues(kept, 0, kept.size());
}

}  // namespace calc::fn
