#include "session.h"

#include "calc/evaluator.h"
#include "calc/utf8.h"
#include "lib/calc_bridge.h"

namespace fmhost {

namespace {

std::string fold(std::string_view name) { return calc::utf8::encode(calc::utf8::lower(calc::utf8::decode(name))); }

} // namespace

Session::Session(Solution solution, std::string applicationVersion)
    : solution_(std::move(solution)), applicationVersion_(std::move(applicationVersion)) {
    frames_.push_back(Frame{});
}

bool Session::go_to_layout(std::string_view name) {
    const Table *table = solution_.find_table(name);
    if (!table)
        return false;
    solution_.layout = static_cast<std::size_t>(table - solution_.tables.data());
    return true;
}

const Session::Position *Session::position() {
    const auto key = std::make_pair(solution_.layout, table().current);
    auto &slot = positions_[key];
    if (!slot)
        slot = std::make_unique<Position>(Position{key.first, key.second});
    return slot.get();
}

Session::Visit::Visit(Session &session, const Position *position) : session_(session) {
    if (!position || position->table >= session.solution_.tables.size())
        return;
    Table &table = session.solution_.tables[position->table];
    if (position->record > table.records.size())
        return;
    table_ = position->table;
    layout_ = session.solution_.layout;
    record_ = table.current;
    session.solution_.layout = position->table;
    table.current = position->record;
    moved_ = true;
}

// Records are only ever added, so the saved record is still there.
Session::Visit::~Visit() {
    if (!moved_)
        return;
    session_.solution_.tables[table_].current = record_;
    session_.solution_.layout = layout_;
}

void Session::push_script(std::string name, calc::Value parameter) {
    frames_.push_back(Frame{std::move(name), std::move(parameter), {}});
}

void Session::pop_script() {
    if (frames_.size() > 1)
        frames_.pop_back();
}

calc::Result Session::evaluate(std::string_view text) { return calc::evaluate(text, *this); }

std::string Session::currentTable() { return table().name; }

calc::Result Session::field(std::string_view tableName, std::string_view fieldName) {
    Table *table = solution_.find_table(tableName);
    if (!table)
        return calc::CalcError(calc::err::FileMissing, "The table \"" + std::string(tableName) + "\" is missing");
    const int index = table->field_index(fieldName);
    if (index < 0)
        return calc::CalcError(calc::err::FieldMissing, "The field \"" + std::string(fieldName) + "\" is missing");
    const auto column = static_cast<std::size_t>(index);
    if (table->current == 0 || table->current > table->records.size())
        return calc::Value::empty(table->fields[column].type);
    return table->records[table->current - 1][column];
}

calc::Outcome<calc::Type> Session::fieldType(std::string_view file, std::string_view tableName,
                                             std::string_view fieldName) {
    if (!solution_.is_named(file))
        return calc::CalcError(calc::err::FileMissing, "The file \"" + std::string(file) + "\" is missing");
    const Table *found = solution_.find_table(tableName.empty() ? std::string_view(table().name) : tableName);
    if (!found)
        return calc::CalcError(calc::err::FileMissing, "The table \"" + std::string(tableName) + "\" is missing");
    const int index = found->field_index(fieldName);
    if (index < 0)
        return calc::CalcError(calc::err::FieldMissing, "The field \"" + std::string(fieldName) + "\" is missing");
    return found->fields[static_cast<std::size_t>(index)].type;
}

calc::Result Session::get(calc::GetName name) {
    using calc::GetName;
    const Table &current = table();
    switch (name) {
    case GetName::RecordNumber:
        return calc::Value::number(static_cast<std::int64_t>(current.current));
    case GetName::FoundCount:
    case GetName::TotalRecordCount:
        return calc::Value::number(static_cast<std::int64_t>(current.records.size()));
    case GetName::ScriptParameter:
        return frames_.back().parameter;
    case GetName::ScriptName:
        return calc::Value::text(frames_.back().script);
    case GetName::LayoutTableName:
    case GetName::LayoutName:
        return calc::Value::text(current.name);
    case GetName::FileName:
        return calc::Value::text(solution_.file);
    case GetName::FilePath:
        return calc::Value::text(solution_.path);
    case GetName::ApplicationVersion:
        return calc::Value::text(applicationVersion_);
    case GetName::LastError:
        return calc::Value::number(std::int64_t{lastError_});
    default:
        return Context::get(name);
    }
}

calc::Value Session::variable(std::string_view name) {
    const auto &store = name.substr(0, 2) == "$$" ? globals_ : frames_.back().variables;
    const auto it = store.find(fold(name));
    return it == store.end() ? calc::Value::text("") : it->second;
}

void Session::setVariable(std::string_view name, const calc::Value &value) {
    auto &store = name.substr(0, 2) == "$$" ? globals_ : frames_.back().variables;
    store[fold(name)] = value;
}

std::optional<calc::ExternalFunction> Session::findExternal(std::string_view name) { return find_registered(name); }

calc::Result Session::callExternal(const calc::ExternalFunction &function, const std::vector<calc::Value> &args) {
    return call_registered(function, args, const_cast<Position *>(position()));
}

} // namespace fmhost
