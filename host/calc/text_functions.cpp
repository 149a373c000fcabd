// Text functions. They work on characters (code points), as FileMaker counts
// characters; numbers, dates and times are used through their text forms.
#include <algorithm>
#include <string>

#include "calc/builtins.h"
#include "calc/utf8.h"

namespace calc::fn {

namespace {

using U32 = std::u32string;

U32 chars(const Value& v) { return utf8::decode(v.toText()); }
Value text(const U32& s) { return Value::text(utf8::encode(s)); }

// Clamps a character count taken from a number to [0, limit].
std::size_t clampCount(long long n, std::size_t limit) {
    if (n <= 0) return 0;
    return std::min(static_cast<std::size_t>(n), limit);
}

bool isWordChar(char32_t c) { return utf8::isLetter(c) || utf8::isDigit(c) || c == U'_' || c == U'\''; }

// [start, end) character ranges of the words.
std::vector<std::pair<std::size_t, std::size_t>> words(const U32& s) {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && !isWordChar(s[i])) ++i;
        if (i >= s.size()) break;
        const std::size_t start = i;
        while (i < s.size() && isWordChar(s[i])) ++i;
        out.emplace_back(start, i);
    }
    return out;
}

Value wordRange(const U32& s, const std::vector<std::pair<std::size_t, std::size_t>>& w, std::size_t first,
                std::size_t count) {
    if (count == 0 || first >= w.size()) return Value::text("");
    const std::size_t last = std::min(w.size() - 1, first + count - 1);
    return text(s.substr(w[first].first, w[last].second - w[first].first));
}

}  // namespace

Value getAsText(const std::vector<Value>& a, const CallSite&) { return Value::text(a[0].toText()); }

Value length(const std::vector<Value>& a, const CallSite&) {
    return Value::number(static_cast<std::int64_t>(chars(a[0]).size()));
}

Value left(const std::vector<Value>& a, const CallSite&) {
    const U32 s = chars(a[0]);
    return text(s.substr(0, clampCount(fnutil::integer(a[1]), s.size())));
}

Value right(const std::vector<Value>& a, const CallSite&) {
    const U32 s = chars(a[0]);
    const std::size_t n = clampCount(fnutil::integer(a[1]), s.size());
    return text(s.substr(s.size() - n));
}

Value middle(const std::vector<Value>& a, const CallSite&) {
    const U32 s = chars(a[0]);
    long long start = fnutil::integer(a[1]);
    const long long count = fnutil::integer(a[2]);
    if (start < 1) start = 1;
    const auto from = static_cast<std::size_t>(start - 1);
    if (from >= s.size()) return Value::text("");
    return text(s.substr(from, clampCount(count, s.size() - from)));
}

// Position ( text ; search ; start ; occurrence ): case-insensitive; a negative
// occurrence searches backwards from start.
Value position(const std::vector<Value>& a, const CallSite&) {
    const U32 s = utf8::lower(chars(a[0]));
    const U32 search = utf8::lower(chars(a[1]));
    long long start = fnutil::integer(a[2]);
    const long long occurrence = fnutil::integer(a[3]);
    if (search.empty() || s.empty() || occurrence == 0 || search.size() > s.size()) return Value::number(std::int64_t{0});
    const long long lastStart = static_cast<long long>(s.size() - search.size());
    long long found = 0;
    if (occurrence > 0) {
        if (start < 1) start = 1;
        for (long long i = start - 1; i <= lastStart; ++i) {
            if (s.compare(static_cast<std::size_t>(i), search.size(), search) == 0 && ++found == occurrence) {
                return Value::number(i + 1);
            }
        }
    } else {
        if (start > lastStart + 1) start = lastStart + 1;
        for (long long i = start - 1; i >= 0; --i) {
            if (s.compare(static_cast<std::size_t>(i), search.size(), search) == 0 && ++found == -occurrence) {
                return Value::number(i + 1);
            }
        }
    }
    return Value::number(std::int64_t{0});
}

// Substitute ( text ; search1 ; replace1 ; search2 ; replace2 ... ): each pair
// in turn, case-sensitive, every occurrence.
Value substitute(const std::vector<Value>& a, const CallSite&) {
    std::string s = a[0].toText();
    for (std::size_t i = 1; i + 1 < a.size(); i += 2) {
        const std::string search = a[i].toText();
        const std::string replacement = a[i + 1].toText();
        if (search.empty()) continue;
        std::string out;
        std::size_t from = 0;
        for (;;) {
            const std::size_t at = s.find(search, from);
            if (at == std::string::npos) break;
            out.append(s, from, at - from);
            out += replacement;
            from = at + search.size();
        }
        out.append(s, from, std::string::npos);
        s = std::move(out);
    }
    return Value::text(std::move(s));
}

Value upper(const std::vector<Value>& a, const CallSite&) { return text(utf8::upper(chars(a[0]))); }
Value lower(const std::vector<Value>& a, const CallSite&) { return text(utf8::lower(chars(a[0]))); }

Value proper(const std::vector<Value>& a, const CallSite&) {
    U32 s = chars(a[0]);
    bool startOfWord = true;
    for (auto& c : s) {
        if (utf8::isLetter(c)) {
            c = startOfWord ? utf8::upper(c) : utf8::lower(c);
            startOfWord = false;
        } else {
            startOfWord = !utf8::isDigit(c) && c != U'\'';
        }
    }
    return text(s);
}

Value trim(const std::vector<Value>& a, const CallSite&) {
    const std::string s = a[0].toText();
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return Value::text("");
    const std::size_t last = s.find_last_not_of(' ');
    return Value::text(s.substr(first, last - first + 1));
}

// TrimAll ( text ; trimSpaces ; trimType ): removes the spaces at both ends
// and between words: runs of spaces between Roman characters shrink to one,
// spaces between two East Asian (non-Roman) characters go, and spaces where
// the two meet stay as one (trimType 0), go where the East Asian character
// comes first (1) or where the Roman one comes first (2). trimType 3
// removes every space. trimSpaces 1 counts full-width spaces (U+3000) as
// spaces too.
Value trimAll(const std::vector<Value>& a, const CallSite&) {
    const U32 s = chars(a[0]);
    const bool fullWidth = a[1].truth();
    const long long type = fnutil::integer(a[2]);
    if (type < 0 || type > 3) return Value::text("?");
    auto isSpace = [&](char32_t c) { return c == U' ' || (fullWidth && c == 0x3000); };
    U32 out;
    std::size_t i = 0;
    while (i < s.size()) {
        if (!isSpace(s[i])) {
            out.push_back(s[i++]);
            continue;
        }
        while (i < s.size() && isSpace(s[i])) ++i;
        if (out.empty() || i == s.size()) continue;  // leading or trailing
        const bool before = !utf8::isEastAsian(out.back());
        const bool after = !utf8::isEastAsian(s[i]);
        bool keep = false;
        if (type == 3 || (!before && !after)) keep = false;
        else if (before && after) keep = true;
        else if (type == 0) keep = true;
        else if (type == 1) keep = !(after && !before);
        else keep = !(before && !after);
        if (keep) out.push_back(U' ');
    }
    return text(out);
}

// Quote: the text as a text constant that evaluates back to it.
Value quote(const std::vector<Value>& a, const CallSite&) {
    std::string out = "\"";
    for (char c : a[0].toText()) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\r') {
            out += "\xC2\xB6";  // ¶
        } else {
            out += c;
        }
    }
    out += '"';
    return Value::text(std::move(out));
}

Value list(const std::vector<Value>& a, const CallSite&) {
    std::string out;
    for (const auto& v : a) {
        const std::string s = v.toText();
        if (s.empty()) continue;
        if (!out.empty()) out += '\r';
        out += s;
    }
    return Value::text(std::move(out));
}

Value patternCount(const std::vector<Value>& a, const CallSite&) {
    const U32 s = utf8::lower(chars(a[0]));
    const U32 search = utf8::lower(chars(a[1]));
    if (search.empty()) return Value::number(std::int64_t{0});
    long long n = 0;
    for (std::size_t at = s.find(search); at != U32::npos; at = s.find(search, at + 1)) ++n;
    return Value::number(n);
}

Value exact(const std::vector<Value>& a, const CallSite&) {
    return Value::boolean(a[0].toText() == a[1].toText());
}

Value replace(const std::vector<Value>& a, const CallSite&) {
    const U32 s = chars(a[0]);
    long long start = fnutil::integer(a[1]);
    if (start < 1) start = 1;
    const auto from = std::min(static_cast<std::size_t>(start - 1), s.size());
    const std::size_t n = clampCount(fnutil::integer(a[2]), s.size() - from);
    return text(s.substr(0, from) + chars(a[3]) + s.substr(from + n));
}

Value wordCount(const std::vector<Value>& a, const CallSite&) {
    return Value::number(static_cast<std::int64_t>(words(chars(a[0])).size()));
}

Value leftWords(const std::vector<Value>& a, const CallSite&) {
    const U32 s = chars(a[0]);
    const auto w = words(s);
    return wordRange(s, w, 0, clampCount(fnutil::integer(a[1]), w.size()));
}

Value rightWords(const std::vector<Value>& a, const CallSite&) {
    const U32 s = chars(a[0]);
    const auto w = words(s);
    const std::size_t n = clampCount(fnutil::integer(a[1]), w.size());
    return wordRange(s, w, w.size() - n, n);
}

Value middleWords(const std::vector<Value>& a, const CallSite&) {
    const U32 s = chars(a[0]);
    const auto w = words(s);
    long long start = fnutil::integer(a[1]);
    if (start < 1) start = 1;
    return wordRange(s, w, static_cast<std::size_t>(start - 1), clampCount(fnutil::integer(a[2]), w.size()));
}

Value filter(const std::vector<Value>& a, const CallSite&) {
    const U32 s = chars(a[0]);
    const U32 keep = chars(a[1]);
    U32 out;
    for (char32_t c : s) {
        if (keep.find(c) != U32::npos) out.push_back(c);
    }
    return text(out);
}

// Char ( 65 ) is "A"; Char ( 6600065 ) is "AB": five digits per character,
// the first character in the lowest digits.
Value charFn(const std::vector<Value>& a, const CallSite&) {
    const auto n = a[0].toNumber();
    if (!n || n->is_negative()) return Value::text("");
    const std::string digits = n->rounded(0, Decimal::Rounding::TowardZero).to_string();
    U32 out;
    for (std::size_t end = digits.size(); end > 0;) {
        const std::size_t begin = end >= 5 ? end - 5 : 0;
        const auto c = static_cast<char32_t>(std::stoul(digits.substr(begin, end - begin)));
        if (c != 0) out.push_back(c);
        end = begin;
    }
    return text(out);
}

// Code ( "AB" ) is 6600065: the characters' code points, five digits each,
// the first character in the lowest digits.
Value code(const std::vector<Value>& a, const CallSite&) {
    const U32 s = chars(a[0]);
    if (s.empty()) return Value::empty(Type::Number);
    std::string digits;
    for (auto it = s.rbegin(); it != s.rend(); ++it) {
        std::string group = std::to_string(static_cast<std::uint32_t>(*it));
        if (!digits.empty()) group.insert(0, 5 - std::min<std::size_t>(5, group.size()), '0');
        digits += group;
    }
    return Value::checked(Decimal::parse(digits));
}

// FieldType ( file ; field ): "Standard <Type> Indexed Unstored 1"; the field
// may be named Table::Field or alone (the current layout's table).
Value fieldType(const std::vector<Value>& a, const CallSite& site) {
    const std::string file = a[0].toText();
    const std::string name = a[1].toText();
    std::string table;
    std::string field = name;
    const std::size_t scope = name.find("::");
    if (scope != std::string::npos) {
        table = name.substr(0, scope);
        field = name.substr(scope + 2);
    } else {
        table = site.context.currentTable();
    }
    auto type = site.context.fieldType(file, table, field);
    if (!type) {
        CalcError e = type.error();
        if (e.position == kNoPosition) e.position = site.pos;
        if (e.message.empty()) e.message = defaultMessage(e.code);
        throw e;
    }
    return Value::text(std::string("Standard ") + fieldTypeWord(type.value()) + " Indexed Unstored 1");
}

}  // namespace calc::fn
