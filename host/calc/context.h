// What a calculation needs from its host: fields of the current record, the
// Get functions' values, variables and the plug-in's functions. The host
// implements Context; SimpleContext (simple_context.h) is an in-memory one.
#ifndef CALC_CONTEXT_H
#define CALC_CONTEXT_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/errors.h"
#include "calc/value.h"

namespace calc {

// The parameters Get ( ... ) accepts. Any other name is error 1215.
enum class GetName {
    RecordNumber,
    FoundCount,
    TotalRecordCount,
    ScriptParameter,
    ScriptName,
    ScriptResult,
    LayoutTableName,
    LayoutName,
    FileName,
    FilePath,
    ApplicationVersion,
    SystemPlatform,
    UserName,
    AccountName,
    CurrentDate,
    CurrentTime,
    CurrentTimestamp,
    CurrentHostTimestamp,
    CurrentTimeUTCMilliseconds,
    LastError,
    TemporaryPath,
    UUID,
    UUIDNumber,
};

// The parameter of that name, in any case.
std::optional<GetName> getNameFromText(std::string_view name);
const char* getNameText(GetName name);

// A function the plug-in registered. maxArgs -1 means any number.
struct ExternalFunction {
    std::string name;
    int minArgs = 0;
    int maxArgs = -1;
    std::int64_t id = 0;  // the host's own handle, passed back in callExternal
};

class Context {
public:
    virtual ~Context() = default;

    // The current layout's table: the table of a field named without one.
    virtual std::string currentTable() = 0;

    // The value of Table::Field in the current record (a bare field name
    // arrives with the current table). An unknown table or file is error 100,
    // an unknown field 102; a table without records gives an empty value of
    // the field's type.
    virtual Result field(std::string_view table, std::string_view field) = 0;

    // The type of a field for FieldType ( file ; field ): an unknown file is
    // error 100, an unknown table 100, an unknown field 102.
    virtual Outcome<Type> fieldType(std::string_view file, std::string_view table, std::string_view field) = 0;

    // Get ( name ). The default answers LayoutTableName with currentTable(),
    // the clock's values (local time), UUID with a new random (version 4)
    // UUID in capitals, UUIDNumber with a new random 41-digit number, and
    // an empty value for everything else; hosts override it and call it for
    // what they do not know.
    virtual Result get(GetName name);

    // Variables, named with their "$" or "$$" prefix as written. Names are
    // case-insensitive; "$" variables belong to the running script, "$$"
    // variables to the file. An unset variable is empty.
    virtual Value variable(std::string_view name) = 0;
    virtual void setVariable(std::string_view name, const Value& value) = 0;

    // The plug-in's functions: lookup by name (case-insensitive) and call with
    // the evaluated arguments. A failing call reports a CalcError with the
    // function's error code.
    virtual std::optional<ExternalFunction> findExternal(std::string_view name);
    virtual Result callExternal(const ExternalFunction& function, const std::vector<Value>& args);
};

}  // namespace calc

#endif
