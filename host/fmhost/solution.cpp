#include "solution.h"

#include "input_file.h"

#include "calc/utf8.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fmhost {

namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

// Containers read from files are held in memory; larger files are refused.
constexpr std::uintmax_t kMaxContainerFile = 256u << 20;

[[noreturn]] void fail(const std::string &where, const std::string &what) {
    throw SolutionError(where + ": " + what);
}

std::string kind_of(const Json &value) {
    return value.type_name();
}

std::string file_url(const std::string &path) {
    if (path.rfind("file:", 0) == 0)
        return path;
    return "file:" + path;
}

std::vector<std::uint8_t> read_file(const fs::path &path, const std::string &where) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec)
        fail(where, "cannot read " + path.string() + ": " + ec.message());
    if (size > kMaxContainerFile)
        fail(where, path.string() + " is larger than " + std::to_string(kMaxContainerFile >> 20) + " MiB");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail(where, "cannot open " + path.string());
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        fail(where, "cannot read " + path.string());
    return bytes;
}

calc::Value container_value(const Json &value, const fs::path &base, const std::string &where) {
    if (value.is_string())
        return calc::Value::container(value.get<std::string>());
    if (!value.is_object() || value.size() != 1 || !(value.contains("file") || value.contains("reference")) ||
        !value.begin().value().is_string())
        fail(where, "a container is {\"file\": PATH} or {\"reference\": TEXT}");
    const std::string text = value.begin().value().get<std::string>();
    if (value.contains("reference"))
        return calc::Value::container(text);
    const fs::path file = fs::path(text).is_absolute() ? fs::path(text) : base / text;
    return calc::Value::container(fs::path(text).filename().string(), read_file(file, where));
}

calc::Value field_value(const Json &value, calc::Type type, const fs::path &base, const std::string &where) {
    using calc::Type;
    if (value.is_null())
        return calc::Value::empty(type);
    const bool emptyText = value.is_string() && value.get<std::string>().empty();
    if (emptyText && type != Type::Text)
        return calc::Value::empty(type);
    switch (type) {
    case Type::Text:
        if (value.is_string())
            return calc::Value::text(value.get<std::string>());
        if (value.is_number())
            return calc::Value::text(value.dump());
        break;
    case Type::Number: {
        const std::string text = value.is_number() ? value.dump() : value.is_string() ? value.get<std::string>() : "";
        if (const auto number = read_decimal(text))
            return calc::Value::number(*number);
        if (value.is_number() || value.is_string())
            fail(where, "\"" + text + "\" is no number");
        break;
    }
    case Type::Date:
        if (value.is_string()) {
            if (const auto date = fmhost::parse_date(value.get<std::string>()))
                return calc::Value::date(date->days);
            fail(where, "\"" + value.get<std::string>() + "\" is no date (M/D/YYYY)");
        }
        break;
    case Type::Time:
        if (value.is_number()) {
            if (const auto secs = read_decimal(value.dump()))
                return calc::Value::time(*secs);
        }
        if (value.is_string()) {
            if (const auto time = fmhost::parse_time(value.get<std::string>()))
                return calc::Value::time(fmhost::seconds_of(*time));
            fail(where, "\"" + value.get<std::string>() + "\" is no time (H:MM:SS)");
        }
        break;
    case Type::Timestamp:
        if (value.is_string()) {
            if (const auto stamp = fmhost::parse_timestamp(value.get<std::string>()))
                return calc::Value::timestamp(fmhost::seconds_of(*stamp));
            fail(where, "\"" + value.get<std::string>() + "\" is no timestamp (M/D/YYYY H:MM:SS)");
        }
        break;
    case Type::Container:
        return container_value(value, base, where);
    }
    fail(where, "a " + std::string(calc::typeName(type)) + " field cannot hold a " + kind_of(value));
}

Table read_table(const std::string &name, const Json &json, const fs::path &base) {
    const std::string where = "tables." + name;
    if (name.empty())
        fail("tables", "a table needs a name");
    if (!json.is_object())
        fail(where, "a table is an object with \"fields\" and \"records\"");
    Table table{name, {}, {}, 0};
    for (const auto &[key, value] : json.items())
        if (key != "fields" && key != "records")
            fail(where, "unknown key \"" + key + "\" (a table has \"fields\" and \"records\")");
    if (json.contains("fields")) {
        const Json &fields = json["fields"];
        if (!fields.is_object())
            fail(where + ".fields", "fields are an object of names and types");
        for (const auto &[field, type] : fields.items()) {
            const std::string at = where + ".fields." + field;
            if (field.empty())
                fail(where + ".fields", "a field needs a name");
            if (table.field_index(field) >= 0)
                fail(at, "the table has this field already");
            const auto parsed = type.is_string() ? calc::typeFromName(type.get<std::string>()) : std::nullopt;
            if (!parsed)
                fail(at, "the type is one of text, number, date, time, timestamp, container");
            table.fields.push_back(Field{field, *parsed});
        }
    }
    if (json.contains("records")) {
        const Json &records = json["records"];
        if (!records.is_array())
            fail(where + ".records", "records are an array of objects");
        for (std::size_t i = 0; i < records.size(); ++i) {
            const std::string at = where + ".records[" + std::to_string(i) + "]";
            if (!records[i].is_object())
                fail(at, "a record is an object of field names and values");
            std::vector<calc::Value> record = table.empty_record();
            for (const auto &[field, value] : records[i].items()) {
                const int index = table.field_index(field);
                if (index < 0)
                    fail(at, "the table has no field \"" + field + "\"");
                const Field &f = table.fields[static_cast<std::size_t>(index)];
                record[static_cast<std::size_t>(index)] = field_value(value, f.type, base, at + "." + field);
            }
            table.records.push_back(std::move(record));
        }
    }
    table.current = table.records.empty() ? 0 : 1;
    return table;
}

Script read_script(const std::string &name, const Json &json) {
    const std::string where = "scripts." + name;
    if (name.empty())
        fail("scripts", "a script needs a name");
    Script script{name, {}};
    if (json.is_string()) {
        std::istringstream lines(json.get<std::string>());
        for (std::string line; std::getline(lines, line);)
            script.lines.push_back(line);
        return script;
    }
    if (!json.is_array())
        fail(where, "a script is an array of step lines");
    for (const Json &line : json) {
        if (!line.is_string())
            fail(where, "a script is an array of step lines");
        script.lines.push_back(line.get<std::string>());
    }
    return script;
}

std::string read_text(const std::string &path) {
    try {
        return read_input_file(path);
    } catch (const InputFileError &e) {
        throw SolutionError(std::string("cannot read the solution ") + e.what());
    }
}

} // namespace

std::optional<fmhost::Decimal> read_decimal(std::string_view text) { return fmhost::Decimal::parse(text); }

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && a == b)
        return true;
    return calc::utf8::lower(calc::utf8::decode(a)) == calc::utf8::lower(calc::utf8::decode(b));
}

int Table::field_index(std::string_view name) const {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (same_name(fields[i].name, name))
            return static_cast<int>(i);
    return -1;
}

std::vector<calc::Value> Table::empty_record() const {
    std::vector<calc::Value> record;
    record.reserve(fields.size());
    for (const Field &field : fields)
        record.push_back(calc::Value::empty(field.type));
    return record;
}

bool Solution::is_named(std::string_view name) const {
    constexpr std::string_view kExtension = ".fmp12";
    if (same_name(name, file))
        return true;
    return name.size() > kExtension.size() && same_name(name.substr(name.size() - kExtension.size()), kExtension) &&
           same_name(name.substr(0, name.size() - kExtension.size()), file);
}

Table *Solution::find_table(std::string_view name) {
    for (Table &table : tables)
        if (same_name(table.name, name))
            return &table;
    return nullptr;
}

const Script *Solution::find_script(std::string_view name) const {
    for (const Script &script : scripts)
        if (same_name(script.name, name))
            return &script;
    return nullptr;
}

Solution default_solution() {
    Solution solution;
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    solution.path = file_url((ec ? fs::path("/") : here).string() + "/" + solution.file + ".fmp12");
    solution.tables.push_back(Table{solution.file, {}, {}, 0});
    return solution;
}

Solution load_solution(const std::string &path) {
    const std::string text = read_text(path);
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::parse_error &e) {
        std::string what = e.what();
        if (const auto close = what.find("] "); what.rfind("[json.exception", 0) == 0 && close != std::string::npos)
            what.erase(0, close + 2);
        throw SolutionError(path + ": " + what + " (byte " + std::to_string(e.byte) + ")");
    }
    try {
        if (!json.is_object())
            fail(path, "a solution is a JSON object");
        const fs::path base = fs::absolute(fs::path(path)).parent_path();
        Solution solution;
        for (const auto &[key, value] : json.items()) {
            if (key == "file" || key == "path" || key == "layout") {
                if (!value.is_string() || value.get<std::string>().empty())
                    fail(path, "\"" + key + "\" is a non-empty text");
            } else if (key == "record") {
                if (!value.is_number_integer() || value.get<long long>() < 1)
                    fail(path, "\"record\" is a record number from 1");
            } else if (key == "tables" || key == "scripts") {
                if (!value.is_object())
                    fail(path, "\"" + key + "\" is an object");
            } else {
                fail(path, "unknown key \"" + key + "\"");
            }
        }
        if (json.contains("file"))
            solution.file = json["file"].get<std::string>();
        solution.path = json.contains("path") ? file_url(json["path"].get<std::string>())
                                              : file_url((base / (solution.file + ".fmp12")).string());
        if (json.contains("tables"))
            for (const auto &[name, table] : json["tables"].items()) {
                if (solution.find_table(name))
                    fail("tables." + name, "a table of this name exists already");
                solution.tables.push_back(read_table(name, table, base));
            }
        if (solution.tables.empty())
            solution.tables.push_back(Table{solution.file, {}, {}, 0});
        if (json.contains("scripts"))
            for (const auto &[name, script] : json["scripts"].items()) {
                if (solution.find_script(name))
                    fail("scripts." + name, "a script of this name exists already");
                solution.scripts.push_back(read_script(name, script));
            }
        if (json.contains("layout")) {
            const std::string layout = json["layout"].get<std::string>();
            const Table *table = solution.find_table(layout);
            if (!table)
                fail("layout", "no table is named \"" + layout + "\"");
            solution.layout = static_cast<std::size_t>(table - solution.tables.data());
        }
        if (json.contains("record")) {
            Table &table = solution.tables[solution.layout];
            const auto record = json["record"].get<long long>();
            if (static_cast<unsigned long long>(record) > table.records.size())
                fail("record", "the table " + table.name + " has " + std::to_string(table.records.size()) +
                                   " records, not " + std::to_string(record));
            table.current = static_cast<std::size_t>(record);
        }
        return solution;
    } catch (const SolutionError &e) {
        if (std::string_view(e.what()).rfind(path + ":", 0) == 0)
            throw;
        throw SolutionError(path + ": " + e.what());
    } catch (const Json::exception &e) {
        throw SolutionError(path + ": " + e.what());
    }
}

} // namespace fmhost
