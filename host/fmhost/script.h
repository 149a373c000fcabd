// Script steps: one step per line, either a calculation or one of the
// FileMaker-style steps fmhost knows, written as FileMaker shows them:
//   Set Variable [ $x ; Value: calc ]
//   Go to Record [ First | Next | Previous | Last | calc ]
//   Go to Layout [ "table" ]
//   Perform Script [ "name" ; Parameter: calc ]
//   Import Records [ XML data source: calc ; Table: "name" ]
//   Plug-in Preferences
// Step names ignore letter case; a line is a step only when its name is
// followed by "[" or ends there, so a field such as "Go to Layout Count"
// still reads as a calculation.
#pragma once

#include "calc/errors.h"

#include <string>
#include <string_view>

namespace fmhost {

enum class StepKind { Calculation, SetVariable, GoToRecord, GoToLayout, PerformScript, ImportRecords, Preferences };
enum class Move { First, Next, Previous, Last, ByCalculation };

// A calculation inside a step and where it starts in the step's text (bytes).
struct Piece {
    std::string text;
    std::size_t offset = 0;
};

struct Step {
    StepKind kind = StepKind::Calculation;
    std::string text;  // the step as written, without surrounding blanks
    Piece calc;        // the calculation, Value, Parameter, data source or record number
    bool hasCalc = false;
    std::string name;  // the variable, layout, script or table
    Move move = Move::First;
};

// The step's text: the line without blanks around it.
std::string step_text(std::string_view line);

// Blank lines and lines starting with # are no steps.
bool is_skipped(std::string_view line);

// Reads one step. A step that cannot be read is error 1200 with the position
// (in characters) of the fault.
calc::Outcome<Step> parse_step(std::string_view line);

// The position in a step's text, in characters, of byte `offset` of a piece
// plus `position` characters into it.
std::size_t step_position(const Step &step, const Piece &piece, std::size_t position);

} // namespace fmhost
