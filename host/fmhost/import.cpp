#include "import.h"

#include "fmpxml.h"
#include "http_get.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace fmhost {

namespace {

constexpr int kTableMissing = 106;
constexpr int kNoFields = 722;
constexpr int kNotEnoughXml = 717;
constexpr int kXmlParsing = 718;

constexpr std::chrono::seconds kDefaultTimeout{30};
constexpr double kMaxTimeoutSeconds = 7 * 24 * 3600;

// How long one import's request may take in all: FMHOST_IMPORT_TIMEOUT in
// seconds (fractions allowed), else 30 s. A value that is no positive
// number of seconds is noted and the default used.
std::chrono::milliseconds import_timeout(std::vector<std::string> &notes) {
    const char *setting = std::getenv("FMHOST_IMPORT_TIMEOUT");
    if (!setting || !*setting)
        return kDefaultTimeout;
    char *end = nullptr;
    const double seconds = std::strtod(setting, &end);
    if (*end != '\0' || !std::isfinite(seconds) || seconds <= 0 || seconds > kMaxTimeoutSeconds) {
        notes.push_back("FMHOST_IMPORT_TIMEOUT is no number of seconds up to a week: \"" + std::string(setting) +
                        "\"; the request may take 30 s");
        return kDefaultTimeout;
    }
    return std::chrono::milliseconds(std::max<long long>(1, std::llround(seconds * 1000)));
}

// XML reads line ends as LF; FileMaker separates lines with CR.
std::string with_returns(std::string text) {
    for (char &c : text)
        if (c == '\n')
            c = '\r';
    return text;
}

calc::Value read_as(const std::string &text, calc::Type type) {
    using calc::Type;
    if (text.empty())
        return calc::Value::empty(type);
    switch (type) {
    case Type::Text:
        break;
    case Type::Number:
        if (const auto number = read_decimal(text))
            return calc::Value::number(*number);
        break;
    case Type::Date:
        if (const auto date = fmhost::parse_date(text))
            return calc::Value::date(date->days);
        break;
    case Type::Time:
        if (const auto time = fmhost::parse_time(text))
            return calc::Value::time(fmhost::seconds_of(*time));
        break;
    case Type::Timestamp:
        if (const auto stamp = fmhost::parse_timestamp(text))
            return calc::Value::timestamp(fmhost::seconds_of(*stamp));
        break;
    case Type::Container:
        return calc::Value::container(text);
    }
    return calc::Value::text(with_returns(text));
}

} // namespace

ImportOutcome import_records(Session &session, const std::string &url, const std::string &tableName) {
    ImportOutcome outcome;
    Table *table = session.solution().find_table(tableName);
    if (!table) {
        outcome.error = kTableMissing;
        outcome.message = "Table \"" + tableName + "\" is missing";
        return outcome;
    }
    if (table->fields.empty()) {
        outcome.error = kNoFields;
        outcome.message = "Table \"" + table->name + "\" has no fields to import into";
        return outcome;
    }

    std::vector<int> targets; // per source field: the table's field, or -1
    auto onFields = [&](const std::vector<FmpField> &fields) {
        bool anyName = false;
        for (const FmpField &field : fields) {
            targets.push_back(table->field_index(field.name));
            anyName = anyName || targets.back() >= 0;
        }
        if (!anyName)
            for (std::size_t i = 0; i < targets.size(); ++i)
                targets[i] = i < table->fields.size() ? static_cast<int>(i) : -1;
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (targets[i] < 0)
                outcome.notes.push_back("field \"" + fields[i].name + "\" of the data source has no field in " +
                                        table->name);
    };
    auto onRow = [&](const std::vector<std::string> &values) {
        std::vector<calc::Value> record = table->empty_record();
        for (std::size_t i = 0; i < values.size() && i < targets.size(); ++i)
            if (targets[i] >= 0) {
                const auto target = static_cast<std::size_t>(targets[i]);
                record[target] = read_as(values[i], table->fields[target].type);
            }
        table->records.push_back(std::move(record));
        ++outcome.imported;
    };
    FmpXmlReader reader(onFields, onRow);
    const HttpOutcome fetched =
        http_get(url, [&](std::string_view bytes) { return reader.feed(bytes); }, import_timeout(outcome.notes));

    if (table->current == 0 && !table->records.empty())
        table->current = 1;
    if (fetched.error != 0) {
        outcome.error = fetched.error;
        outcome.message = fetched.message;
    } else if (!reader.finish()) {
        outcome.error = reader.xml_error() ? kXmlParsing : kNotEnoughXml;
        outcome.message = reader.error().empty() ? "the document could not be read" : reader.error();
    } else if ((outcome.errorCode = reader.error_code()) && *outcome.errorCode != 0) {
        outcome.error = *outcome.errorCode;
        outcome.message = "the data source reported error " + std::to_string(*outcome.errorCode);
    }
    if (!outcome.errorCode)
        outcome.errorCode = reader.error_code();
    return outcome;
}

} // namespace fmhost
