// The solution fmhost runs against: one file with its tables, fields,
// records and scripts, read from a JSON file.
#pragma once

#include "calc/value.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fmhost {

struct Field {
    std::string name;
    calc::Type type;
};

struct Table {
    std::string name;
    std::vector<Field> fields;
    std::vector<std::vector<calc::Value>> records; // one value per field
    std::size_t current = 0;                        // the current record from 1; 0 when there is none

    // Index of the field of that name (letter case ignored), or -1.
    int field_index(std::string_view name) const;
    // A record of empty values, one per field.
    std::vector<calc::Value> empty_record() const;
};

struct Script {
    std::string name;
    std::vector<std::string> lines;
};

struct Solution {
    std::string file = "Untitled"; // Get ( FileName )
    std::string path;              // Get ( FilePath ), "file:/..."
    std::vector<Table> tables;
    std::size_t layout = 0; // index of the current layout's table
    std::vector<Script> scripts;

    // Whether `name` names this file, with or without its extension.
    bool is_named(std::string_view name) const;
    Table *find_table(std::string_view name);
    const Script *find_script(std::string_view name) const;
};

// A number as data writes it: an optional sign, digits with at most one
// point, an optional exponent ("-12.5", "1.0E10"), every digit kept.
std::optional<fmhost::Decimal> read_decimal(std::string_view text);

// Names of files, tables, fields, scripts and variables ignore letter case.
bool same_name(std::string_view a, std::string_view b);

struct SolutionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One empty file and table, so that calculations still run.
Solution default_solution();

// Reads a solution file. Throws SolutionError with a message that names the
// place of the fault: line, column and byte of a syntax error, the path of
// a value of the wrong kind (tables.Invoices.records[0].Issued).
Solution load_solution(const std::string &path);

} // namespace fmhost
