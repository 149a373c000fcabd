// FM_Data_: host values, their accessor views and setters.
//
// A setter converts its source to the requested native type (see values.h)
// and replaces the value only when that worked: text that is no date, time
// or timestamp, a number outside the day range, or a type outside 1..7 fail
// with code 2 and leave the value as it was. SetBinaryData always makes a
// container (native type 6), whatever its flag says.
#include "lib/guard.h"
#include "lib/objects.h"

#include <algorithm>

using namespace fmhost;
using namespace fmhost::detail;

namespace {

void store(FMX_Data &data, const Value &source, std::int32_t type) {
    auto converted = convert(source, type);
    if (!converted)
        fail();
    data.value = std::move(*converted);
}

} // namespace

namespace fmhost {

namespace detail {
const FMX_Locale *default_locale() {
    static const FMX_Locale locale{"en_US"};
    return &locale;
}
} // namespace detail

const Value &value_of(const FMX_Data &data) { return data.value; }
void set_value(FMX_Data &data, Value value) { data.value = std::move(value); }
void set_text(FMX_Data &data, std::u16string_view text) {
    data.value = Value{FMX_DT_TEXT, StyledText(std::u16string(text))};
}
bool set_number_text(FMX_Data &data, std::string_view decimal) {
    auto number = Decimal::parse(decimal);
    if (!number)
        return false;
    set_number(data, *number);
    return true;
}
void set_number(FMX_Data &data, const Decimal &number) { data.value = Value{FMX_DT_NUMBER, number}; }
void set_date(FMX_Data &data, DateValue date) { data.value = Value{FMX_DT_DATE, date}; }
void set_time(FMX_Data &data, TimeValue time) { data.value = Value{FMX_DT_TIME, time}; }
void set_timestamp(FMX_Data &data, TimeStampValue timestamp) { data.value = Value{FMX_DT_TIMESTAMP, timestamp}; }
void set_container(FMX_Data &data, ContainerValue container) {
    data.value = Value{FMX_DT_BINARY, std::move(container)};
}
std::u16string text_of(const FMX_Data &data) { return as_text(data.value).chars(); }
std::optional<std::string> number_text_of(const FMX_Data &data) {
    const auto number = as_number(data.value);
    if (!number)
        return std::nullopt;
    return number->to_string();
}

} // namespace fmhost

extern "C" {

FMX_Data *FM_Data_Constructor1(FMX_Error *err) {
    return guarded<FMX_Data *>(__func__, err, nullptr, [] { return construct<FMX_Data>(); });
}

void FM_Data_Delete(FMX_Data *data, FMX_Error *err) {
    guarded(__func__, err, [&] { destroy(data); });
}

int FM_Data_IsEmpty(const FMX_Data *data, FMX_Error *err) {
    return guarded(__func__, err, 0, [&] { return is_empty(readable(data).value) ? 1 : 0; });
}

int32_t FM_Data_GetNativeType(const FMX_Data *data, FMX_Error *err) {
    return guarded<int32_t>(__func__, err, FMX_DT_INVALID, [&] { return readable(data).value.type; });
}

const FMX_Text *FM_Data_GetAsText(const FMX_Data *data, FMX_Error *err) {
    return guarded<const FMX_Text *>(__func__, err, nullptr, [&] {
        const FMX_Data &d = readable(data);
        return d.textView.show(FMX_Text{as_text(d.value)});
    });
}

const FMX_FixPt *FM_Data_GetAsNumber(const FMX_Data *data, FMX_Error *err) {
    return guarded<const FMX_FixPt *>(__func__, err, nullptr, [&] {
        const FMX_Data &d = readable(data);
        const Decimal number = as_number(d.value).value_or(Decimal());
        const std::int32_t precision = std::max(FMX_FixPt::kDefaultPrecision, number.fraction_digits());
        return d.numberView.show(FMX_FixPt{number, precision});
    });
}

const FMX_DateTime *FM_Data_GetAsDate(const FMX_Data *data, FMX_Error *err) {
    return guarded<const FMX_DateTime *>(__func__, err, nullptr, [&] {
        const FMX_Data &d = readable(data);
        const DateValue date = as_date(d.value).value_or(DateValue{});
        return d.dateView.show(FMX_DateTime{date.days, 0, 0});
    });
}

const FMX_DateTime *FM_Data_GetAsTime(const FMX_Data *data, FMX_Error *err) {
    return guarded<const FMX_DateTime *>(__func__, err, nullptr, [&] {
        const FMX_Data &d = readable(data);
        const TimeValue time = as_time(d.value).value_or(TimeValue{});
        return d.timeView.show(FMX_DateTime{0, time.secs, time.micros});
    });
}

const FMX_DateTime *FM_Data_GetAsTimeStamp(const FMX_Data *data, FMX_Error *err) {
    return guarded<const FMX_DateTime *>(__func__, err, nullptr, [&] {
        const FMX_Data &d = readable(data);
        const TimeStampValue stamp = as_timestamp(d.value).value_or(TimeStampValue{});
        return d.timestampView.show(FMX_DateTime{stamp.days, stamp.secs, stamp.micros});
    });
}

const FMX_BinaryData *FM_Data_GetBinaryData(const FMX_Data *data, FMX_Error *err) {
    return guarded<const FMX_BinaryData *>(__func__, err, nullptr, [&] {
        const FMX_Data &d = readable(data);
        return d.binaryView.show(FMX_BinaryData{as_streams(d.value)});
    });
}

const FMX_Locale *FM_Data_GetLocale(const FMX_Data *data, FMX_Error *err) {
    return guarded<const FMX_Locale *>(__func__, err, nullptr, [&] {
        readable(data);
        return default_locale();
    });
}

int FM_Data_SetAsText(FMX_Data *data, const FMX_Text *text, const FMX_Locale *sourceLocale, int32_t nativeType,
                      FMX_Error *err) {
    return guarded(__func__, err, 0, [&] {
        FMX_Data &d = writable(data);
        const FMX_Text &t = readable(text);
        if (sourceLocale != default_locale())
            fail();
        store(d, Value{FMX_DT_TEXT, t.text}, nativeType);
        return 1;
    });
}

int FM_Data_SetAsNumber(FMX_Data *data, const FMX_FixPt *number, int32_t nativeType, FMX_Error *err) {
    return guarded(__func__, err, 0, [&] {
        FMX_Data &d = writable(data);
        store(d, Value{FMX_DT_NUMBER, readable(number).value}, nativeType);
        return 1;
    });
}

int FM_Data_SetAsDate(FMX_Data *data, const FMX_DateTime *date, int32_t nativeType, FMX_Error *err) {
    return guarded(__func__, err, 0, [&] {
        FMX_Data &d = writable(data);
        store(d, Value{FMX_DT_DATE, DateValue{readable(date).days}}, nativeType);
        return 1;
    });
}

int FM_Data_SetAsTime(FMX_Data *data, const FMX_DateTime *time, int32_t nativeType, FMX_Error *err) {
    return guarded(__func__, err, 0, [&] {
        FMX_Data &d = writable(data);
        const FMX_DateTime &t = readable(time);
        store(d, Value{FMX_DT_TIME, TimeValue{t.secs, t.micros}}, nativeType);
        return 1;
    });
}

int FM_Data_SetAsTimeStamp(FMX_Data *data, const FMX_DateTime *timestamp, int32_t nativeType, FMX_Error *err) {
    return guarded(__func__, err, 0, [&] {
        FMX_Data &d = writable(data);
        const FMX_DateTime &t = readable(timestamp);
        const auto stamp = make_timestamp(t.days, t.secs, t.micros);
        if (!stamp)
            fail();
        store(d, Value{FMX_DT_TIMESTAMP, *stamp}, nativeType);
        return 1;
    });
}

int FM_Data_SetBinaryData(FMX_Data *data, const FMX_BinaryData *binary, int /*forceBinaryNativeType*/,
                          FMX_Error *err) {
    return guarded(__func__, err, 0, [&] {
        FMX_Data &d = writable(data);
        store(d, Value{FMX_DT_BINARY, ContainerValue{readable(binary).streams, {}}}, FMX_DT_BINARY);
        return 1;
    });
}

} // extern "C"
