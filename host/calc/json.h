// JSON documents for the JSON functions: a tree read with nlohmann-json's
// parser, written back compactly or laid out as JSONFormatElements shows it,
// and paths into it.
//
// Numbers keep every digit they were written with (they are Decimals, not
// doubles); object keys are kept sorted by their UTF-8 bytes, as FileMaker
// writes them, and a key given twice keeps its last value.
#ifndef CALC_JSON_H
#define CALC_JSON_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "lib/decimal.h"

namespace calc::json {

struct Element {
    enum class Kind { Null, Boolean, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    fmhost::Decimal number;
    std::string text;
    std::vector<Element> items;                             // an array's
    std::vector<std::pair<std::string, Element>> members;   // an object's, sorted by key

    bool isContainer() const { return kind == Kind::Array || kind == Kind::Object; }
    // The member of that key, or null.
    Element* member(std::string_view key);
    // The member of that key, made (null) when there is none.
    Element& memberOrNew(std::string_view key);
    // Removes the member; whether there was one.
    bool erase(std::string_view key);
};

// Deepest nesting of arrays and objects read.
inline constexpr std::size_t kMaxDepth = 512;

// The document, or the parser's message when the text is no JSON.
std::variant<Element, std::string> parse(std::string_view text);

// Without any blank: {"a":1,"b":[true,null]}.
std::string write(const Element& element);
// One member or item per line, indented with tabs, "key" : value; a nested
// object or array that is not empty opens on a line of its own, and an
// array of a few plain values stays on one line: [ 1, 2, 3 ]. Lines end
// with a return (CR).
std::string format(const Element& element);

// One step of a path: a key, an array index, the position after the last
// item ([+]) or the last item ([:]).
struct Step {
    enum class Kind { Key, Index, Append, Last };
    Kind kind = Kind::Key;
    std::string key;
    std::size_t index = 0;
};

// A path: keys separated by ".", indexes in brackets ("a.b[2].c", "[0]",
// "list[+]", "list[:]", "['key.with.points']"); the empty path is the whole
// document. Nothing, with the reason in `error`, for a path that cannot be
// read.
std::optional<std::vector<Step>> parsePath(std::string_view path, std::string& error);

}  // namespace calc::json

#endif
