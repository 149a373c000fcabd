#include "calc/simple_context.h"

#include "calc/utf8.h"

namespace calc {

namespace {

std::string fold(std::string_view s) { return utf8::encode(utf8::lower(utf8::decode(s))); }
bool same(std::string_view a, std::string_view b) { return fold(a) == fold(b); }

}  // namespace

SimpleContext::SimpleContext(std::string fileName, std::string filePath)
    : fileName_(std::move(fileName)), filePath_(std::move(filePath)) {
    if (filePath_.empty()) filePath_ = "file:/" + fileName_ + ".fmp12";
    gets_[GetName::ApplicationVersion] = Value::text("Pro 19.0.1");
    gets_[GetName::LastError] = Value::number(0);
}

SimpleContext::Table* SimpleContext::findTable(std::string_view name) {
    for (auto& t : tables_) {
        if (same(t.name, name)) return &t;
    }
    return nullptr;
}

const SimpleContext::Table* SimpleContext::findTable(std::string_view name) const {
    for (const auto& t : tables_) {
        if (same(t.name, name)) return &t;
    }
    return nullptr;
}

void SimpleContext::addTable(const std::string& table) {
    if (findTable(table)) return;
    tables_.push_back(Table{table, {}, {}});
    if (current_.empty()) current_ = table;
}

void SimpleContext::addField(const std::string& table, const std::string& field, Type type) {
    addTable(table);
    Table* t = findTable(table);
    for (auto& f : t->fields) {
        if (same(f.first, field)) {
            f.second = type;
            return;
        }
    }
    t->fields.emplace_back(field, type);
    for (auto& r : t->records) r.push_back(Value::empty(type));
}

std::size_t SimpleContext::addRecord(const std::string& table,
                                     const std::vector<std::pair<std::string, Value>>& values) {
    addTable(table);
    Table* t = findTable(table);
    std::vector<Value> record;
    for (const auto& f : t->fields) record.push_back(Value::empty(f.second));
    for (const auto& [name, value] : values) {
        for (std::size_t i = 0; i < t->fields.size(); ++i) {
            if (same(t->fields[i].first, name)) record[i] = value;
        }
    }
    t->records.push_back(std::move(record));
    return t->records.size();
}

bool SimpleContext::setCurrentTable(const std::string& table) {
    const Table* t = findTable(table);
    if (!t) return false;
    current_ = t->name;
    record_ = 1;
    return true;
}

bool SimpleContext::setCurrentRecord(std::size_t recordNumber) {
    const Table* t = findTable(current_);
    if (!t || recordNumber < 1 || recordNumber > t->records.size()) return false;
    record_ = recordNumber;
    return true;
}

std::size_t SimpleContext::recordCount(const std::string& table) const {
    const Table* t = findTable(table);
    return t ? t->records.size() : 0;
}

void SimpleContext::setGet(GetName name, Value value) { gets_[name] = std::move(value); }

void SimpleContext::addExternal(const std::string& name, int minArgs, int maxArgs, ExternalImpl impl) {
    ExternalFunction f{name, minArgs, maxArgs, static_cast<std::int64_t>(externals_.size())};
    externals_.emplace_back(std::move(f), std::move(impl));
}

Outcome<std::pair<SimpleContext::Table*, std::size_t>> SimpleContext::locate(std::string_view table,
                                                                             std::string_view field) {
    Table* t = findTable(table);
    if (!t) return CalcError(err::FileMissing, "The table \"" + std::string(table) + "\" cannot be found");
    for (std::size_t i = 0; i < t->fields.size(); ++i) {
        if (same(t->fields[i].first, field)) return std::make_pair(t, i);
    }
    return CalcError(err::FieldMissing, "The field \"" + std::string(field) + "\" cannot be found");
}

Result SimpleContext::field(std::string_view table, std::string_view field) {
    auto where = locate(table, field);
    if (!where) return where.error();
    auto [t, index] = where.value();
    // Another table's field is read from its first record; the current table's
    // from the current record.
    const std::size_t row = same(t->name, current_) ? record_ : 1;
    if (row < 1 || row > t->records.size()) return Value::empty(t->fields[index].second);
    return t->records[row - 1][index];
}

Outcome<Type> SimpleContext::fieldType(std::string_view file, std::string_view table, std::string_view field) {
    if (!same(file, fileName_)) {
        return CalcError(err::FileMissing, "The file \"" + std::string(file) + "\" cannot be found");
    }
    auto where = locate(table, field);
    if (!where) return where.error();
    return where.value().first->fields[where.value().second].second;
}

Result SimpleContext::get(GetName name) {
    const Table* t = findTable(current_);
    const std::size_t count = t ? t->records.size() : 0;
    switch (name) {
        case GetName::RecordNumber: return Value::number(count == 0 ? 0 : static_cast<std::int64_t>(record_));
        case GetName::FoundCount:
        case GetName::TotalRecordCount: return Value::number(static_cast<std::int64_t>(count));
        case GetName::LayoutTableName:
        case GetName::LayoutName: return Value::text(current_);
        case GetName::FileName: return Value::text(fileName_);
        case GetName::FilePath: return Value::text(filePath_);
        default: break;
    }
    const auto it = gets_.find(name);
    if (it != gets_.end()) return it->second;
    return Context::get(name);
}

Value SimpleContext::variable(std::string_view name) {
    auto& store = name.substr(0, 2) == "$$" ? globals_ : locals_;
    const auto it = store.find(fold(name));
    return it == store.end() ? Value::text("") : it->second;
}

void SimpleContext::setVariable(std::string_view name, const Value& value) {
    auto& store = name.substr(0, 2) == "$$" ? globals_ : locals_;
    store[fold(name)] = value;
}

std::optional<ExternalFunction> SimpleContext::findExternal(std::string_view name) {
    for (const auto& [f, impl] : externals_) {
        if (same(f.name, name)) return f;
    }
    return std::nullopt;
}

Result SimpleContext::callExternal(const ExternalFunction& function, const std::vector<Value>& args) {
    if (function.id < 0 || static_cast<std::size_t>(function.id) >= externals_.size()) {
        return Context::callExternal(function, args);
    }
    return externals_[static_cast<std::size_t>(function.id)].second(args);
}

}  // namespace calc
