// Error codes and the error record of the calculation engine.
//
// Codes are FileMaker's own, so that a plug-in that asks the host to evaluate
// a calculation sees the numbers FileMaker would report:
//
//   100  File is missing (also: the table of a Table::Field reference is unknown)
//   102  Field is missing
//   1200 Generic calculation error (also: nesting too deep, evaluation too deep)
//   1201 Too few parameters in the function
//   1202 Too many parameters in the function
//   1203 Unexpected end of calculation
//   1204 Number, text constant, field name or "(" expected
//   1205 Comment is not terminated with "*/"
//   1206 Text constant must end with a quotation mark
//   1207 Unbalanced parenthesis
//   1208 Operator missing, function not found or "(" not expected
//   1209 Name (such as field name or layout name) is missing
//   1211 List usage is not allowed in this function
//   1212 An operator (for example, +, -, *) is expected here
//   1215 This parameter is an invalid Get function parameter
//
// A CalcError carries the code, a readable message and the position of the
// offending character: a 0-based count of characters (code points) from the
// start of the calculation text.
#ifndef CALC_ERRORS_H
#define CALC_ERRORS_H

#include <cstddef>
#include <string>
#include <utility>
#include <variant>

namespace calc {

namespace err {
inline constexpr int FileMissing = 100;
inline constexpr int FieldMissing = 102;
inline constexpr int Generic = 1200;
inline constexpr int TooFewParameters = 1201;
inline constexpr int TooManyParameters = 1202;
inline constexpr int UnexpectedEnd = 1203;
inline constexpr int OperandExpected = 1204;
inline constexpr int UnterminatedComment = 1205;
inline constexpr int UnterminatedText = 1206;
inline constexpr int UnbalancedParenthesis = 1207;
inline constexpr int FunctionNotFound = 1208;
inline constexpr int NameMissing = 1209;
inline constexpr int ListNotAllowed = 1211;
inline constexpr int OperatorExpected = 1212;
inline constexpr int InvalidGetParameter = 1215;
}  // namespace err

// Position used when an error has no place in the text (a context failure
// before the evaluator attached one).
inline constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

struct CalcError {
    int code = err::Generic;
    std::string message;
    std::size_t position = kNoPosition;

    CalcError() = default;
    CalcError(int c, std::string m, std::size_t pos = kNoPosition) : code(c), message(std::move(m)), position(pos) {}
};

// A value of type T or the error that prevented it.
template <class T>
class Outcome {
public:
    Outcome(T value) : state_(std::move(value)) {}  // NOLINT: implicit by design
    Outcome(CalcError error) : state_(std::move(error)) {}  // NOLINT: implicit by design

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const { return std::get<0>(state_); }
    T& value() { return std::get<0>(state_); }
    const CalcError& error() const { return std::get<1>(state_); }
    CalcError& error() { return std::get<1>(state_); }

private:
    std::variant<T, CalcError> state_;
};

// The standard message for a code, used when a context reports a bare code.
const char* defaultMessage(int code);

}  // namespace calc

#endif
