#include "calc/lexer.h"

#include "calc/utf8.h"

namespace calc {

namespace {

constexpr char32_t kPilcrow = 0x00B6;

bool isSpace(char32_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0x0B || c == 0x0C || c == 0xA0 ||
           c == 0x2028 || c == 0x2029 || c == 0x3000 || c == 0xFEFF;
}

bool isNameStart(char32_t c) { return c == '_' || utf8::isLetter(c); }
bool isNamePart(char32_t c) { return isNameStart(c) || utf8::isDigit(c) || c == '.'; }

std::string lowerAscii(std::string s) {
    for (auto& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return s;
}

}  // namespace

Outcome<std::vector<Token>> tokenize(std::u32string_view s) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    const std::size_t n = s.size();
    auto simple = [&](Tok kind, std::size_t length) {
        tokens.push_back(Token{kind, utf8::encode(s.substr(i, length)), i, i + length});
        i += length;
    };
    while (i < n) {
        const char32_t c = s[i];
        const char32_t next = i + 1 < n ? s[i + 1] : 0;
        if (isSpace(c)) {
            ++i;
            continue;
        }
        if (c == '/' && next == '*') {
            const std::size_t close = s.find(U"*/", i + 2);
            if (close == std::u32string_view::npos) {
                return CalcError(err::UnterminatedComment, "Comment is not terminated with \"*/\"", i);
            }
            i = close + 2;
            continue;
        }
        if (c == '/' && next == '/') {
            while (i < n && s[i] != '\r' && s[i] != '\n' && s[i] != 0x2028 && s[i] != 0x2029) ++i;
            continue;
        }
        if (c == '"') {
            const std::size_t start = i;
            std::u32string value;
            ++i;
            bool closed = false;
            while (i < n) {
                const char32_t d = s[i];
                if (d == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (d == '\\' && i + 1 < n) {
                    const char32_t e = s[i + 1];
                    if (e == '"' || e == '\\' || e == kPilcrow) {
                        value.push_back(e);
                        i += 2;
                        continue;
                    }
                }
                value.push_back(d == kPilcrow ? U'\r' : d);
                ++i;
            }
            if (!closed) {
                return CalcError(err::UnterminatedText, "Text constant must end with a quotation mark", start);
            }
            tokens.push_back(Token{Tok::Text, utf8::encode(value), start, i});
            continue;
        }
        if (c == kPilcrow) {
            tokens.push_back(Token{Tok::Text, "\r", i, i + 1});
            ++i;
            continue;
        }
        if (utf8::isDigit(c) || (c == '.' && utf8::isDigit(next))) {
            const std::size_t start = i;
            while (i < n && utf8::isDigit(s[i])) ++i;
            if (i < n && s[i] == '.') {
                ++i;
                while (i < n && utf8::isDigit(s[i])) ++i;
            }
            if (i < n && (s[i] == 'e' || s[i] == 'E')) {
                std::size_t j = i + 1;
                if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
                if (j < n && utf8::isDigit(s[j])) {
                    while (j < n && utf8::isDigit(s[j])) ++j;
                    i = j;
                }
            }
            tokens.push_back(Token{Tok::Number, utf8::encode(s.substr(start, i - start)), start, i});
            continue;
        }
        if (c == '$' && next == '{') {
            // ${any name}: a field or table name that holds blanks or operators.
            const std::size_t close = s.find(U'}', i + 2);
            if (close == std::u32string_view::npos) {
                tokens.push_back(Token{Tok::Invalid, "$", i, i + 1});
                ++i;
                continue;
            }
            tokens.push_back(Token{Tok::Name, utf8::encode(s.substr(i + 2, close - i - 2)), i, close + 1});
            i = close + 1;
            continue;
        }
        if (c == '$') {
            const std::size_t start = i;
            std::size_t j = i + 1;
            if (j < n && s[j] == '$') ++j;
            if (j < n && (isNamePart(s[j]))) {
                while (j < n && isNamePart(s[j])) ++j;
                tokens.push_back(Token{Tok::Variable, utf8::encode(s.substr(start, j - start)), start, j});
                i = j;
            } else {
                simple(Tok::Invalid, 1);
            }
            continue;
        }
        if (isNameStart(c)) {
            const std::size_t start = i;
            while (i < n && isNamePart(s[i])) ++i;
            std::string word = utf8::encode(s.substr(start, i - start));
            const std::string lowered = lowerAscii(word);
            Tok kind = Tok::Name;
            if (lowered == "and") kind = Tok::And;
            else if (lowered == "or") kind = Tok::Or;
            else if (lowered == "xor") kind = Tok::Xor;
            else if (lowered == "not") kind = Tok::Not;
            tokens.push_back(Token{kind, std::move(word), start, i});
            continue;
        }
        switch (c) {
            case '+': simple(Tok::Plus, 1); break;
            case '-': simple(Tok::Minus, 1); break;
            case '*': simple(Tok::Star, 1); break;
            case '/': simple(Tok::Slash, 1); break;
            case '^': simple(Tok::Caret, 1); break;
            case '&': simple(Tok::Amp, 1); break;
            case '=': simple(Tok::Eq, 1); break;
            case 0x2260: simple(Tok::Ne, 1); break;
            case 0x2264: simple(Tok::Le, 1); break;
            case 0x2265: simple(Tok::Ge, 1); break;
            case '<':
                if (next == '>') simple(Tok::Ne, 2);
                else if (next == '=') simple(Tok::Le, 2);
                else simple(Tok::Lt, 1);
                break;
            case '>':
                if (next == '=') simple(Tok::Ge, 2);
                else simple(Tok::Gt, 1);
                break;
            case '(': simple(Tok::LParen, 1); break;
            case ')': simple(Tok::RParen, 1); break;
            case '[': simple(Tok::LBracket, 1); break;
            case ']': simple(Tok::RBracket, 1); break;
            case ';':
            case ',': simple(Tok::Separator, 1); break;
            case ':':
                if (next == ':') simple(Tok::Scope, 2);
                else simple(Tok::Invalid, 1);
                break;
            default: simple(Tok::Invalid, 1); break;
        }
    }
    tokens.push_back(Token{Tok::End, "", n, n});
    return tokens;
}

std::string describe(const Token& token) {
    switch (token.kind) {
        case Tok::End: return "the end of the calculation";
        case Tok::Text: return "a text constant";
        default: return "\"" + token.text + "\"";
    }
}

}  // namespace calc
