// FixPt numbers, the decimal arithmetic behind them, and QuadChar codes.
#include "host_test.h"
#include "lib/values.h"
#include "lib/decimal.h"

#include <cmath>
#include <limits>
#include <vector>

using namespace host_test;

namespace {

using HostNumbers = HostTest;

TEST_F(HostNumbers, AsLongTruncatesAndSaturates) {
    struct Case {
        std::u16string text;
        int32_t asLong;
        double asFloat;
    };
    const std::vector<Case> cases = {
        {u"3000000000", std::numeric_limits<int32_t>::max(), 3.0e9},
        {u"-3000000000", std::numeric_limits<int32_t>::min(), -3.0e9},
        {u"2147483647", 2147483647, 2147483647.0},
        {u"-7.9", -7, -7.9},
        {u"0.999", 0, 0.999},
        {u"1.2345678E7", 12345678, 12345678.0},
        {u"123456789012345678901234567890", std::numeric_limits<int32_t>::max(), 1.2345678901234568e29},
    };
    for (const Case &c : cases) {
        Own<FMX_Data> data = new_data();
        Err err;
        // Numbers come from the calculation engine in strict decimal text.
        ASSERT_TRUE(fmhost::set_number_text(*data, narrow(c.text))) << narrow(c.text);
        const FMX_FixPt *number = FM_Data_GetAsNumber(data.get(), &err);
        EXPECT_EQ(FM_FixPt_AsLong(number, &err), c.asLong) << narrow(c.text);
        EXPECT_EQ(FM_FixPt_AsFloat(number, &err), c.asFloat) << narrow(c.text);
        EXPECT_TRUE(err.ok());
    }
}

TEST_F(HostNumbers, DoublesRoundTripAsTheirShortestDecimal) {
    for (const auto &[value, text] : std::vector<std::pair<double, std::string>>{
             {0.1, "0.1"}, {12345678.9, "12345678.9"}, {-3.25, "-3.25"}, {1e-16, "0.0000000000000001"},
             {3e9, "3000000000"}, {1e-17, "0"}, {2.0 / 3.0, "0.6666666666666666"}}) {
        Own<FMX_FixPt> number = new_fixpt();
        Err err;
        FM_FixPt_AssignDouble(number.get(), value, &err);
        EXPECT_EQ(FM_FixPt_AsFloat(number.get(), &err), std::stod(text)) << text;
        Own<FMX_Data> data = new_data();
        FM_Data_SetAsNumber(data.get(), number.get(), FMX_DT_NUMBER, &err);
        EXPECT_EQ(text_of(data.get()), text);
        EXPECT_TRUE(err.ok());
    }
}

TEST_F(HostNumbers, PrecisionRoundsAssignedDoubles) {
    Err err;
    Own<FMX_FixPt> number(FM_FixPt_Constructor1(7, 2, &err));
    EXPECT_EQ(FM_FixPt_AsLong(number.get(), &err), 7);
    FM_FixPt_AssignDouble(number.get(), 2.0 / 3.0, &err);
    EXPECT_EQ(FM_FixPt_AsFloat(number.get(), &err), 0.67);
    FM_FixPt_AssignDouble(number.get(), -0.125, &err);
    EXPECT_EQ(FM_FixPt_AsFloat(number.get(), &err), -0.13) << "half away from zero";
    FM_FixPt_AssignDouble(number.get(), std::nan(""), &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE);
    EXPECT_EQ(FM_FixPt_AsFloat(number.get(), &err), -0.13);
    FM_FixPt_AssignInt(number.get(), -5, &err);
    EXPECT_EQ(FM_FixPt_AsLong(number.get(), &err), -5);
    EXPECT_TRUE(err.ok());

    for (const int32_t precision : {-1, 401}) {
        Err e;
        EXPECT_EQ(FM_FixPt_Constructor1(0, precision, &e), nullptr);
        EXPECT_EQ(e.code, FMX_ERR_FAILURE) << precision;
    }
}

TEST(Decimal, ParsesAndPrintsExactly) {
    struct Case {
        const char *text;
        const char *printed; // nullptr: refused
    };
    const std::vector<Case> cases = {
        {"123456789012345.678901234567890", "123456789012345.67890123456789"},
        {"-0.000", "0"},
        {"+007.50", "7.5"},
        {"1.2345678E7", "12345678"},
        {"1e-3", "0.001"},
        {" 42 ", "42"},
        {"5.", "5"},
        {"", nullptr},
        {"-", nullptr},
        {"1.2.3", nullptr},
        {"1e", nullptr},
        {"12abc", nullptr},
        {"1e99999", nullptr},
    };
    for (const Case &c : cases) {
        const auto parsed = fmhost::Decimal::parse(std::string_view(c.text));
        if (!c.printed) {
            EXPECT_FALSE(parsed) << c.text;
            continue;
        }
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(parsed->to_string(), c.printed) << c.text;
    }
}

TEST(Decimal, ComparesAndFloors) {
    auto d = [](const char *text) { return *fmhost::Decimal::parse(std::string_view(text)); };
    EXPECT_LT(d("-2").compare(d("-1.5")), 0);
    EXPECT_GT(d("1.23").compare(d("1.2")), 0);
    EXPECT_EQ(d("10").compare(d("1e1")), 0);
    EXPECT_LT(d("0").compare(d("0.001")), 0);
    EXPECT_EQ(d("-1.5").floor_scaled(0), -2);
    EXPECT_EQ(d("-0.5").floor_scaled(0), -1);
    EXPECT_EQ(d("1.2345678").floor_scaled(6), 1234567);
    EXPECT_EQ(d("1e30").floor_scaled(0), std::nullopt);
    EXPECT_EQ(fmhost::Decimal::from_seconds(-1, 500000).to_string(), "-0.5");
    EXPECT_EQ(fmhost::Decimal::from_int64(std::numeric_limits<int64_t>::min()).to_int64(),
              std::numeric_limits<int64_t>::min());
}

TEST_F(HostNumbers, QuadCharsHoldTheFirstCharacterHighest) {
    Own<FMX_QuadChar> sound = new_quad("snd ");
    Err err;
    EXPECT_EQ(FM_QuadChar_GetMacType(sound.get(), &err), 0x736E6420u);
    Own<FMX_QuadChar> high = new_quad("\xFF\x01\x02\x03");
    EXPECT_EQ(FM_QuadChar_GetMacType(high.get(), &err), 0xFF010203u);
    Own<FMX_QuadChar> fresh(FM_QuadChar_Constructor1(&err));
    EXPECT_EQ(FM_QuadChar_GetMacType(fresh.get(), &err), 0u);
    FM_QuadChar_SetMacType(fresh.get(), 0x464E414Du, &err);
    EXPECT_EQ(FM_QuadChar_GetMacType(fresh.get(), &err), 0x464E414Du);
    EXPECT_TRUE(err.ok());
}

} // namespace
