#include "calc/json.h"

#include <algorithm>

#include <nlohmann/json.hpp>

namespace calc::json {

namespace {

using Json = nlohmann::json;
using Decimal = fmhost::Decimal;

auto keyPosition(std::vector<std::pair<std::string, Element>>& members, std::string_view key) {
    return std::lower_bound(members.begin(), members.end(), key,
                            [](const auto& member, std::string_view k) { return member.first < k; });
}

// Builds the tree from the parser's events. Containers being filled are
// held by pointer: nothing is added to a container while one of its
// children is still open, so the pointers stay valid.
class Builder : public nlohmann::json_sax<Json> {
public:
    bool null() override { return add(Element{}); }
    bool boolean(bool value) override {
        Element e;
        e.kind = Element::Kind::Boolean;
        e.boolean = value;
        return add(std::move(e));
    }
    bool number_integer(number_integer_t value) override { return addNumber(Decimal::from_int64(value)); }
    bool number_unsigned(number_unsigned_t value) override { return addNumber(Decimal::from_uint64(value)); }
    bool number_float(number_float_t, const string_t& text) override {
        const auto number = Decimal::parse(std::string_view(text));
        if (!number) return fail("the number " + text + " is out of range");
        return addNumber(*number);
    }
    bool string(string_t& value) override {
        Element e;
        e.kind = Element::Kind::String;
        e.text = std::move(value);
        return add(std::move(e));
    }
    bool binary(binary_t&) override { return fail("binary values are no JSON"); }
    bool start_object(std::size_t) override { return open(Element::Kind::Object); }
    bool key(string_t& value) override {
        key_ = std::move(value);
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(Element::Kind::Array); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& ex) override {
        std::string message = ex.what();
        // "[json.exception.parse_error.101] parse error at line 1, ..."
        if (const auto close = message.find("] "); message.rfind("[json.exception", 0) == 0 && close != std::string::npos)
            message.erase(0, close + 2);
        return fail(message);
    }

    Element root;
    std::string error;

private:
    bool fail(std::string message) {
        if (error.empty()) error = std::move(message);
        return false;
    }

    Element* place(Element&& value) {
        if (open_.empty()) {
            root = std::move(value);
            return &root;
        }
        Element& parent = *open_.back();
        if (parent.kind == Element::Kind::Array) {
            parent.items.push_back(std::move(value));
            return &parent.items.back();
        }
        Element& slot = parent.memberOrNew(key_);
        slot = std::move(value);
        return &slot;
    }

    bool add(Element&& value) {
        place(std::move(value));
        return true;
    }

    bool addNumber(const Decimal& number) {
        Element e;
        e.kind = Element::Kind::Number;
        e.number = number;
        return add(std::move(e));
    }

    bool open(Element::Kind kind) {
        if (open_.size() >= kMaxDepth) return fail("arrays and objects are nested deeper than " + std::to_string(kMaxDepth));
        Element e;
        e.kind = kind;
        open_.push_back(place(std::move(e)));
        return true;
    }

    bool close() {
        open_.pop_back();
        return true;
    }

    std::vector<Element*> open_;
    std::string key_;
};

std::string quoted(const std::string& text) {
    return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

void writeCompact(const Element& e, std::string& out) {
    switch (e.kind) {
        case Element::Kind::Null: out += "null"; break;
        case Element::Kind::Boolean: out += e.boolean ? "true" : "false"; break;
        case Element::Kind::Number: out += e.number.to_string(); break;
        case Element::Kind::String: out += quoted(e.text); break;
        case Element::Kind::Array:
            out += '[';
            for (std::size_t i = 0; i < e.items.size(); ++i) {
                if (i > 0) out += ',';
                writeCompact(e.items[i], out);
            }
            out += ']';
            break;
        case Element::Kind::Object:
            out += '{';
            for (std::size_t i = 0; i < e.members.size(); ++i) {
                if (i > 0) out += ',';
                out += quoted(e.members[i].first);
                out += ':';
                writeCompact(e.members[i].second, out);
            }
            out += '}';
            break;
    }
}

// The layout of JSONFormatElements.
class Formatter {
public:
    std::string out;

    void value(const Element& e) {
        switch (e.kind) {
            case Element::Kind::Array: array(e); break;
            case Element::Kind::Object: object(e); break;
            default: out += plain(e); break;
        }
    }

private:
    static constexpr std::size_t kRightMargin = 74;

    // A value that takes no line of its own: a scalar or an empty container.
    static std::string plain(const Element& e) {
        if (e.kind == Element::Kind::Array && e.items.empty()) return "[]";
        if (e.kind == Element::Kind::Object && e.members.empty()) return "{}";
        std::string text;
        writeCompact(e, text);
        return text;
    }

    static bool opensLine(const Element& e) {
        return (e.kind == Element::Kind::Object && !e.members.empty()) || (e.kind == Element::Kind::Array && multiline(e));
    }

    // An array stays on one line when it holds only plain values, fewer
    // than 25 of them, and the line stays short.
    static bool multiline(const Element& e) {
        if (e.items.empty()) return false;
        if (e.items.size() * 3 >= kRightMargin) return true;
        std::size_t length = 4 + (e.items.size() - 1) * 2;
        for (const Element& item : e.items) {
            if (item.isContainer() && !(item.items.empty() && item.members.empty())) return true;
            length += plain(item).size();
        }
        return length >= kRightMargin;
    }

    void newline() {
        out += '\r';
        out.append(depth_, '\t');
    }

    // A container's opening bracket: on a line of its own unless it begins
    // the document or a line already.
    void open(char bracket, bool lineStarted) {
        if (!lineStarted) newline();
        out += bracket;
        ++depth_;
    }

    void close(char bracket) {
        --depth_;
        newline();
        out += bracket;
    }

    bool atLineStart() const { return out.empty() || out.back() == '\t' || out.back() == '\r'; }

    void array(const Element& e) {
        if (!multiline(e)) {
            if (e.items.empty()) {
                out += "[]";
                return;
            }
            out += "[ ";
            for (std::size_t i = 0; i < e.items.size(); ++i) {
                if (i > 0) out += ", ";
                out += plain(e.items[i]);
            }
            out += " ]";
            return;
        }
        open('[', atLineStart());
        for (std::size_t i = 0; i < e.items.size(); ++i) {
            newline();
            value(e.items[i]);
            if (i + 1 < e.items.size()) out += ',';
        }
        close(']');
    }

    void object(const Element& e) {
        if (e.members.empty()) {
            out += "{}";
            return;
        }
        open('{', atLineStart());
        for (std::size_t i = 0; i < e.members.size(); ++i) {
            newline();
            out += quoted(e.members[i].first);
            out += " : ";
            const Element& member = e.members[i].second;
            // A member's object or array opens on the next line, at the
            // key's indentation.
            if (opensLine(member)) newline();
            value(member);
            if (i + 1 < e.members.size()) out += ',';
        }
        close('}');
    }

    std::size_t depth_ = 0;
};

bool isDigits(std::string_view text) {
    return !text.empty() && text.size() <= 18 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

Element* Element::member(std::string_view key) {
    const auto it = keyPosition(members, key);
    return it != members.end() && it->first == key ? &it->second : nullptr;
}

Element& Element::memberOrNew(std::string_view key) {
    const auto it = keyPosition(members, key);
    if (it != members.end() && it->first == key) return it->second;
    return members.emplace(it, std::string(key), Element{})->second;
}

bool Element::erase(std::string_view key) {
    const auto it = keyPosition(members, key);
    if (it == members.end() || it->first != key) return false;
    members.erase(it);
    return true;
}

std::variant<Element, std::string> parse(std::string_view text) {
    Builder builder;
    const bool ok = Json::sax_parse(text, &builder);
    if (!ok) return builder.error.empty() ? std::string("the text is no JSON") : builder.error;
    return std::move(builder.root);
}

std::string write(const Element& element) {
    std::string out;
    writeCompact(element, out);
    return out;
}

std::string format(const Element& element) {
    Formatter formatter;
    formatter.value(element);
    return std::move(formatter.out);
}

std::optional<std::vector<Step>> parsePath(std::string_view path, std::string& error) {
    std::vector<Step> steps;
    std::size_t i = 0;
    auto bad = [&](const std::string& why) -> std::optional<std::vector<Step>> {
        error = "the path \"" + std::string(path) + "\" is not valid: " + why;
        return std::nullopt;
    };
    bool afterPoint = false;
    while (i < path.size()) {
        const char c = path[i];
        if (c == '[') {
            const std::size_t close = path.find(']', i);
            if (close == std::string_view::npos) return bad("\"[\" without \"]\"");
            std::string_view inside = path.substr(i + 1, close - i - 1);
            Step step;
            if (inside == "+") {
                step.kind = Step::Kind::Append;
            } else if (inside == ":") {
                step.kind = Step::Kind::Last;
            } else if (isDigits(inside)) {
                step.kind = Step::Kind::Index;
                step.index = static_cast<std::size_t>(std::stoull(std::string(inside)));
            } else if (inside.size() >= 2 && (inside.front() == '\'' || inside.front() == '"') &&
                       inside.back() == inside.front()) {
                step.kind = Step::Kind::Key;
                step.key = std::string(inside.substr(1, inside.size() - 2));
            } else {
                return bad("\"" + std::string(inside) + "\" is no array index");
            }
            steps.push_back(std::move(step));
            i = close + 1;
            afterPoint = false;
        } else if (c == '.') {
            if (afterPoint) return bad("a key is missing between two points");
            afterPoint = true;
            ++i;
        } else if (c == ']') {
            return bad("\"]\" without \"[\"");
        } else {
            if (!steps.empty() && !afterPoint) return bad("a point is missing before \"" + std::string(path.substr(i)) + "\"");
            const std::size_t end = path.find_first_of(".[]", i);
            Step step;
            step.key = std::string(path.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i));
            steps.push_back(std::move(step));
            i = end == std::string_view::npos ? path.size() : end;
            afterPoint = false;
        }
    }
    if (afterPoint && !steps.empty()) return bad("a key is missing after the last point");
    return steps;
}

}  // namespace calc::json
