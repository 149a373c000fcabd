// Turns calculation text into a tree (ast.h). Syntax, unknown functions,
// argument counts and Get parameters are checked here, before anything is
// evaluated, as FileMaker checks a formula before running it.
#ifndef CALC_PARSER_H
#define CALC_PARSER_H

#include <string_view>

#include "calc/ast.h"
#include "calc/context.h"
#include "calc/errors.h"

namespace calc {

// Deepest nesting of parentheses, function calls and prefix operators.
inline constexpr int kMaxNesting = 200;

// Parses the text (code points). The context is asked about plug-in functions
// only. Empty text (or only blanks and comments) gives an empty text literal.
Outcome<NodePtr> parse(std::u32string_view text, Context& context);

}  // namespace calc

#endif
