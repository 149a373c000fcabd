// Splits calculation text into tokens. Positions are character (code point)
// offsets from the start of the text.
#ifndef CALC_LEXER_H
#define CALC_LEXER_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "calc/errors.h"

namespace calc {

enum class Tok {
    End,
    Number,     // text: the literal as written
    Text,       // text: the decoded characters (also a ¶ outside quotes)
    Name,       // text: the name (the inside of ${...} for a quoted name)
    Variable,   // text: $name or $$name
    Plus, Minus, Star, Slash, Caret, Amp,
    Eq, Ne, Lt, Gt, Le, Ge,
    LParen, RParen, LBracket, RBracket,
    Separator,  // ";" or ","
    Scope,      // "::"
    And, Or, Xor, Not,
    Invalid,    // a character that starts no token; text: the character
};

struct Token {
    Tok kind = Tok::End;
    std::string text;
    std::size_t pos = 0;  // first character
    std::size_t end = 0;  // one past the last character
};

// Tokens of the text, ending with Tok::End. An unterminated comment or text
// constant is an error (1205, 1206) at its opening character.
Outcome<std::vector<Token>> tokenize(std::u32string_view text);

// Readable form of a token for messages.
std::string describe(const Token& token);

}  // namespace calc

#endif
