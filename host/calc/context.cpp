#include "calc/context.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

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
    {GetName::UUID, "UUID"},
    {GetName::UUIDNumber, "UUIDNumber"},
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

namespace {

// A version 4 UUID: random apart from its version and variant bits.
std::string newUuid() {
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uint64_t high = engine();
    std::uint64_t low = engine();
    high = (high & ~0xF000ULL) | 0x4000ULL;
    low = (low & ~(0xC000ULL << 48)) | (0x8000ULL << 48);
    char text[37];
    std::snprintf(text, sizeof text, "%08llX-%04llX-%04llX-%04llX-%012llX",
                  static_cast<unsigned long long>(high >> 32), static_cast<unsigned long long>(high >> 16 & 0xFFFF),
                  static_cast<unsigned long long>(high & 0xFFFF), static_cast<unsigned long long>(low >> 48),
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
    return text;
}

// A random number of 41 digits.
std::string newUuidNumber() {
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uniform_int_distribution<int> digit(0, 9);
    std::string digits(1, static_cast<char>('1' + std::uniform_int_distribution<int>(0, 8)(engine)));
    while (digits.size() < 41) digits.push_back(static_cast<char>('0' + digit(engine)));
    return digits;
}

}  // namespace

Result Context::get(GetName name) {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const std::int64_t day = fmhost::day_number(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday).value_or(1);
    const std::int64_t secs = tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
    switch (name) {
        case GetName::CurrentDate: return Value::date(day);
        case GetName::CurrentTime: return Value::time(Decimal::from_int64(secs));
        case GetName::CurrentTimestamp:
        case GetName::CurrentHostTimestamp:
            return Value::timestamp(Decimal::from_int64((day - 1) * fmhost::kSecondsPerDay + secs));
        case GetName::LayoutTableName: return Value::text(currentTable());
        case GetName::CurrentTimeUTCMilliseconds: {
            // Milliseconds since 1/1/0001 0:00:00 UTC.
            const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
            return Value::number(static_cast<std::int64_t>(ms) + (fmhost::kDayOf1970 - 1) * fmhost::kSecondsPerDay * 1000);
        }
        case GetName::UUID: return Value::text(newUuid());
        case GetName::UUIDNumber: return Value::number(*Decimal::parse(newUuidNumber()));
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
