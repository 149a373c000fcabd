// Host values: what a Data holds, how it reads as each kind, and helpers for
// the calculation engine and the host program to build and read Data. The
// text forms are calendar.h's and Decimal's, the same the calculation engine
// writes and reads.
//
// A value has a native type (FMX_DT_*) and a content matching it, or no
// content at all (an empty value of that type). Reading a value as another
// kind converts it the way the host does:
//   number    -> text: plain decimal ("12345678", "0.1", "-3.25")
//   date      -> text "M/D/YYYY", number: its day number
//   time      -> text "H:MM:SS", number: its seconds
//   timestamp -> text "M/D/YYYY H:MM:SS", number: seconds since 1/1/0001
//                0:00:00, the inverse of number -> timestamp
//   container -> text: its reference text, else the file name stored in its
//                FNAM stream ("?" when there is none or it cannot be read)
//   text      -> number: the number in it (see Decimal::extract); date, time
//                and timestamp: parsed from the forms above
// A date read as a time, or a time as a date or timestamp, is empty.
#ifndef FMHOST_LIB_VALUES_H
#define FMHOST_LIB_VALUES_H

#include "fmhost/plugin_interface.h"
#include "lib/calendar.h"
#include "lib/decimal.h"
#include "lib/styled_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace fmhost {

// One typed stream of a container.
struct Stream {
    std::uint32_t type = 0; // four characters, first most significant
    std::vector<std::uint8_t> bytes;
    bool operator==(const Stream &) const = default;
};
using Streams = std::vector<Stream>;

struct ContainerValue {
    Streams streams;
    std::u16string reference; // the text of a container that refers to a file
    bool operator==(const ContainerValue &) const = default;
};

struct Value {
    std::int32_t type = FMX_DT_INVALID;
    std::variant<std::monostate, StyledText, Decimal, DateValue, TimeValue, TimeStampValue, ContainerValue> content;
};

bool is_empty(const Value &value);
StyledText as_text(const Value &value);
std::optional<Decimal> as_number(const Value &value);
std::optional<DateValue> as_date(const Value &value);
std::optional<TimeValue> as_time(const Value &value);
std::optional<TimeStampValue> as_timestamp(const Value &value);
// The streams of a container; none for other values.
Streams as_streams(const Value &value);

// The value with native type `type` (1..7); nothing when `type` is not a
// native type or a non-empty source cannot be read as a date, time or
// timestamp that the type needs.
std::optional<Value> convert(const Value &source, std::int32_t type);

// The file name stored in a container's FNAM stream, if it can be read.
std::optional<std::u16string> container_file_name(const Streams &streams);
// An FNAM stream that stores `name` with the protocol "file" and no folder,
// as container_file_name reads it back.
Stream file_name_stream(std::u16string_view name);

// ---- Data helpers for the host program and the calculation engine ---------
// They take live Data objects (made by FM_Data_Constructor1 or handed out by
// the host) and trust them.

const Value &value_of(const FMX_Data &data);
void set_value(FMX_Data &data, Value value);

void set_text(FMX_Data &data, std::u16string_view text);
// The value becomes the number written in decimal text (strict form, see
// Decimal::parse); false, leaving it unchanged, when the text is no number.
bool set_number_text(FMX_Data &data, std::string_view decimal);
void set_number(FMX_Data &data, const Decimal &number);
void set_date(FMX_Data &data, DateValue date);
void set_time(FMX_Data &data, TimeValue time);
void set_timestamp(FMX_Data &data, TimeStampValue timestamp);
void set_container(FMX_Data &data, ContainerValue container);

std::u16string text_of(const FMX_Data &data);
// The number as plain decimal text; nothing when the value holds no number.
std::optional<std::string> number_text_of(const FMX_Data &data);

} // namespace fmhost

#endif
