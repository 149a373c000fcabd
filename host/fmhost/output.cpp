#include "output.h"

#include "calc/utf8.h"

#include <nlohmann/json.hpp>

namespace fmhost {

namespace {

using Json = nlohmann::ordered_json;

std::string dump(const Json &json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

const char *type_of(const std::optional<calc::Value> &value) {
    if (!value || value->isEmpty())
        return "empty";
    return calc::typeName(value->type());
}

std::string four_characters(std::uint32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((code >> shift) & 0xFF);
        text += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return text;
}

// Control characters written as \xHH (\u0085 for those beyond ASCII), so
// that none reaches a terminal raw; line ends and tabs stay when `keepLayout`.
std::string escaped(const std::string &text, bool keepLayout) {
    std::string out;
    for (const char32_t c : calc::utf8::decode(text)) {
        const bool control = c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
        if (!control || (keepLayout && (c == U'\n' || c == U'\t'))) {
            calc::utf8::append(out, c);
            continue;
        }
        char code[8];
        std::snprintf(code, sizeof code, c < 0x80 ? "\\x%02X" : "\\u%04X", static_cast<unsigned>(c));
        out += code;
    }
    return out;
}

// The terminal columns of the first `count` characters of a step.
std::size_t columns_before(const std::string &step, std::size_t count) {
    const std::u32string chars = calc::utf8::decode(step);
    std::size_t columns = 0;
    for (std::size_t i = 0; i < count && i < chars.size(); ++i)
        columns += static_cast<std::size_t>(calc::utf8::columns(chars[i]));
    return columns;
}

void print_line(std::FILE *to, const std::string &text) {
    std::fwrite(text.data(), 1, text.size(), to);
    std::fputc('\n', to);
}

} // namespace

void Output::step(const StepResult &result) {
    if (json_) {
        Json line;
        line["step"] = result.step;
        line["error"] = result.error;
        line["type"] = type_of(result.value);
        line["text"] = result.value ? result.value->toText() : std::string();
        if (result.error != 0) {
            line["message"] = result.message;
            if (result.position != calc::kNoPosition)
                line["position"] = result.position;
        }
        if (!result.script.empty())
            line["script"] = result.script;
        if (thread_)
            line["thread"] = *thread_;
        if (result.isImport) {
            line["imported"] = result.imported;
            line["errorcode"] = result.errorCode ? Json(*result.errorCode) : Json(nullptr);
        }
        print_line(results_, dump(line));
    } else {
        if (result.isImport)
            print_line(results_, "imported " + std::to_string(result.imported) +
                                     (result.imported == 1 ? " record" : " records"));
        if (result.error != 0 && caretOrigin_ && result.script.empty() && result.position != calc::kNoPosition)
            print_line(results_, std::string(*caretOrigin_ + columns_before(result.step, result.position), ' ') + "^");
        if (result.error != 0) {
            std::string line = "error " + std::to_string(result.error) + ": " + escaped(result.message, false);
            if (result.position != calc::kNoPosition)
                line += " (at " + std::to_string(result.position) + ")";
            print_line(results_, line);
        } else if (result.value) {
            // Carriage returns separate the lines of a text; a terminal
            // shows them as line ends.
            std::string text = result.value->toText();
            for (char &c : text)
                if (c == '\r')
                    c = '\n';
            print_line(results_, caretOrigin_ ? escaped(text, true) : text);
        }
    }
    std::fflush(results_);
}

void Output::functions(const std::vector<RegisteredFunction> &functions) {
    for (const RegisteredFunction &function : functions) {
        const std::string name = calc::utf8::fromUtf16(function.name);
        const std::string prototype = calc::utf8::fromUtf16(function.prototype);
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%08X", function.flags);
        if (json_) {
            Json line;
            line["name"] = name;
            line["id"] = function.id;
            line["min"] = function.minArgs;
            line["max"] = function.maxArgs;
            line["flags"] = function.flags;
            line["signature"] = prototype;
            line["plugin"] = four_characters(function.pluginId);
            print_line(results_, dump(line));
        } else {
            print_line(results_, name + "\t" + std::to_string(function.id) + "\t" + std::to_string(function.minArgs) +
                                     "\t" + std::to_string(function.maxArgs) + "\t" + flags + "\t" + prototype);
        }
    }
    std::fflush(results_);
}

} // namespace fmhost
