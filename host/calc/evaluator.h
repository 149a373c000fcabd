// Entry points of the calculation engine: parse a calculation and evaluate it
// in a host's context.
//
// The language
// ------------
//   Literals   numbers (12, 1.5, .5), text in double quotes with \" for a
//              quotation mark, \\ for a backslash and \¶ for a pilcrow;
//              ¶ inside or outside quotes is a carriage return.
//   Comments   /* ... */ and // to the end of the line.
//   Names      Field and Table::Field (names in any case; a name of several
//              words such as First Name is one name; ${any name} quotes a
//              name with other characters); $local and $$global variables.
//   Calls      Name ( arg ; arg ; ... ), "," also separates arguments;
//              function names in any case. Pi, Random and the JSON type
//              names (JSONString, ...) need no parentheses. Functions the context reports as external are
//              called with their evaluated arguments.
//   Let        Let ( [ a = 1 ; $b = 2 ; $$c = 3 ] ; body ) and
//              Let ( a = 1 ; body ). Plain names are local to the Let and
//              shadow fields; later bindings see earlier ones; $ and $$
//              bindings set the context's variables.
//   Get        Get ( RecordNumber ) and the other names of GetName, answered
//              by the context.
//   While      While ( [ i = 0 ; s = 0 ] ; i < 3 ; [ i = i + 1 ; s = s + i ] ;
//              s ): the initial bindings as in Let, then the logic while the
//              condition holds (a plain name it sets replaces the While's
//              own), then the result. More than 50000 rounds give "?" (error
//              1200 for EvaluationError); SetRecursion ( expression ; limit )
//              sets another limit for its expression.
//   Lazy       If, Case and Choose evaluate only the branch they take;
//              IsEmpty is 1 for a missing field or table; Evaluate ( text
//              {; [ fields ] } ) runs text in the same context and Let scope
//              and gives "?" when it fails, GetField ( name ) reads the
//              field a text names and gives "?" when there is none, and
//              EvaluationError ( expression ) gives the error code of the
//              expression (or of an Evaluate, GetField or While inside it).
//              SetPrecision ( expression ; digits ) evaluates the expression
//              with division and the inexact functions keeping 16 to 400
//              digits after the point (see value.h).
//   Errors     syntax, unknown functions, argument counts and Get names are
//              checked before anything runs; the codes are in errors.h.
//              Missing fields and tables and failing external functions stop
//              the calculation with their code when they are evaluated.
//              Nesting deeper than 200 levels is error 1200.
#ifndef CALC_EVALUATOR_H
#define CALC_EVALUATOR_H

#include <optional>
#include <string_view>

#include "calc/context.h"
#include "calc/errors.h"
#include "calc/value.h"

namespace calc {

// Evaluates UTF-8 calculation text. Error positions count characters (code
// points). Never throws.
Result evaluate(std::string_view text, Context& context);

// Evaluates UTF-16 calculation text. Error positions count UTF-16 code units.
Result evaluate(std::u16string_view text, Context& context);

// Checks the text's syntax, functions and argument counts without evaluating
// it; no value when it is well formed.
std::optional<CalcError> check(std::string_view text, Context& context);

}  // namespace calc

#endif
