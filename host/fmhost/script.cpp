#include "script.h"

#include "calc/utf8.h"

#include <optional>
#include <vector>

namespace fmhost {

namespace {

constexpr int kStepError = calc::err::Generic;

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool starts_with_ci(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i]))
            return false;
    return true;
}

bool equals_ci(std::string_view a, std::string_view b) { return a.size() == b.size() && starts_with_ci(a, b); }

// The part of [begin, end) of `text` without blanks at either end, as a piece.
Piece trimmed(std::string_view text, std::size_t begin, std::size_t end) {
    while (begin < end && is_blank(text[begin]))
        ++begin;
    while (end > begin && is_blank(text[end - 1]))
        --end;
    return Piece{std::string(text.substr(begin, end - begin)), begin};
}

struct StepName {
    std::string_view name;
    StepKind kind;
};

// Longer names first: "Go to Record/Request/Page" before "Go to Record".
constexpr StepName kStepNames[] = {
    {"Set Variable", StepKind::SetVariable},
    {"Go to Record/Request/Page", StepKind::GoToRecord},
    {"Go to Record", StepKind::GoToRecord},
    {"Go to Layout", StepKind::GoToLayout},
    {"Perform Script", StepKind::PerformScript},
    {"Import Records", StepKind::ImportRecords},
    {"Plug-in Preferences", StepKind::Preferences},
};

class StepReader {
public:
    explicit StepReader(Step &step) : step_(step), text_(step.text) {}

    std::optional<calc::CalcError> read(const StepName &name) {
        step_.kind = name.kind;
        std::size_t at = name.name.size();
        while (at < text_.size() && is_blank(text_[at]))
            ++at;
        std::vector<Piece> pieces;
        if (at < text_.size()) {
            // The brackets run to the end of the line.
            auto error = split(at, pieces);
            if (error)
                return error;
        }
        switch (name.kind) {
        case StepKind::SetVariable:
            return set_variable(pieces);
        case StepKind::GoToRecord:
            return go_to_record(pieces);
        case StepKind::GoToLayout:
            return go_to_layout(pieces);
        case StepKind::PerformScript:
            return perform_script(pieces);
        case StepKind::ImportRecords:
            return import_records(pieces);
        case StepKind::Preferences:
            if (!pieces.empty())
                return error(pieces.front().offset, "Plug-in Preferences takes no options");
            return std::nullopt;
        case StepKind::Calculation:
            break;
        }
        return std::nullopt;
    }

private:
    calc::CalcError error(std::size_t offset, std::string message) const {
        return calc::CalcError(kStepError, std::move(message), calc::utf8::length(text_.substr(0, offset)));
    }

    // Splits "[ a ; b ; c ]" at the semicolons that stand outside quotes,
    // comments, parentheses and brackets.
    std::optional<calc::CalcError> split(std::size_t open, std::vector<Piece> &pieces) {
        if (text_[open] != '[')
            return error(open, "\"[\" expected after " + std::string(text_.substr(0, open)));
        int depth = 0;
        std::size_t start = open + 1;
        std::size_t i = open;
        for (; i < text_.size(); ++i) {
            const char c = text_[i];
            if (c == '"') {
                const std::size_t quote = i;
                for (++i; i < text_.size() && text_[i] != '"'; ++i)
                    if (text_[i] == '\\' && i + 1 < text_.size())
                        ++i;
                if (i >= text_.size())
                    return error(quote, "Text constant must end with a quotation mark");
            } else if (c == '/' && i + 1 < text_.size() && text_[i + 1] == '*') {
                const auto close = text_.find("*/", i + 2);
                if (close == std::string_view::npos)
                    return error(i, "Comment is not terminated with \"*/\"");
                i = close + 1;
            } else if (c == '(' || c == '[') {
                ++depth;
            } else if (c == ')' || (c == ']' && depth > 1)) {
                if (--depth < 1)
                    return error(i, "Unbalanced parenthesis");
            } else if (c == ']') {
                pieces.push_back(trimmed(text_, start, i));
                break;
            } else if (c == ';' && depth == 1) {
                pieces.push_back(trimmed(text_, start, i));
                start = i + 1;
            }
        }
        if (i >= text_.size())
            return error(open, "\"]\" expected at the end of the step");
        if (i + 1 != text_.size())
            return error(i + 1, "Nothing may follow the step's \"]\"");
        if (pieces.size() == 1 && pieces.front().text.empty())
            pieces.clear();
        return std::nullopt;
    }

    // Removes "label:" from the front of a piece; false when it is not there.
    static bool take_label(Piece &piece, std::string_view label) {
        if (!starts_with_ci(piece.text, label))
            return false;
        std::size_t skip = label.size();
        while (skip < piece.text.size() && is_blank(piece.text[skip]))
            ++skip;
        piece.text.erase(0, skip);
        piece.offset += skip;
        return true;
    }

    // A name in quotes (with \" and \\) or as written.
    std::optional<calc::CalcError> name_of(const Piece &piece, const char *what) {
        const std::string &text = piece.text;
        if (text.empty())
            return error(piece.offset, std::string(what) + " is missing");
        if (text.front() != '"') {
            step_.name = text;
            return std::nullopt;
        }
        std::string name;
        std::size_t i = 1;
        for (; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\' && i + 1 < text.size())
                ++i;
            name += text[i];
        }
        if (i + 1 != text.size())
            return error(piece.offset + i, std::string(what) + " must be one text in quotation marks");
        if (name.empty())
            return error(piece.offset, std::string(what) + " is missing");
        step_.name = name;
        return std::nullopt;
    }

    std::optional<calc::CalcError> set_calc(Piece piece, const char *what) {
        if (piece.text.empty())
            return error(piece.offset, std::string(what) + " is missing");
        step_.calc = std::move(piece);
        step_.hasCalc = true;
        return std::nullopt;
    }

    std::optional<calc::CalcError> set_variable(std::vector<Piece> &pieces) {
        if (pieces.size() != 2)
            return error(pieces.empty() ? text_.size() : pieces.front().offset,
                         "Set Variable takes a variable and a value: Set Variable [ $x ; Value: 1 ]");
        const std::string &name = pieces[0].text;
        const std::size_t sigils = name.rfind("$$", 0) == 0 ? 2 : 1;
        if (name.empty() || name[0] != '$' || name.size() <= sigils)
            return error(pieces[0].offset, "A variable name starts with $ or $$");
        for (const char c : name.substr(sigils))
            if (is_blank(c) || c == '"' || c == ';' || c == '[' || c == ']' || c == '(' || c == ')')
                return error(pieces[0].offset, "A variable name has no blanks, quotes or brackets");
        step_.name = name;
        take_label(pieces[1], "Value:");
        return set_calc(pieces[1], "The value");
    }

    std::optional<calc::CalcError> go_to_record(std::vector<Piece> &pieces) {
        if (pieces.size() != 1)
            return error(pieces.empty() ? text_.size() : pieces[1].offset,
                         "Go to Record takes one of First, Next, Previous, Last or a record number");
        constexpr std::pair<std::string_view, Move> kMoves[] = {
            {"First", Move::First}, {"Next", Move::Next}, {"Previous", Move::Previous}, {"Last", Move::Last}};
        for (const auto &[word, move] : kMoves)
            if (equals_ci(pieces[0].text, word)) {
                step_.move = move;
                return std::nullopt;
            }
        step_.move = Move::ByCalculation;
        take_label(pieces[0], "By Calculation:");
        return set_calc(pieces[0], "The record number");
    }

    std::optional<calc::CalcError> go_to_layout(std::vector<Piece> &pieces) {
        if (pieces.size() != 1)
            return error(pieces.empty() ? text_.size() : pieces[1].offset, "Go to Layout takes one layout name");
        return name_of(pieces[0], "The layout name");
    }

    std::optional<calc::CalcError> perform_script(std::vector<Piece> &pieces) {
        if (pieces.empty() || pieces.size() > 2)
            return error(pieces.empty() ? text_.size() : pieces[2].offset,
                         "Perform Script takes a script name and an optional Parameter");
        if (auto e = name_of(pieces[0], "The script name"))
            return e;
        if (pieces.size() == 2) {
            if (!take_label(pieces[1], "Parameter:"))
                return error(pieces[1].offset, "\"Parameter:\" expected");
            return set_calc(pieces[1], "The parameter");
        }
        return std::nullopt;
    }

    std::optional<calc::CalcError> import_records(std::vector<Piece> &pieces) {
        bool source = false;
        bool table = false;
        for (Piece &piece : pieces) {
            if (take_label(piece, "XML data source:")) {
                if (source)
                    return error(piece.offset, "The data source is given twice");
                source = true;
                if (auto e = set_calc(piece, "The data source"))
                    return e;
            } else if (take_label(piece, "Table:")) {
                if (table)
                    return error(piece.offset, "The table is given twice");
                table = true;
                if (auto e = name_of(piece, "The table name"))
                    return e;
            } else if (take_label(piece, "With dialog:")) {
                if (!equals_ci(piece.text, "Off") && !equals_ci(piece.text, "On"))
                    return error(piece.offset, "With dialog is On or Off");
            } else {
                return error(piece.offset, "Import Records takes XML data source:, Table: and With dialog:");
            }
        }
        if (!source)
            return error(text_.size(), "Import Records needs an XML data source: calculation");
        if (!table)
            return error(text_.size(), "Import Records needs a Table: name");
        return std::nullopt;
    }

    Step &step_;
    std::string_view text_;
};

} // namespace

std::string step_text(std::string_view line) { return trimmed(line, 0, line.size()).text; }

bool is_skipped(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && is_blank(line[i]))
        ++i;
    return i == line.size() || line[i] == '#';
}

calc::Outcome<Step> parse_step(std::string_view line) {
    Step step;
    const Piece whole = trimmed(line, 0, line.size());
    step.text = whole.text;
    const std::string_view text = step.text;
    for (const StepName &name : kStepNames) {
        if (!starts_with_ci(text, name.name))
            continue;
        std::size_t after = name.name.size();
        while (after < text.size() && is_blank(text[after]))
            ++after;
        if (after != text.size() && text[after] != '[')
            continue;
        StepReader reader(step);
        if (auto error = reader.read(name))
            return std::move(*error);
        return step;
    }
    step.kind = StepKind::Calculation;
    step.calc = Piece{step.text, 0};
    step.hasCalc = true;
    return step;
}

std::size_t step_position(const Step &step, const Piece &piece, std::size_t position) {
    if (position == calc::kNoPosition)
        return calc::kNoPosition;
    const std::size_t offset = std::min(piece.offset, step.text.size());
    return calc::utf8::length(std::string_view(step.text).substr(0, offset)) + position;
}

} // namespace fmhost
