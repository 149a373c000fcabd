#include "calc/context.h"

#include <chrono>
#include <ctime>

#include "calc/utf8.h"

namespace calc {

namespace {

struct GetEntry {
    GetName name;
    const char* text;
};

constexpr GetEntry kGetNames[] = {
    {GetName::RecordNumber, "RecordNumber"},
    {GetName::FoundCount, "FoundCount"},
    {GetName::TotalRecordCount, "TotalRecordCount"},
    {GetName::ScriptParameter, "ScriptParameter"},
    {GetName::ScriptName, "ScriptName"},
    {GetName::ScriptResult, "ScriptResult"},
    {GetName::LayoutTableName, "LayoutTableName"},
    {GetName::LayoutName, "LayoutName"},
    {GetName::FileName, "FileName"},
    {GetName::FilePath, "FilePath"},
    {GetName::ApplicationVersion, "ApplicationVersion"},
    {GetName::SystemPlatform, "SystemPlatform"},
    {GetName::UserName, "UserName"},
    {GetName::AccountName, "AccountName"},
    {GetName::CurrentDate, "CurrentDate"},
    {GetName::CurrentTime, "CurrentTime"},
    {GetName::CurrentTimestamp, "CurrentTimestamp"},
    {GetName::CurrentHostTimestamp, "CurrentHostTimestamp"},
    {GetName::CurrentTimeUTCMilliseconds, "CurrentTimeUTCMilliseconds"},
    {GetName::LastError, "LastError"},
    {GetName::TemporaryPath, "TemporaryPath"},
};

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

}  // namespace

std::optional<GetName> getNameFromText(std::string_view name) {
    for (const auto& entry : kGetNames) {
        if (equalsIgnoreCase(name, entry.text)) return entry.name;
    }
    return std::nullopt;
}

const char* getNameText(GetName name) {
    for (const auto& entry : kGetNames) {
        if (entry.name == name) return entry.text;
    }
    return "";
}

Result Context::get(GetName name) {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const std::int64_t day = dayNumber(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    const long double secs = tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
    switch (name) {
        case GetName::CurrentDate: return Value::date(day);
        case GetName::CurrentTime: return Value::time(secs);
        case GetName::CurrentTimestamp:
        case GetName::CurrentHostTimestamp:
            return Value::timestamp(static_cast<long double>(day - 1) * 86400 + secs);
        case GetName::LayoutTableName: return Value::text(currentTable());
        case GetName::CurrentTimeUTCMilliseconds: {
            // Milliseconds since 1/1/0001 0:00:00 UTC.
            const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
            return Value::number(static_cast<long double>(ms) + 719162.0L * 86400000.0L);
        }
        default: return Value::text("");
    }
}

std::optional<ExternalFunction> Context::findExternal(std::string_view) { return std::nullopt; }

Result Context::callExternal(const ExternalFunction& function, const std::vector<Value>&) {
    return CalcError(err::FunctionNotFound, "The function \"" + function.name + "\" cannot be found");
}

const char* defaultMessage(int code) {
    switch (code) {
        case 0: return "No error";
        case err::FileMissing: return "File is missing";
        case err::FieldMissing: return "Field is missing";
        case err::Generic: return "Generic calculation error";
        case err::TooFewParameters: return "Too few parameters in the function";
        case err::TooManyParameters: return "Too many parameters in the function";
        case err::UnexpectedEnd: return "Unexpected end of calculation";
        case err::OperandExpected: return "Number, text constant, field name or \"(\" expected";
        case err::UnterminatedComment: return "Comment is not terminated with \"*/\"";
        case err::UnterminatedText: return "Text constant must end with a quotation mark";
        case err::UnbalancedParenthesis: return "Unbalanced parenthesis";
        case err::FunctionNotFound: return "Operator missing, function not found or \"(\" not expected";
        case err::NameMissing: return "Name (such as field name or layout name) is missing";
        case err::ListNotAllowed: return "List usage is not allowed in this function";
        case err::OperatorExpected: return "An operator (for example +, -, *) is expected here";
        case err::InvalidGetParameter: return "This parameter is an invalid Get function parameter";
        default: return "Calculation error";
    }
}

}  // namespace calc
