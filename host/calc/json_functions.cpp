// The JSON functions. A JSON text that is no JSON, a path that cannot be
// read and a value that cannot be set give "?" followed by the reason (the
// parser's message for JSON), as FileMaker answers. Elements are addressed
// by a key, an index (a number argument) or a path (json.h); a step that
// finds nothing gives an empty result.
#include "calc/builtins.h"
#include "calc/json.h"

namespace calc::fn {

namespace {

using json::Element;
using json::Step;
using Kind = Element::Kind;

// The type constants: JSONRaw 0, JSONString 1, ... JSONNull 6, also what
// JSONGetElementType answers.
enum JsonType : int { kRaw = 0, kString = 1, kNumber = 2, kObject = 3, kArray = 4, kBoolean = 5, kNull = 6 };

// A failure that becomes the function's "? reason" result.
struct Failure {
    std::string reason;
};

Value failed(const Failure& f) { return Value::text("? " + f.reason); }

// The document of a JSON text; empty text is an empty document (null).
Element document(const Value& v) {
    const std::string text = v.toText();
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) return Element{};
    auto parsed = json::parse(text);
    if (auto* error = std::get_if<std::string>(&parsed)) throw Failure{*error};
    return std::move(std::get<Element>(parsed));
}

// The steps of the key, index or path argument.
std::vector<Step> steps(const Value& v) {
    if (v.type() == Type::Number && !v.isEmpty()) {
        const Decimal& n = v.raw();
        if (n.is_negative() || !n.is_integer() || n.integer_digits() > 18) {
            throw Failure{"the index " + n.to_string() + " is not valid"};
        }
        Step step;
        step.kind = Step::Kind::Index;
        step.index = static_cast<std::size_t>(n.to_int64());
        return {step};
    }
    std::string error;
    auto path = json::parsePath(v.toText(), error);
    if (!path) throw Failure{error};
    return std::move(*path);
}

// An index written as a key ("2") reaches an array's item, and an index a
// key of an object.
std::optional<std::size_t> indexOf(const Step& step, const Element& array) {
    switch (step.kind) {
        case Step::Kind::Index: return step.index;
        case Step::Kind::Last:
            if (array.items.empty()) return std::nullopt;
            return array.items.size() - 1;
        case Step::Kind::Key:
            if (step.key.empty() || step.key.size() > 18 || step.key.find_first_not_of("0123456789") != std::string::npos)
                return std::nullopt;
            return static_cast<std::size_t>(std::stoull(step.key));
        case Step::Kind::Append: return std::nullopt;
    }
    return std::nullopt;
}

std::string keyOf(const Step& step) { return step.kind == Step::Kind::Index ? std::to_string(step.index) : step.key; }

// The element the steps lead to, or null.
Element* find(Element& root, const std::vector<Step>& path) {
    Element* at = &root;
    for (const Step& step : path) {
        if (at->kind == Kind::Array) {
            const auto index = indexOf(step, *at);
            if (!index || *index >= at->items.size()) return nullptr;
            at = &at->items[*index];
        } else if (at->kind == Kind::Object && step.kind != Step::Kind::Append && step.kind != Step::Kind::Last) {
            at = at->member(keyOf(step));
            if (!at) return nullptr;
        } else {
            return nullptr;
        }
    }
    return at;
}

// The element the steps lead to, made on the way: a missing object or array
// is created, and so is one in place of a plain value.
Element& reach(Element& root, const std::vector<Step>& path) {
    Element* at = &root;
    for (const Step& step : path) {
        const bool wantsArray = step.kind != Step::Kind::Key;
        if (!at->isContainer()) {
            *at = Element{};
            at->kind = wantsArray ? Kind::Array : Kind::Object;
        }
        if (at->kind == Kind::Array) {
            if (step.kind == Step::Kind::Append) {
                at->items.emplace_back();
                at = &at->items.back();
                continue;
            }
            const auto index = step.kind == Step::Kind::Last && at->items.empty() ? std::optional<std::size_t>(0)
                                                                                   : indexOf(step, *at);
            if (!index) throw Failure{"the key \"" + step.key + "\" cannot address an array"};
            if (*index >= 1000000 + at->items.size()) throw Failure{"the index " + std::to_string(*index) + " is too large"};
            if (*index >= at->items.size()) at->items.resize(*index + 1);
            at = &at->items[*index];
        } else {
            if (step.kind == Step::Kind::Append || step.kind == Step::Kind::Last)
                throw Failure{"an object has no last item"};
            at = &at->memberOrNew(keyOf(step));
        }
    }
    return *at;
}

// What JSONGetElement gives for an element: text for strings, numbers for
// numbers, 1 or 0 for Booleans, empty for null, the JSON text of objects
// and arrays.
Value valueOf(const Element& e) {
    switch (e.kind) {
        case Kind::Null: return Value::text("");
        case Kind::Boolean: return Value::boolean(e.boolean);
        case Kind::Number: return Value::number(e.number);
        case Kind::String: return Value::text(e.text);
        case Kind::Array:
        case Kind::Object: return Value::text(json::write(e));
    }
    return Value::text("");
}

int typeOf(const Element& e) {
    switch (e.kind) {
        case Kind::Null: return kNull;
        case Kind::Boolean: return kBoolean;
        case Kind::Number: return kNumber;
        case Kind::String: return kString;
        case Kind::Array: return kArray;
        case Kind::Object: return kObject;
    }
    return kRaw;
}

// The element JSONSetElement stores for a value of a type.
Element elementOf(const Value& value, const Value& typeValue) {
    const long long type = fnutil::integer(typeValue);
    Element e;
    switch (type) {
        case kString:
            e.kind = Kind::String;
            e.text = value.toText();
            return e;
        case kNumber:
            e.kind = Kind::Number;
            e.number = value.numberOrZero();
            return e;
        case kBoolean: {
            e.kind = Kind::Boolean;
            const std::string text = value.toText();
            e.boolean = compareText(text, "true") == 0 || (compareText(text, "false") != 0 && value.truth());
            return e;
        }
        case kNull: return e;
        case kObject:
        case kArray:
        case kRaw: {
            const std::string text = value.toText();
            if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
                if (type == kObject) e.kind = Kind::Object;
                if (type == kArray) e.kind = Kind::Array;
                return e;
            }
            return document(value);
        }
        default: throw Failure{"the type " + typeValue.toText() + " is not one of JSONString, JSONNumber, JSONObject, "
                                                                   "JSONArray, JSONBoolean, JSONNull and JSONRaw"};
    }
}

Value joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) out += '\r';
        out += lines[i];
    }
    return Value::text(std::move(out));
}

// Runs a JSON function body; a failure becomes its "?" result.
template <class F>
Value guarded(F body) {
    try {
        return body();
    } catch (const Failure& f) {
        return failed(f);
    }
}

}  // namespace

Value jsonGetElement(const std::vector<Value>& a, const CallSite&) {
    return guarded([&] {
        Element root = document(a[0]);
        const Element* e = find(root, steps(a[1]));
        return e ? valueOf(*e) : Value::text("");
    });
}

Value jsonGetElementType(const std::vector<Value>& a, const CallSite&) {
    return guarded([&] {
        Element root = document(a[0]);
        const Element* e = find(root, steps(a[1]));
        return e ? Value::number(std::int64_t{typeOf(*e)}) : Value::text("");
    });
}

// JSONSetElement ( json ; keyOrIndexOrPath ; value ; type ), or with
// [ keyOrIndexOrPath ; value ; type ] lists: each set in turn.
Value jsonSetElement(const std::vector<Value>& a, const CallSite&) {
    return guarded([&] {
        Element root = document(a[0]);
        for (std::size_t i = 1; i + 2 < a.size(); i += 3) {
            const std::vector<Step> path = steps(a[i]);
            Element value = elementOf(a[i + 1], a[i + 2]);
            reach(root, path) = std::move(value);
        }
        return Value::text(json::write(root));
    });
}

Value jsonDeleteElement(const std::vector<Value>& a, const CallSite&) {
    return guarded([&] {
        Element root = document(a[0]);
        std::vector<Step> path = steps(a[1]);
        if (path.empty()) return Value::text("");
        const Step last = path.back();
        path.pop_back();
        if (Element* parent = find(root, path)) {
            if (parent->kind == Kind::Array) {
                const auto index = indexOf(last, *parent);
                if (index && *index < parent->items.size())
                    parent->items.erase(parent->items.begin() + static_cast<std::ptrdiff_t>(*index));
            } else if (parent->kind == Kind::Object) {
                parent->erase(keyOf(last));
            }
        }
        return Value::text(json::write(root));
    });
}

// The keys of an object (in order) or the indexes of an array, one per line.
Value jsonListKeys(const std::vector<Value>& a, const CallSite&) {
    return guarded([&] {
        Element root = document(a[0]);
        const Element* e = find(root, steps(a[1]));
        std::vector<std::string> keys;
        if (e && e->kind == Kind::Object)
            for (const auto& member : e->members) keys.push_back(member.first);
        if (e && e->kind == Kind::Array)
            for (std::size_t i = 0; i < e->items.size(); ++i) keys.push_back(std::to_string(i));
        return joinLines(keys);
    });
}

// The values of an object or array, one per line, as JSONGetElement gives
// each.
Value jsonListValues(const std::vector<Value>& a, const CallSite&) {
    return guarded([&] {
        Element root = document(a[0]);
        const Element* e = find(root, steps(a[1]));
        std::vector<std::string> values;
        if (e && e->kind == Kind::Object)
            for (const auto& member : e->members) values.push_back(valueOf(member.second).toText());
        if (e && e->kind == Kind::Array)
            for (const Element& item : e->items) values.push_back(valueOf(item).toText());
        return joinLines(values);
    });
}

Value jsonFormatElements(const std::vector<Value>& a, const CallSite&) {
    return guarded([&] {
        if (a[0].toText().find_first_not_of(" \t\r\n") == std::string::npos) return Value::text("");
        return Value::text(json::format(document(a[0])));
    });
}

Value jsonRaw(const std::vector<Value>&, const CallSite&) { return Value::number(std::int64_t{kRaw}); }
Value jsonString(const std::vector<Value>&, const CallSite&) { return Value::number(std::int64_t{kString}); }
Value jsonNumber(const std::vector<Value>&, const CallSite&) { return Value::number(std::int64_t{kNumber}); }
Value jsonObject(const std::vector<Value>&, const CallSite&) { return Value::number(std::int64_t{kObject}); }
Value jsonArray(const std::vector<Value>&, const CallSite&) { return Value::number(std::int64_t{kArray}); }
Value jsonBoolean(const std::vector<Value>&, const CallSite&) { return Value::number(std::int64_t{kBoolean}); }
Value jsonNull(const std::vector<Value>&, const CallSite&) { return Value::number(std::int64_t{kNull}); }

}  // namespace calc::fn
