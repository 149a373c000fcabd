// FixPt numbers, the decimal arithmetic behind them, and QuadChar codes.
#include "host_test.h"
#include "lib/values.h"
#include "lib/decimal.h"
#include "lib/decimal_math.h"

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

fmhost::Decimal dec(std::string_view text) { return *fmhost::Decimal::parse(text); }

TEST(Decimal, ArithmeticIsExactAndDivisionRounds) {
    using R = fmhost::Decimal::Rounding;
    EXPECT_EQ(dec("99999999999999999999.99").plus(dec("0.01"))->to_string(), "100000000000000000000");
    EXPECT_EQ(dec("1e-30").minus(dec("1e30"))->to_string(),
              "-999999999999999999999999999999.999999999999999999999999999999");
    EXPECT_EQ(dec("-123456789012345678901").times(dec("0.001"))->to_string(), "-123456789012345678.901");
    EXPECT_EQ(dec("1").divided(dec("3"), 16)->to_string(), "0.3333333333333333");
    EXPECT_EQ(dec("-2").divided(dec("3"), 16)->to_string(), "-0.6666666666666667");
    EXPECT_EQ(dec("7").divided(dec("-2"), 0, R::Floor)->to_string(), "-4");
    EXPECT_EQ(dec("7").divided(dec("-2"), 0, R::Ceiling)->to_string(), "-3");
    EXPECT_EQ(dec("1e-9999").divided(dec("1e9999"), 16)->to_string(), "0");
    EXPECT_FALSE(dec("1").divided(fmhost::Decimal(), 16));
    EXPECT_FALSE(dec("1e9999").times(dec("1e9999"))) << "beyond the range";
    EXPECT_EQ(dec("2").power(70, 1000)->to_string(), "1180591620717411303424");
    EXPECT_EQ(dec("0.5").power(3, 1000)->to_string(), "0.125");
    EXPECT_FALSE(dec("7").power(100000, 1000)) << "more digits than allowed";
    EXPECT_EQ(dec("-2.5").rounded(0).to_string(), "-3");
    EXPECT_EQ(dec("-2.5").rounded(0, R::TowardZero).to_string(), "-2");
    EXPECT_EQ(dec("-2.01").rounded(0, R::Floor).to_string(), "-3");
    EXPECT_EQ(dec("0.001").rounded(1, R::Ceiling).to_string(), "0.1");
    EXPECT_EQ(dec("1250").rounded(-2).to_string(), "1300");
    EXPECT_EQ(dec("1200").rounded(-2, R::Ceiling).to_string(), "1200");
    EXPECT_EQ(dec("-1201").rounded(-2, R::Floor).to_string(), "-1300");
}

TEST(DecimalMath, RoundsOnceAtTheLastDigitKept) {
    namespace math = fmhost::decimal_math;
    // Results that are exact halves must not drift below half in binary.
    EXPECT_EQ(math::sqrt(dec("6.25"), 0)->to_string(), "3");
    EXPECT_EQ(math::sqrt(dec("0.0001"), 16)->to_string(), "0.01");
    EXPECT_EQ(math::power(dec("1.5"), dec("3"), 2)->to_string(), "3.38");
    EXPECT_EQ(math::power(dec("2"), dec("-2"), 1)->to_string(), "0.3");
    EXPECT_EQ(math::power(dec("4"), dec("0.5"), 16)->to_string(), "2");
    EXPECT_EQ(math::log10(dec("0.00001"), 16)->to_string(), "-5");
    EXPECT_EQ(math::log2(dec("1024"), 30)->to_string(), "10");
    EXPECT_EQ(math::exp(dec("0"), 16)->to_string(), "1");
    EXPECT_EQ(math::sin(dec("1e100"), 10)->to_string(), "-0.3723761237") << "a large angle reduced exactly";
    EXPECT_EQ(math::pi(50).to_string(), "3.14159265358979323846264338327950288419716939937511");
    EXPECT_FALSE(math::ln(dec("-1"), 16));
    EXPECT_FALSE(math::power(dec("-8"), dec("0.5"), 16));
    EXPECT_FALSE(math::exp(dec("50000"), 16)) << "beyond the range";
    EXPECT_EQ(math::exp(dec("-50000"), 16)->to_string(), "0");
}

TEST_F(HostNumbers, FixPtArithmeticIsExact) {
    Err err;
    Own<FMX_FixPt> a = new_fixpt(), b = new_fixpt(), r = new_fixpt();
    FM_FixPt_AssignInt64(a.get(), std::numeric_limits<int64_t>::max(), &err);
    FM_FixPt_AssignInt64(b.get(), std::numeric_limits<int64_t>::max(), &err);
    FM_FixPt_Multiply(a.get(), b.get(), r.get(), &err);
    FM_FixPt_Add(r.get(), a.get(), r.get(), &err);
    Own<FMX_Data> data = new_data();
    FM_Data_SetAsNumber(data.get(), r.get(), FMX_DT_NUMBER, &err);
    EXPECT_EQ(text_of(data.get()), "85070591730234615856620279821087277056") << "(2^63-1)^2 + 2^63-1";
    EXPECT_EQ(FM_FixPt_AsLong64(r.get(), &err), std::numeric_limits<int64_t>::max()) << "saturated";
    FM_FixPt_Negate(a.get(), &err);
    FM_FixPt_Subtract(a.get(), b.get(), r.get(), &err);
    EXPECT_EQ(FM_FixPt_AsLong64(r.get(), &err), std::numeric_limits<int64_t>::min());
    EXPECT_TRUE(err.ok());

    // Divide keeps the result's precision.
    Own<FMX_FixPt> one = new_fixpt(1), three = new_fixpt(3), q(FM_FixPt_Constructor1(0, 20, &err));
    FM_FixPt_Divide(one.get(), three.get(), q.get(), &err);
    FM_Data_SetAsNumber(data.get(), q.get(), FMX_DT_NUMBER, &err);
    EXPECT_EQ(text_of(data.get()), "0.33333333333333333333");
    EXPECT_EQ(FM_FixPt_GetPrecision(q.get(), &err), 20);
    EXPECT_TRUE(err.ok());

    // Division by zero and a precision out of range fail and change nothing.
    Own<FMX_FixPt> zero = new_fixpt(0);
    FM_FixPt_Divide(one.get(), zero.get(), q.get(), &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE);
    FM_FixPt_SetPrecision(q.get(), 401, &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE);
    EXPECT_EQ(FM_FixPt_GetPrecision(q.get(), &err), 20);
    FM_Data_SetAsNumber(data.get(), q.get(), FMX_DT_NUMBER, &err);
    EXPECT_EQ(text_of(data.get()), "0.33333333333333333333");
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
