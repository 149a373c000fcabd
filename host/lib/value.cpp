// Reading host values as each kind, and converting them between native types.
#include "lib/values.h"

#include <limits>

namespace fmhost {

namespace {

template <class... F> struct Overloaded : F... {
    using F::operator()...;
};
template <class... F> Overloaded(F...) -> Overloaded<F...>;

std::u16string widened(const std::string &ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string plain_text(const Value &value) {
    return std::visit(Overloaded{
                          [](std::monostate) { return std::u16string(); },
                          [](const StyledText &text) { return text.chars(); },
                          [](const Decimal &number) { return number.to_u16string(); },
                          [](const DateValue &date) { return widened(format_date(date.days)); },
                          [](const TimeValue &time) { return widened(format_time(time)); },
                          [](const TimeStampValue &stamp) { return widened(format_timestamp(stamp)); },
                          [](const ContainerValue &container) {
                              if (!container.reference.empty())
                                  return container.reference;
                              if (container.streams.empty())
                                  return std::u16string();
                              return container_file_name(container.streams).value_or(u"?");
                          },
                      },
                      value.content);
}

// A conversion that the source kind allows but its content does not fit
// (text that is no date, a number too large for a day) fails; one that the
// kinds do not allow (a time read as a date) gives an empty value.
template <class T> std::optional<Value> typed(const Value &source, std::int32_t type, std::optional<T> converted) {
    if (converted)
        return Value{type, *converted};
    const bool fails = std::holds_alternative<StyledText>(source.content) || std::holds_alternative<Decimal>(source.content);
    if (fails)
        return std::nullopt;
    return Value{type, std::monostate{}};
}

} // namespace

bool is_empty(const Value &value) {
    return std::visit(Overloaded{
                          [](std::monostate) { return true; },
                          [](const StyledText &text) { return text.empty(); },
                          [](const ContainerValue &container) {
                              return container.streams.empty() && container.reference.empty();
                          },
                          [](const auto &) { return false; },
                      },
                      value.content);
}

StyledText as_text(const Value &value) {
    if (const auto *text = std::get_if<StyledText>(&value.content))
        return *text;
    return StyledText(plain_text(value));
}

std::optional<Decimal> as_number(const Value &value) {
    return std::visit(Overloaded{
                          [](std::monostate) -> std::optional<Decimal> { return std::nullopt; },
                          [](const StyledText &text) { return Decimal::extract(text.chars()); },
                          [](const Decimal &number) -> std::optional<Decimal> { return number; },
                          [](const DateValue &date) -> std::optional<Decimal> { return Decimal::from_int64(date.days); },
                          [](const TimeValue &time) -> std::optional<Decimal> { return seconds_of(time); },
                          [](const TimeStampValue &stamp) -> std::optional<Decimal> { return seconds_of(stamp); },
                          [&](const ContainerValue &) { return Decimal::extract(plain_text(value)); },
                      },
                      value.content);
}

std::optional<DateValue> as_date(const Value &value) {
    return std::visit(Overloaded{
                          [](const StyledText &text) { return parse_date(text.chars()); },
                          [](const Decimal &number) -> std::optional<DateValue> {
                              const auto day = number.floor_scaled(0);
                              if (!day || *day < std::numeric_limits<std::int32_t>::min() ||
                                  *day > std::numeric_limits<std::int32_t>::max())
                                  return std::nullopt;
                              return DateValue{static_cast<std::int32_t>(*day)};
                          },
                          [](const DateValue &date) -> std::optional<DateValue> { return date; },
                          [](const TimeStampValue &stamp) -> std::optional<DateValue> { return DateValue{stamp.days}; },
                          [](const auto &) -> std::optional<DateValue> { return std::nullopt; },
                      },
                      value.content);
}

std::optional<TimeValue> as_time(const Value &value) {
    return std::visit(Overloaded{
                          [](const StyledText &text) { return parse_time(text.chars()); },
                          [](const Decimal &number) { return time_from_seconds(number); },
                          [](const TimeValue &time) -> std::optional<TimeValue> { return time; },
                          [](const TimeStampValue &stamp) -> std::optional<TimeValue> {
                              return TimeValue{stamp.secs, stamp.micros};
                          },
                          [](const auto &) -> std::optional<TimeValue> { return std::nullopt; },
                      },
                      value.content);
}

std::optional<TimeStampValue> as_timestamp(const Value &value) {
    return std::visit(Overloaded{
                          [](const StyledText &text) { return parse_timestamp(text.chars()); },
                          [](const Decimal &number) { return timestamp_from_seconds(number); },
                          [](const DateValue &date) -> std::optional<TimeStampValue> {
                              return TimeStampValue{date.days, 0, 0};
                          },
                          [](const TimeStampValue &stamp) -> std::optional<TimeStampValue> { return stamp; },
                          [](const auto &) -> std::optional<TimeStampValue> { return std::nullopt; },
                      },
                      value.content);
}

Streams as_streams(const Value &value) {
    if (const auto *container = std::get_if<ContainerValue>(&value.content))
        return container->streams;
    return {};
}

std::optional<Value> convert(const Value &source, std::int32_t type) {
    if (type < FMX_DT_TEXT || type > FMX_DT_BOOLEAN)
        return std::nullopt;
    if (is_empty(source))
        return Value{type, std::monostate{}};
    switch (type) {
    case FMX_DT_TEXT:
        return Value{type, as_text(source)};
    case FMX_DT_NUMBER:
    case FMX_DT_BOOLEAN:
        if (const auto number = as_number(source))
            return Value{type, *number};
        return Value{type, std::monostate{}};
    case FMX_DT_DATE:
        return typed(source, type, as_date(source));
    case FMX_DT_TIME:
        return typed(source, type, as_time(source));
    case FMX_DT_TIMESTAMP:
        return typed(source, type, as_timestamp(source));
    case FMX_DT_BINARY:
        if (const auto *container = std::get_if<ContainerValue>(&source.content))
            return Value{type, *container};
        return Value{type, ContainerValue{{}, plain_text(source)}};
    }
    return std::nullopt;
}

} // namespace fmhost
