#include "fmpxml.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <iterator>
#include <system_error>

namespace fmhost {

namespace {

// Expat joins a namespace and a local name with this character.
constexpr char kNamespaceSeparator = '\n';
// The largest text of one DATA or ERRORCODE element kept in memory.
constexpr std::size_t kMaxText = 64u << 20;

std::string_view local_name(const XML_Char *name) {
    const std::string_view full(name);
    const auto separator = full.rfind(kNamespaceSeparator);
    return separator == std::string_view::npos ? full : full.substr(separator + 1);
}

// Where each element may stand: inside the element of `parent` (the root
// inside none). ERRORCODE and DATA hold text only; the others are empty or
// hold the elements named with them as parent.
struct Rule {
    std::string_view name;
    std::string_view parent;
};
constexpr Rule kGrammar[] = {
    {"FMPXMLRESULT", ""},       {"ERRORCODE", "FMPXMLRESULT"}, {"PRODUCT", "FMPXMLRESULT"},
    {"DATABASE", "FMPXMLRESULT"}, {"METADATA", "FMPXMLRESULT"},  {"FIELD", "METADATA"},
    {"RESULTSET", "FMPXMLRESULT"}, {"ROW", "RESULTSET"},          {"COL", "ROW"},
    {"DATA", "COL"},
};

const char *attribute(const XML_Char **attributes, std::string_view name) {
    for (const XML_Char **a = attributes; a && a[0]; a += 2)
        if (local_name(a[0]) == name)
            return a[1];
    return "";
}

} // namespace

struct FmpXmlReader::State {
    XML_Parser parser = nullptr;
    FieldsHandler onFields;
    RowHandler onRow;

    std::vector<std::string> path; // local names of the open elements
    bool seenErrorCode = false;
    bool seenResultSet = false;
    bool failed = false;
    bool grammar = false; // failed on the FMPXMLRESULT grammar, not on XML
    std::string error;
    std::optional<int> errorCode;

    std::vector<FmpField> fields;
    bool fieldsReported = false;
    std::vector<std::string> row;
    std::size_t column = 0;    // COL elements seen in the current ROW
    std::size_t dataCount = 0; // DATA elements seen in the current COL
    bool collecting = false;
    std::string text;

    void stop(std::string message) {
        if (failed)
            return;
        failed = true;
        grammar = true;
        error = std::move(message) + " (line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ", column " +
                std::to_string(XML_GetCurrentColumnNumber(parser) + 1) + ")";
        XML_StopParser(parser, XML_FALSE);
    }

    // For a handler that failed: stops without allocating.
    void abandon() noexcept {
        if (!failed) {
            failed = true;
            grammar = true;
            error.clear();
        }
        XML_StopParser(parser, XML_FALSE);
    }

    // Stops unless `name` may stand where the document is now: inside its
    // parent of the grammar, and in the order FileMaker writes the parts.
    bool placed(std::string_view name) {
        const std::string_view parent = path.empty() ? std::string_view() : std::string_view(path.back());
        const auto rule = std::find_if(std::begin(kGrammar), std::end(kGrammar),
                                       [&](const Rule &r) { return r.name == name; });
        if (path.empty() && name != "FMPXMLRESULT") {
            stop("the document is no FMPXMLRESULT: its root element is " + std::string(name));
            return false;
        }
        if (rule == std::end(kGrammar) || rule->parent != parent) {
            stop("<" + std::string(name) + "> cannot stand inside <" + std::string(parent) + ">");
            return false;
        }
        if ((name == "ERRORCODE" && seenErrorCode) || (name == "RESULTSET" && seenResultSet)) {
            stop("the document has more than one " + std::string(name));
            return false;
        }
        if ((name == "METADATA" || name == "FIELD") && fieldsReported) {
            stop("<" + std::string(name) + "> follows the RESULTSET");
            return false;
        }
        return true;
    }

    void report_fields() {
        if (fieldsReported)
            return;
        fieldsReported = true;
        onFields(fields);
    }

    // Expat may still call a handler after a stop (the end of an empty
    // element refused in its start); once failed, nothing more is read.
    void start(const XML_Char *qualified, const XML_Char **attributes) {
        if (failed)
            return;
        const std::string_view name = local_name(qualified);
        if (!placed(name))
            return;
        path.emplace_back(name);
        if (name == "ERRORCODE") {
            seenErrorCode = true;
            collecting = true;
            text.clear();
        } else if (name == "FIELD") {
            fields.push_back(FmpField{attribute(attributes, "NAME"), attribute(attributes, "TYPE")});
        } else if (name == "RESULTSET") {
            seenResultSet = true;
            report_fields();
        } else if (name == "ROW") {
            row.assign(fields.size(), std::string());
            column = 0;
        } else if (name == "COL") {
            ++column;
            dataCount = 0;
        } else if (name == "DATA") {
            // The grammar puts DATA inside a COL, so column counts from 1.
            collecting = dataCount++ == 0 && column <= row.size();
            text.clear();
        }
    }

    void end() {
        if (failed || path.empty())
            return;
        const std::string name = path.back();
        if (name == "DATA" && collecting) {
            row[column - 1] = text;
        } else if (name == "ERRORCODE") {
            int code = 0;
            const std::string_view digits(text);
            const auto begin = digits.find_first_not_of(" \t\r\n");
            const auto last = digits.find_last_not_of(" \t\r\n");
            const auto read = begin == std::string_view::npos
                                  ? std::from_chars_result{digits.data(), std::errc::invalid_argument}
                                  : std::from_chars(digits.data() + begin, digits.data() + last + 1, code);
            if (read.ec != std::errc() || read.ptr != digits.data() + last + 1)
                return stop("ERRORCODE is no number of the host's range: " + text.substr(0, 40));
            errorCode = code;
        } else if (name == "METADATA") {
            report_fields();
        } else if (name == "ROW") {
            onRow(row);
        }
        collecting = false;
        path.pop_back();
    }

    void characters(const XML_Char *data, int length) {
        if (failed || !collecting)
            return;
        if (text.size() + static_cast<std::size_t>(length) > kMaxText)
            return stop("a value is longer than " + std::to_string(kMaxText >> 20) + " MiB");
        text.append(data, static_cast<std::size_t>(length));
    }

    bool parse(const char *data, std::size_t size, bool last) {
        if (failed)
            return false;
        do {
            const int piece = static_cast<int>(std::min<std::size_t>(size, INT_MAX));
            if (XML_Parse(parser, data, piece, last && static_cast<std::size_t>(piece) == size) == XML_STATUS_ERROR) {
                if (!failed) {
                    failed = true;
                    error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " (line " +
                            std::to_string(XML_GetCurrentLineNumber(parser)) + ", column " +
                            std::to_string(XML_GetCurrentColumnNumber(parser) + 1) + ")";
                }
                return false;
            }
            data += piece;
            size -= static_cast<std::size_t>(piece);
        } while (size > 0);
        return true;
    }
};

FmpXmlReader::FmpXmlReader(FieldsHandler fields, RowHandler row) : state_(std::make_unique<State>()) {
    state_->onFields = std::move(fields);
    state_->onRow = std::move(row);
    state_->parser = XML_ParserCreateNS(nullptr, kNamespaceSeparator);
    if (!state_->parser)
        throw std::bad_alloc();
    XML_SetUserData(state_->parser, state_.get());
    // Handlers run inside expat, a C library: nothing may be thrown through it.
    XML_SetElementHandler(
        state_->parser,
        [](void *self, const XML_Char *name, const XML_Char **attributes) {
            auto *state = static_cast<State *>(self);
            try {
                state->start(name, attributes);
            } catch (...) {
                state->abandon();
            }
        },
        [](void *self, const XML_Char *) {
            auto *state = static_cast<State *>(self);
            try {
                state->end();
            } catch (...) {
                state->abandon();
            }
        });
    XML_SetCharacterDataHandler(state_->parser, [](void *self, const XML_Char *data, int length) {
        auto *state = static_cast<State *>(self);
        try {
            state->characters(data, length);
        } catch (...) {
            state->abandon();
        }
    });
}

FmpXmlReader::~FmpXmlReader() { XML_ParserFree(state_->parser); }

bool FmpXmlReader::feed(std::string_view bytes) { return state_->parse(bytes.data(), bytes.size(), false); }

bool FmpXmlReader::finish() { return state_->parse("", 0, true); }

const std::string &FmpXmlReader::error() const { return state_->error; }

bool FmpXmlReader::xml_error() const { return state_->failed && !state_->grammar; }

std::optional<int> FmpXmlReader::error_code() const { return state_->errorCode; }

} // namespace fmhost
