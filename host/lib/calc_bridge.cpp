#include "lib/calc_bridge.h"

#include "calc/utf8.h"

#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

namespace fmhost {

namespace {

constexpr std::uint32_t quad(const char (&code)[5]) {
    return std::uint32_t{static_cast<unsigned char>(code[0])} << 24 |
           std::uint32_t{static_cast<unsigned char>(code[1])} << 16 |
           std::uint32_t{static_cast<unsigned char>(code[2])} << 8 | std::uint32_t{static_cast<unsigned char>(code[3])};
}

constexpr std::uint32_t kBestStreams[] = {quad("TIFF"), quad("PDF "), quad("PICT"), quad("GIFf"),
                                          quad("PNGf"), quad("FILE"), quad("JPEG")};
constexpr std::uint32_t kFileName = quad("FNAM");
constexpr std::uint32_t kFork = quad("FORK");

const Stream *best_stream(const Streams &streams) {
    for (const std::uint32_t type : kBestStreams)
        for (const Stream &stream : streams)
            if (stream.type == type)
                return &stream;
    for (const Stream &stream : streams)
        if (stream.type != kFileName && stream.type != kFork)
            return &stream;
    return nullptr;
}

bool ends_with_ci(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size())
        return false;
    text.remove_prefix(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

std::uint32_t stream_type_for(std::string_view name) {
    if (ends_with_ci(name, "jpg") || ends_with_ci(name, "jpeg"))
        return quad("JPEG");
    if (ends_with_ci(name, "gif"))
        return quad("GIFf");
    if (ends_with_ci(name, "png"))
        return quad("PNGf");
    return quad("FILE");
}

Value empty_of(std::int32_t type) {
    Value value;
    value.type = type;
    return value;
}

// Owners of the host objects made for one call.
struct DataDeleter {
    void operator()(FMX_Data *data) const noexcept {
        FMX_Error err{};
        FM_Data_Delete(data, &err);
    }
};
struct EnvDeleter {
    void operator()(FMX_ExprEnv *env) const noexcept {
        FMX_Error err{};
        FM_ExprEnv_Delete(env, &err);
    }
};
struct VectDeleter {
    void operator()(FMX_DataVect *vect) const noexcept {
        try {
            datavect_delete(vect);
        } catch (...) {
        }
    }
};
using DataPtr = std::unique_ptr<FMX_Data, DataDeleter>;
using EnvPtr = std::unique_ptr<FMX_ExprEnv, EnvDeleter>;
using VectPtr = std::unique_ptr<FMX_DataVect, VectDeleter>;

DataPtr new_data() {
    FMX_Error err{};
    DataPtr data(FM_Data_Constructor1(&err));
    if (!data)
        throw std::bad_alloc();
    return data;
}

// The registered function behind an id made by find_registered.
const RegisteredFunction *registered_by_id(std::int64_t id) {
    for (const RegisteredFunction &function : registered_functions()) {
        const std::int64_t key = std::int64_t{function.pluginId} << 16 | static_cast<std::uint16_t>(function.id);
        if (key == id)
            return &function;
    }
    return nullptr;
}

} // namespace

calc::Value calc_value(const Value &value) {
    using calc::Type;
    switch (value.type) {
    case FMX_DT_NUMBER:
    case FMX_DT_BOOLEAN: {
        const auto number = as_number(value);
        return number ? calc::Value::number(*number) : calc::Value::empty(Type::Number);
    }
    case FMX_DT_DATE: {
        const auto date = as_date(value);
        return date ? calc::Value::date(date->days) : calc::Value::empty(Type::Date);
    }
    case FMX_DT_TIME: {
        const auto time = as_time(value);
        return time ? calc::Value::time(seconds_of(*time)) : calc::Value::empty(Type::Time);
    }
    case FMX_DT_TIMESTAMP: {
        const auto stamp = as_timestamp(value);
        return stamp ? calc::Value::timestamp(seconds_of(*stamp)) : calc::Value::empty(Type::Timestamp);
    }
    case FMX_DT_BINARY: {
        const auto *container = std::get_if<ContainerValue>(&value.content);
        if (!container || is_empty(value))
            return calc::Value::empty(Type::Container);
        const std::string name = calc::utf8::fromUtf16(as_text(value).chars());
        if (!container->reference.empty())
            return calc::Value::container(name);
        const Stream *best = best_stream(container->streams);
        return calc::Value::container(name, best ? best->bytes : std::vector<std::uint8_t>{});
    }
    default:
        return calc::Value::text(calc::utf8::fromUtf16(as_text(value).chars()));
    }
}

Value host_value(const calc::Value &value) {
    using calc::Type;
    switch (value.type()) {
    case Type::Text: {
        Value result;
        result.type = FMX_DT_TEXT;
        result.content = StyledText(calc::utf8::toUtf16(value.toText()));
        return result;
    }
    case Type::Number:
        if (value.isEmpty())
            return empty_of(FMX_DT_NUMBER);
        return Value{FMX_DT_NUMBER, value.raw()};
    case Type::Date: {
        const std::int64_t day = value.day();
        if (value.isEmpty() || day < std::numeric_limits<std::int32_t>::min() ||
            day > std::numeric_limits<std::int32_t>::max())
            return empty_of(FMX_DT_DATE);
        return Value{FMX_DT_DATE, DateValue{static_cast<std::int32_t>(day)}};
    }
    case Type::Time: {
        const auto time = value.isEmpty() ? std::nullopt : time_from_seconds(value.raw());
        return time ? Value{FMX_DT_TIME, *time} : empty_of(FMX_DT_TIME);
    }
    case Type::Timestamp: {
        const auto stamp = value.isEmpty() ? std::nullopt : timestamp_from_seconds(value.raw());
        return stamp ? Value{FMX_DT_TIMESTAMP, *stamp} : empty_of(FMX_DT_TIMESTAMP);
    }
    case Type::Container: {
        if (value.isEmpty())
            return empty_of(FMX_DT_BINARY);
        ContainerValue container;
        const std::string name = value.toText();
        if (value.bytes().empty()) {
            container.reference = calc::utf8::toUtf16(name);
        } else {
            container.streams.push_back(Stream{stream_type_for(name), value.bytes()});
            container.streams.push_back(file_name_stream(calc::utf8::toUtf16(name)));
        }
        return Value{FMX_DT_BINARY, std::move(container)};
    }
    }
    return Value{};
}

std::optional<calc::ExternalFunction> find_registered(std::string_view name) {
    const RegisteredFunction *function = find_function(calc::utf8::toUtf16(name));
    if (!function)
        return std::nullopt;
    calc::ExternalFunction external;
    external.name = calc::utf8::fromUtf16(function->name);
    external.minArgs = function->minArgs;
    external.maxArgs = function->maxArgs;
    external.id = std::int64_t{function->pluginId} << 16 | static_cast<std::uint16_t>(function->id);
    return external;
}

calc::Result call_registered(const calc::ExternalFunction &function, const std::vector<calc::Value> &args,
                             void *envContext) {
    const RegisteredFunction *registered = registered_by_id(function.id);
    if (!registered)
        return calc::CalcError(calc::err::FunctionNotFound,
                               "The function \"" + function.name + "\" is no longer registered");
    const auto count = static_cast<long>(args.size());
    if (count < registered->minArgs)
        return calc::CalcError(calc::err::TooFewParameters, "Too few parameters in the function " + function.name);
    if (registered->maxArgs >= 0 && count > registered->maxArgs)
        return calc::CalcError(calc::err::TooManyParameters, "Too many parameters in the function " + function.name);
    try {
        FMX_Error err{};
        EnvPtr env(FM_ExprEnv_Constructor1(0, &err));
        if (!env)
            throw std::bad_alloc();
        set_env_context(env.get(), envContext);
        VectPtr vect(datavect_new());
        for (const calc::Value &arg : args) {
            DataPtr data = new_data();
            set_value(*data, host_value(arg));
            datavect_push(vect.get(), data.get());
        }
        DataPtr result = new_data();
        // Copied before the call: the plug-in may register again meanwhile.
        const FMX_FunctionCallback callback = registered->callback;
        const std::int16_t id = registered->id;
        const std::int16_t code = callback(id, env.get(), vect.get(), result.get());
        if (code != 0)
            return calc::CalcError(code, "The function " + function.name + " failed with error " + std::to_string(code));
        return calc_value(value_of(*result));
    } catch (const std::bad_alloc &) {
        return calc::CalcError(calc::err::Generic, "Out of memory while calling " + function.name);
    } catch (const std::exception &e) {
        return calc::CalcError(calc::err::Generic, "Cannot call " + function.name + ": " + e.what());
    }
}

} // namespace fmhost
