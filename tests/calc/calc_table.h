// Tables of calculations and their expected text forms, for the calculation
// engine's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc/evaluator.h"

namespace calc_table {

struct Case {
    const char* calculation;
    const char* expected;  // the text form, or "error CODE at POSITION"
};

inline std::string outcome(const std::string& calculation, calc::Context& context) {
    const calc::Result r = calc::evaluate(calculation, context);
    if (!r) return "error " + std::to_string(r.error().code) + " at " + std::to_string(r.error().position);
    return r.value().toText();
}

inline void expectTable(calc::Context& context, const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(outcome(c.calculation, context), c.expected) << c.calculation;
}

}  // namespace calc_table
