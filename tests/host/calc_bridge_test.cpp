// Between the calculation engine and the plug-in interface: values both
// ways, stored file names, and calls of registered functions.
#include "host_test.h"
#include "calc/utf8.h"
#include "lib/calc_bridge.h"

#include <vector>

using namespace host_test;

namespace {

class CalcBridge : public HostTest {
protected:
    void TearDown() override {
        fmhost::clear_registered_functions();
        HostTest::TearDown();
    }
};

// A calculation value put into a host Data and read back.
calc::Value round_trip(const calc::Value &value, std::string &hostText) {
    Own<FMX_Data> data = new_data();
    fmhost::set_value(*data, fmhost::host_value(value));
    hostText = calc::utf8::fromUtf16(fmhost::text_of(*data));
    return fmhost::calc_value(fmhost::value_of(*data));
}

calc::Decimal dec(const char *text) { return *calc::Decimal::parse(std::string_view(text)); }

std::int64_t day_of(int year, int month, int day) { return *fmhost::day_number(year, month, day); }

TEST_F(CalcBridge, ValuesKeepTypeAndTextFormBothWays) {
    const std::vector<calc::Value> values = {
        calc::Value::text("plain"),
        calc::Value::text(""),
        calc::Value::number(dec("0.1")),
        calc::Value::number(dec("-3.25")),
        calc::Value::number(dec("12345678901234567")),
        calc::Value::number(dec("0.3333333333333333")),
        calc::Value::number(dec("-12345678901234567890.1234567890")),
        calc::Value::number(dec("18446744073709551616")),
        calc::Value::date(day_of(2008, 2, 29)),
        calc::Value::date(1),
        calc::Value::time(calc::Decimal::from_int64(13 * 3600 + 45 * 60 + 30)),
        calc::Value::time(dec("3600.5")),
        calc::Value::time(calc::Decimal::from_int64(-90)),
        calc::Value::timestamp(calc::Decimal::from_int64((day_of(2008, 2, 29) - 1) * 86400 + 49500)),
        calc::Value::container("image:pics/a.jpg"),
        calc::Value::empty(calc::Type::Number),
        calc::Value::empty(calc::Type::Date),
        calc::Value::empty(calc::Type::Time),
        calc::Value::empty(calc::Type::Timestamp),
        calc::Value::empty(calc::Type::Container),
    };
    for (const calc::Value &value : values) {
        std::string hostText;
        const calc::Value back = round_trip(value, hostText);
        SCOPED_TRACE(value.toText());
        EXPECT_EQ(back.type(), value.type());
        EXPECT_EQ(back.isEmpty(), value.isEmpty());
        EXPECT_EQ(back.toText(), value.toText());
        EXPECT_EQ(hostText, value.toText()) << "the host and the engine write the same text form";
    }
}

// The engine and the host library read one text the same way: the engine's
// GetAsDate and friends give what a Data set from the text shows, and both
// refuse the same texts.
TEST_F(CalcBridge, EngineAndHostReadTheSameTexts) {
    struct Case {
        const char *text;
        int32_t type;
        const char *shown; // nullptr: refused by both
    };
    const std::vector<Case> cases = {
        {"2/29/2008", FMX_DT_DATE, "2/29/2008"},
        {" 2008-02-29 ", FMX_DT_DATE, "2/29/2008"},
        {"2.29.2008", FMX_DT_DATE, "2/29/2008"},
        {"2/29/2008 13:05:09", FMX_DT_DATE, "2/29/2008"},
        {"12/31/4000", FMX_DT_DATE, "12/31/4000"},
        {"2/30/2008", FMX_DT_DATE, nullptr},
        {"1/1/4001", FMX_DT_DATE, nullptr},
        {"2/29-2008", FMX_DT_DATE, nullptr},
        {"13:05", FMX_DT_TIME, "13:05:00"},
        {"1:5:7", FMX_DT_TIME, "1:05:07"},
        {"1:05 PM", FMX_DT_TIME, "13:05:00"},
        {"12:30 a.m.", FMX_DT_TIME, "0:30:00"},
        {"25:30", FMX_DT_TIME, "25:30:00"},
        {"-0:00:01.5", FMX_DT_TIME, "-0:00:01.5"},
        {"2/29/2008 13:05:09", FMX_DT_TIME, "13:05:09"},
        {"12:60", FMX_DT_TIME, nullptr},
        {"13:05 PM", FMX_DT_TIME, nullptr},
        {"2/29/2008 1:02:03 PM", FMX_DT_TIMESTAMP, "2/29/2008 13:02:03"},
        {"2/29/2008", FMX_DT_TIMESTAMP, "2/29/2008 0:00:00"},
        {"2/29/2008 24:00:00", FMX_DT_TIMESTAMP, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " as type " + std::to_string(c.type));
        const calc::Value text = calc::Value::text(c.text);
        const calc::Value engine = c.type == FMX_DT_DATE   ? text.asDate()
                                   : c.type == FMX_DT_TIME ? text.asTime()
                                                           : text.asTimestamp();
        Own<FMX_Data> data = new_data();
        Err err;
        const bool hostRead = set_text(data.get(), calc::utf8::toUtf16(c.text), c.type, &err) != 0;
        if (!c.shown) {
            EXPECT_EQ(engine.toText(), "?");
            EXPECT_FALSE(hostRead);
            continue;
        }
        EXPECT_EQ(engine.toText(), c.shown);
        ASSERT_TRUE(hostRead);
        EXPECT_EQ(text_of(data.get()), c.shown);
    }
}

TEST_F(CalcBridge, TimesNoHostValueCanHoldBecomeEmpty) {
    for (const calc::Value &value : {calc::Value::time(dec("1e30")), calc::Value::timestamp(dec("-1e30"))}) {
        const fmhost::Value host = fmhost::host_value(value);
        EXPECT_EQ(host.type, value.type() == calc::Type::Time ? FMX_DT_TIME : FMX_DT_TIMESTAMP);
        EXPECT_TRUE(fmhost::is_empty(host));
    }
}

TEST_F(CalcBridge, TextKeepsCharactersBeyondAscii) {
    std::string hostText;
    const calc::Value value = calc::Value::text("Zürich\r日本 😀");
    EXPECT_EQ(round_trip(value, hostText).toText(), value.toText());
}

TEST_F(CalcBridge, StoredFilesKeepNameAndBytes) {
    const std::vector<std::uint8_t> bytes = {0x89, 'P', 'N', 'G', 0, 1, 2, 0xFF};
    for (const std::string name : {"scan.png", "notes.txt", "Übersicht.pdf", "日本語.JPG", "tab\tname"}) {
        SCOPED_TRACE(name);
        std::string hostText;
        const calc::Value back = round_trip(calc::Value::container(name, bytes), hostText);
        EXPECT_EQ(hostText, name) << "the host reads the name from the FNAM stream";
        EXPECT_EQ(back.toText(), name);
        EXPECT_EQ(back.bytes(), bytes);
    }
    const fmhost::Value host = fmhost::host_value(calc::Value::container("scan.png", bytes));
    const auto streams = fmhost::as_streams(host);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].type, 0x504E4766u) << "PNGf";
    EXPECT_EQ(streams[1].type, 0x464E414Du) << "FNAM";
}

TEST_F(CalcBridge, ContainerReadsTheBestStream) {
    fmhost::ContainerValue container;
    container.streams.push_back({0x534E4420u /* "SND " */, {9}});
    container.streams.push_back({0x4A504547u /* JPEG */, {1, 2}});
    container.streams.push_back({0x46494C45u /* FILE */, {3, 4}});
    container.streams.push_back(fmhost::file_name_stream(u"photo.jpg"));
    const calc::Value value = fmhost::calc_value(fmhost::Value{FMX_DT_BINARY, container});
    EXPECT_EQ(value.toText(), "photo.jpg");
    EXPECT_EQ(value.bytes(), (std::vector<std::uint8_t>{3, 4})) << "FILE comes before JPEG";
}

// What the registered function below saw and answers.
struct Call {
    int16_t id = 0;
    const FMX_ExprEnv *env = nullptr;
    void *context = nullptr;
    std::vector<std::string> args;
    std::vector<int32_t> types;
    int16_t answer = 0;
};
Call lastCall;

int16_t FMX_CALL echo_function(int16_t id, const FMX_ExprEnv *env, const FMX_DataVect *args, FMX_Data *result) {
    Err err;
    lastCall.id = id;
    lastCall.env = env;
    lastCall.context = fmhost::env_context(env);
    lastCall.args.clear();
    lastCall.types.clear();
    const uint32_t count = FM_DataVect_Size(args, &err);
    std::u16string joined;
    for (uint32_t i = 0; i < count; ++i) {
        const FMX_Data *arg = FM_DataVect_At(args, i, &err);
        lastCall.args.push_back(text_of(arg));
        lastCall.types.push_back(FM_Data_GetNativeType(arg, &err));
        joined += chars_of(FM_Data_GetAsText(arg, &err)) + u"|";
    }
    set_text(result, joined, FMX_DT_TEXT, &err);
    return lastCall.answer;
}

void register_echo(int16_t minArgs, int16_t maxArgs) {
    Err err;
    Own<FMX_Text> name = new_text(u"EchoArgs");
    Own<FMX_Text> prototype = new_text(u"EchoArgs ( x ; ... )");
    ASSERT_EQ(FM_ExprEnv_RegisterExternalFunction(new_quad("Test").get(), 7, name.get(), prototype.get(), minArgs,
                                                  maxArgs, 0, &echo_function, &err),
              0);
}

TEST_F(CalcBridge, RegisteredFunctionGetsItsArgumentsInAnEnvironment) {
    register_echo(1, 3);
    const auto function = fmhost::find_registered("echoARGS");
    ASSERT_TRUE(function);
    EXPECT_EQ(function->name, "EchoArgs");
    EXPECT_EQ(function->minArgs, 1);
    EXPECT_EQ(function->maxArgs, 3);
    EXPECT_FALSE(fmhost::find_registered("Echo"));

    int context = 0;
    lastCall = Call{};
    const calc::Result result = fmhost::call_registered(
        *function, {calc::Value::number(5), calc::Value::text("x"), calc::Value::date(day_of(2008, 2, 29))},
        &context);
    ASSERT_TRUE(result) << result.error().message;
    EXPECT_EQ(result.value().type(), calc::Type::Text);
    EXPECT_EQ(result.value().toText(), "5|x|2/29/2008|");
    EXPECT_EQ(lastCall.id, 7);
    EXPECT_EQ(lastCall.context, &context) << "the environment carries the host's context";
    EXPECT_EQ(lastCall.types, (std::vector<int32_t>{FMX_DT_NUMBER, FMX_DT_TEXT, FMX_DT_DATE}));
    // The HostTest fixture checks that the environment, the vector and the
    // values made for the call are gone.
}

TEST_F(CalcBridge, RegisteredFunctionErrorsAndLimits) {
    register_echo(1, 2);
    const auto function = fmhost::find_registered("EchoArgs");
    ASSERT_TRUE(function);
    lastCall = Call{};
    lastCall.answer = 1552;
    calc::Result result = fmhost::call_registered(*function, {calc::Value::number(1)}, nullptr);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().code, 1552) << "the callback's code is the calculation's error";
    lastCall.answer = 0;

    result = fmhost::call_registered(*function, {}, nullptr);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().code, calc::err::TooFewParameters);
    result = fmhost::call_registered(*function, std::vector<calc::Value>(3, calc::Value::number(1)), nullptr);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().code, calc::err::TooManyParameters);

    fmhost::clear_registered_functions();
    result = fmhost::call_registered(*function, {calc::Value::number(1)}, nullptr);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().code, calc::err::FunctionNotFound);
}

} // namespace
