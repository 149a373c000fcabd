// An in-memory Context: one file with tables, fields and records, variables,
// Get values and plug-in functions held in plain containers. Tests use it,
// and a host can build on it.
#ifndef CALC_SIMPLE_CONTEXT_H
#define CALC_SIMPLE_CONTEXT_H

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "calc/context.h"

namespace calc {

class SimpleContext : public Context {
public:
    using ExternalImpl = std::function<Result(const std::vector<Value>&)>;

    explicit SimpleContext(std::string fileName = "Untitled", std::string filePath = "");

    // Schema and data. The first table added becomes the current one.
    void addTable(const std::string& table);
    void addField(const std::string& table, const std::string& field, Type type);
    // Adds a record; values are matched to fields by name, the rest stay empty.
    // Returns the record's number (from 1).
    std::size_t addRecord(const std::string& table, const std::vector<std::pair<std::string, Value>>& values);
    bool setCurrentTable(const std::string& table);
    bool setCurrentRecord(std::size_t recordNumber);
    std::size_t currentRecord() const { return record_; }
    std::size_t recordCount(const std::string& table) const;

    // Get values that are not derived from the data above (ScriptParameter,
    // LastError, ApplicationVersion, ...).
    void setGet(GetName name, Value value);

    void addExternal(const std::string& name, int minArgs, int maxArgs, ExternalImpl impl);

    // Forgets the "$" variables, as the end of a script does.
    void clearLocalVariables() { locals_.clear(); }

    std::string currentTable() override { return current_; }
    Result field(std::string_view table, std::string_view field) override;
    Outcome<Type> fieldType(std::string_view file, std::string_view table, std::string_view field) override;
    Result get(GetName name) override;
    Value variable(std::string_view name) override;
    void setVariable(std::string_view name, const Value& value) override;
    std::optional<ExternalFunction> findExternal(std::string_view name) override;
    Result callExternal(const ExternalFunction& function, const std::vector<Value>& args) override;

private:
    struct Table {
        std::string name;
        std::vector<std::pair<std::string, Type>> fields;
        std::vector<std::vector<Value>> records;
    };

    Table* findTable(std::string_view name);
    const Table* findTable(std::string_view name) const;
    // Table and field index for a reference, or the error of a missing one.
    Outcome<std::pair<Table*, std::size_t>> locate(std::string_view table, std::string_view field);

    std::string fileName_;
    std::string filePath_;
    std::vector<Table> tables_;
    std::string current_;
    std::size_t record_ = 1;
    std::map<GetName, Value> gets_;
    std::map<std::string, Value> locals_;
    std::map<std::string, Value> globals_;
    std::vector<std::pair<ExternalFunction, ExternalImpl>> externals_;
};

}  // namespace calc

#endif
