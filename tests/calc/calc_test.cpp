// Calculation engine: results of a table of calculations against a small
// solution, error codes and positions, and a fuzz run of malformed input.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "calc/evaluator.h"
#include "calc/simple_context.h"

namespace {

using calc::Type;
using calc::Value;

// The solution the calculations run against: file Demo, layout Invoices.
class CalcTest : public ::testing::Test {
public:
    CalcTest() : ctx("Demo", "file:/srv/Demo.fmp12") {
        ctx.addField("Invoices", "ID", Type::Number);
        ctx.addField("Invoices", "Customer", Type::Text);
        ctx.addField("Invoices", "Issued", Type::Date);
        ctx.addField("Invoices", "Due", Type::Timestamp);
        ctx.addField("Invoices", "Scan", Type::Container);
        ctx.addField("Invoices", "Amount", Type::Number);
        ctx.addField("Invoices", "First Name", Type::Text);
        ctx.addField("Invoices", "Note", Type::Text);
        ctx.addRecord("Invoices", {{"ID", Value::number(42)},
                                   {"Customer", Value::text("Ada")},
                                   {"Issued", Value::date(fmhost::parse_date("2/29/2008")->days)},
                                   {"Due", Value::timestamp(fmhost::seconds_of(*fmhost::parse_timestamp("3/31/2008 17:00:00")))},
                                   {"Scan", Value::container("scan.png")},
                                   {"Amount", Value::number(*calc::Decimal::parse("12.5"))},
                                   {"First Name", Value::text("Grace")}});
        ctx.addRecord("Invoices", {{"ID", Value::number(43)}, {"Customer", Value::text("Bob")}});
        ctx.addField("Lines", "Qty", Type::Number);
        ctx.addRecord("Lines", {{"Qty", Value::number(3)}});
        ctx.setGet(calc::GetName::ScriptParameter, Value::text("param"));
        ctx.addExternal("jdbcEcho", 1, -1, [](const std::vector<Value>& args) -> calc::Result {
            std::string out;
            for (const auto& a : args) out += (out.empty() ? "" : "|") + a.toText();
            return Value::text(out);
        });
        ctx.addExternal("jdbcTwo", 2, 2, [](const std::vector<Value>&) -> calc::Result { return Value::number(2); });
        ctx.addExternal("jdbcFail", 0, 0,
                        [](const std::vector<Value>&) -> calc::Result { return calc::CalcError(956, ""); });
    }

    std::string text(const std::string& calculation) {
        const calc::Result r = calc::evaluate(calculation, ctx);
        if (!r) {
            return "error " + std::to_string(r.error().code) + " at " + std::to_string(r.error().position) + ": " +
                   r.error().message;
        }
        return r.value().toText();
    }

    calc::SimpleContext ctx;
};

struct Case {
    const char* calculation;
    const char* expected;
};

void runTable(CalcTest& t, const std::vector<Case>& cases) {
    for (const auto& c : cases) EXPECT_EQ(t.text(c.calculation), c.expected) << c.calculation;
}

TEST_F(CalcTest, OperatorsAndPrecedence) {
    runTable(*this,
             {
                 {"1 + 2 * 3", "7"},
                 {"(1 + 2) * 3", "9"},
                 {"-2^2", "4"},
                 {"2^3^2", "64"},
                 {"2 * 3 ^ 2", "18"},
                 {"2^-1", "0.5"},
                 {"5 - 3 - 1", "1"},
                 {"3 - -2", "5"},
                 {"10 / 4", "2.5"},
                 {"1/3", "0.3333333333333333"},
                 {"2/3", "0.6666666666666667"},
                 {"1/3*3", "0.9999999999999999"},  // 1/3 keeps 16 digits, the product all of them
                 {"0.1 + 0.2", "0.3"},
                 {"1.50 * 2", "3"},
                 {".5 + 1", "1.5"},
                 {"10^20", "100000000000000000000"},
                 {"-0", "0"},
                 {"7 - 10", "-3"},
                 {"1/0", "?"},
                 {"1 & 2", "12"},
                 {"1 + 2 & 3", "33"},
                 {"\"a\" & 1/4", "a0.25"},
                 {"\"3\" + 4", "7"},
                 {"\"abc\" + 1", "1"},
                 {"\"\"", ""},
                 {"  /* only a comment */ ", ""},
                 {"1 + // rest of line\r2", "3"},
                 {"1 + /* inline */ 2", "3"},
                 {"\"a¶b\"", "a\rb"},
                 {"\"a\" & ¶ & \"b\"", "a\rb"},
                 {"\"say \\\"hi\\\"\"", "say \"hi\""},
                 {"\"back\\\\slash\"", "back\\slash"},
                 {"\"\\¶\"", "¶"},
             });
}

TEST_F(CalcTest, ComparisonsAndLogic) {
    runTable(*this,
             {
                 {"1 = 1", "1"},
                 {"\"abc\" = \"ABC\"", "1"},
                 {"\"a\" < \"B\"", "1"},
                 {"2 < 10", "1"},
                 {"\"2\" < \"10\"", "0"},
                 {"\"10\" = 10", "1"},
                 {"3 ≠ 4", "1"},
                 {"3 <> 3", "0"},
                 {"2 ≤ 2", "1"},
                 {"3 >= 4", "0"},
                 {"3 ≥ 3", "1"},
                 {"not 1 = 2", "1"},
                 {"not 0 and 0", "0"},
                 {"1 or 0 and 0", "1"},
                 {"1 xor 1", "0"},
                 {"1 xor 0", "1"},
                 {"1 and \"abc\"", "0"},
                 {"1 AND 2", "1"},
                 {"0 or \"1x\"", "1"},
                 {"Date(1;1;2020) = \"1/1/2020\"", "1"},
                 {"Date(1;2;2020) > Date(1;1;2020)", "1"},
                 {"Time(1;0;0) = 3600", "1"},
             });
}

TEST_F(CalcTest, TextFunctions) {
    runTable(*this,
             {
                 {"Length(\"héllo\")", "5"},
                 {"Length(1/3)", "18"},
                 {"Left(\"héllo\"; 2)", "hé"},
                 {"Left(\"abc\"; 10)", "abc"},
                 {"Left(\"abc\"; -1)", ""},
                 {"Right(\"hello\"; 3)", "llo"},
                 {"Middle(\"hello\"; 2; 3)", "ell"},
                 {"Middle(\"hello\"; 4; 10)", "lo"},
                 {"Position(\"Hello World\"; \"o\"; 1; 2)", "8"},
                 {"Position(\"Hello\"; \"L\"; 1; 1)", "3"},
                 {"Position(\"abcabc\"; \"b\"; 6; -1)", "5"},
                 {"Position(\"abc\"; \"x\"; 1; 1)", "0"},
                 {"Substitute(\"a-b-c\"; \"-\"; \"+\")", "a+b+c"},
                 {"Substitute(\"ABC\"; \"a\"; \"x\")", "ABC"},
                 {"Substitute(\"abc\"; [\"a\"; \"1\"]; [\"b\"; \"2\"])", "12c"},
                 {"Substitute(\"ab\"; [\"a\"; \"b\"]; [\"b\"; \"c\"])", "cc"},
                 {"Upper(\"straße é\")", "STRAßE É"},
                 {"Lower(\"ÀBC\")", "àbc"},
                 {"Proper(\"ada LOVELACE\")", "Ada Lovelace"},
                 {"Trim(\"  a b  \")", "a b"},
                 {"Quote(\"say \\\"hi\\\"\")", "\"say \\\"hi\\\"\""},
                 {"Quote(\"a¶b\")", "\"a¶b\""},
                 {"Evaluate(Quote(\"x\\\\y\"))", "x\\y"},
                 {"List(\"a\"; \"\"; \"b\"; 1)", "a\rb\r1"},
                 {"GetAsText(12.50)", "12.5"},
                 {"GetAsNumber(\"abc12.5x\")", "12.5"},
                 {"GetAsNumber(\"$1,254.50\")", "1254.5"},
                 {"GetAsNumber(\"-3 apples\")", "-3"},
                 {"GetAsNumber(\"abc\")", ""},
                 {"PatternCount(\"banana\"; \"AN\")", "2"},
                 {"ValueCount(\"a¶b¶c¶\")", "3"},
                 {"GetValue(\"a¶b¶c\"; 2)", "b"},
                 {"LeftValues(\"a¶b¶c\"; 2)", "a\rb\r"},
                 {"Exact(\"a\"; \"A\")", "0"},
                 {"Replace(\"abcdef\"; 2; 3; \"X\")", "aXef"},
                 {"WordCount(\"Hello, big world!\")", "3"},
                 {"MiddleWords(\"Hello, big world!\"; 2; 2)", "big world"},
                 {"Filter(\"(555) 123-4567\"; \"0123456789\")", "5551234567"},
                 {"Char(65) & Code(\"a\")", "A97"},
             });
}

TEST_F(CalcTest, NumberFunctions) {
    runTable(*this,
             {
                 {"Round(123.456; 2)", "123.46"},
                 {"Round(1.005; 2)", "1.01"},
                 {"Round(-2.5; 0)", "-3"},
                 {"Round(1234; -2)", "1200"},
                 {"Truncate(1.999; 1)", "1.9"},
                 {"Int(-2.7)", "-2"},
                 {"Floor(-2.5)", "-3"},
                 {"Ceiling(2.1)", "3"},
                 {"Mod(-7; 3)", "2"},
                 {"Mod(7; 0)", "?"},
                 {"Div(7; 2)", "3"},
                 {"Abs(-4)", "4"},
                 {"Sqrt(16)", "4"},
                 {"Min(3; 1; 2)", "1"},
                 {"Max(3; 10; 2)", "10"},
                 {"Round(Pi; 4)", "3.1416"},
             });
}

TEST_F(CalcTest, DatesAndTimes) {
    runTable(*this,
             {
                 {"Date(2;29;2008)", "2/29/2008"},
                 {"Date(13;1;2020)", "1/1/2021"},
                 {"Date(3;0;2020)", "2/29/2020"},
                 {"Date(1;1;1)", "1/1/0001"},
                 {"GetAsNumber(Date(1;1;1970))", "719163"},
                 {"GetAsNumber(Date(1;1;1))", "1"},
                 {"Date(1;1;2020) + 31", "2/1/2020"},
                 {"Date(3;1;2020) - 1", "2/29/2020"},
                 {"Date(3;1;2020) - Date(2;1;2020)", "29"},
                 {"Time(13;45;30)", "13:45:30"},
                 {"Time(9;5;0)", "9:05:00"},
                 {"Time(25;0;0)", "25:00:00"},
                 {"Time(0;0;1.5)", "0:00:01.5"},
                 {"Time(1;2;3) + 60", "1:03:03"},
                 {"Time(10;0;0) - Time(8;30;0)", "1:30:00"},
                 {"GetAsNumber(Time(1;0;0))", "3600"},
                 {"Timestamp(Date(2;29;2008); Time(13;45;0))", "2/29/2008 13:45:00"},
                 {"Timestamp(Date(1;1;2020); Time(0;0;0)) + 86400", "1/2/2020 0:00:00"},
                 {"Timestamp(Date(1;1;2020); Time(25;0;0))", "1/2/2020 1:00:00"},
                 {"GetAsNumber(Timestamp(Date(1;2;1); Time(0;0;1)))", "86401"},
                 {"GetAsDate(\"2/29/2008\")", "2/29/2008"},
                 {"GetAsDate(\"2/30/2008\")", "?"},
                 {"GetAsDate(\"2008-02-29\")", "2/29/2008"},
                 {"GetAsTime(\"13:45\")", "13:45:00"},
                 {"GetAsTime(\"1:05 PM\")", "13:05:00"},
                 {"GetAsTime(\"12:30 am\")", "0:30:00"},
                 {"GetAsTimestamp(\"2/29/2008 1:02:03\")", "2/29/2008 1:02:03"},
                 {"GetAsDate(Timestamp(Date(7;4;1976); Time(12;0;0)))", "7/4/1976"},
                 {"Year(Date(7;4;1976)) & \"-\" & Month(Date(7;4;1976)) & \"-\" & Day(Date(7;4;1976))", "1976-7-4"},
                 {"DayOfWeek(Date(1;1;2023)) & DayName(Date(1;1;2023))", "1Sunday"},
                 {"MonthName(Date(2;1;2023))", "February"},
                 {"Hour(Time(13;45;30)) & Minute(Time(13;45;30)) & Seconds(Time(13;45;30))", "134530"},
             });
}

TEST_F(CalcTest, LetIfCaseAndEvaluate) {
    runTable(*this,
             {
                 {"Let(x = 5; x * 2)", "10"},
                 {"Let ( [ a = 1 ; b = a + 1 ] ; a & b )", "12"},
                 {"Let([a = 1; a = a + 1]; a)", "2"},
                 {"Let(a = 1; Let(a = 2; a) & a)", "21"},
                 {"Let(X = 1; x)", "1"},
                 {"Let(ID = 7; ID & Invoices::ID)", "742"},
                 {"Let([$v = 7]; $v + 1)", "8"},
                 {"Let([$$g = \"G\"]; $$g)", "G"},
                 {"If(1 > 2; \"yes\"; \"no\")", "no"},
                 {"If(0; 1)", ""},
                 {"If(1; \"ok\"; Nope)", "ok"},
                 {"if(\"\"; 1; 2)", "2"},
                 {"Case(0; \"a\"; 1; \"b\"; \"c\")", "b"},
                 {"Case(0; 1; 0; 2; 3)", "3"},
                 {"Case(0; 1)", ""},
                 {"Choose(1; \"a\"; \"b\")", "b"},
                 {"IsEmpty(\"\")", "1"},
                 {"IsEmpty(Customer)", "0"},
                 {"IsEmpty(Note)", "1"},
                 {"IsEmpty(Nope)", "1"},
                 {"Evaluate(\"1 + 2\")", "3"},
                 {"Let(x = 5; Evaluate(\"x * 2\"))", "10"},
                 {"Evaluate(\"1 +\")", "?"},
                 {"EvaluationError(Evaluate(\"1 +\"))", "1203"},
                 {"EvaluationError(Nope)", "102"},
                 {"EvaluationError(1)", "0"},
             });
}

TEST_F(CalcTest, FieldsGetAndFieldType) {
    runTable(*this,
             {
                 {"ID", "42"},
                 {"Invoices::Customer", "Ada"},
                 {"invoices::CUSTOMER", "Ada"},
                 {"Issued", "2/29/2008"},
                 {"Issued + 1", "3/1/2008"},
                 {"GetAsNumber(Issued)", "733101"},
                 {"Due", "3/31/2008 17:00:00"},
                 {"Scan", "scan.png"},
                 {"Amount * 2", "25"},
                 {"First Name", "Grace"},
                 {"Invoices::First Name & \"!\"", "Grace!"},
                 {"${First Name}", "Grace"},
                 {"Lines::Qty * 2", "6"},
                 {"Note", ""},
                 {"Get(RecordNumber)", "1"},
                 {"Get ( FoundCount )", "2"},
                 {"Get(LayoutTableName)", "Invoices"},
                 {"Get(FileName)", "Demo"},
                 {"Get(FilePath)", "file:/srv/Demo.fmp12"},
                 {"Get(ScriptParameter)", "param"},
                 {"Get(LastError)", "0"},
                 {"get(applicationversion)", "Pro 19.0.1"},
                 {"GetAsNumber(Get(CurrentDate)) > 738000", "1"},
                 {"FieldType(\"Demo\"; \"Invoices::ID\")", "Standard Number Indexed Unstored 1"},
                 {"FieldType(Get(FileName); \"Customer\")", "Standard Text Indexed Unstored 1"},
                 {"FieldType(\"Demo\"; \"Due\")", "Standard Timestamp Indexed Unstored 1"},
                 {"jdbcEcho(1; \"a\"; Date(1;2;2003))", "1|a|1/2/2003"},
                 {"JDBCECHO(2) + 1", "3"},
             });
}

TEST_F(CalcTest, RecordChangesAreSeen) {
    ASSERT_TRUE(ctx.setCurrentRecord(2));
    EXPECT_EQ(text("Customer & Get(RecordNumber)"), "Bob2");
    EXPECT_EQ(text("Issued"), "");
    EXPECT_EQ(text("IsEmpty(Issued) and Amount + 1 = 1"), "1");
    ASSERT_TRUE(ctx.setCurrentTable("Lines"));
    EXPECT_EQ(text("Qty & Get(LayoutTableName) & FieldType(\"Demo\"; \"Qty\")"),
              "3LinesStandard Number Indexed Unstored 1");
    EXPECT_EQ(calc::evaluate("Customer", ctx).error().code, 102);
}

TEST_F(CalcTest, VariablesOutliveTheCalculation) {
    EXPECT_EQ(text("Let([$v = 7; $$g = 8; local = 9]; 0)"), "0");
    EXPECT_EQ(text("$v & $$g & $V"), "787");
    EXPECT_EQ(text("$$v & $g"), "");
    EXPECT_EQ(text("IsEmpty(local)"), "1");  // a plain Let name ends with its Let
    ctx.clearLocalVariables();
    EXPECT_EQ(text("$v & $$g"), "8");
}

struct ErrorCase {
    const char* calculation;
    int code;
    std::size_t position;
};

TEST_F(CalcTest, ErrorCodesAndPositions) {
    const std::vector<ErrorCase> cases = {
        {"Nope", 102, 0},
        {"1 + Nope", 102, 4},
        {"Nope::X", 100, 0},
        {"Invoices::Nope", 102, 0},
        {"(1 + 2", 1207, 0},
        {"Left(\"abc\"; 1", 1207, 4},
        {"1 + 2)", 1207, 5},
        {"\"abc", 1206, 0},
        {"1 + \"abc", 1206, 4},
        {"1 /* x", 1205, 2},
        {"Foo(1)", 1208, 0},
        {"1 + Foo ( 1 )", 1208, 4},
        {"Left(\"a\")", 1201, 8},
        {"Left(\"a\"; 1; 2)", 1202, 13},
        {"Substitute(\"a\"; \"b\")", 1201, 19},
        {"Substitute(\"a\"; [\"b\"; \"c\"; \"d\"])", 1202, 27},
        {"Let(x = 1)", 1201, 9},
        {"Let([x = 1; 2]; x)", 1209, 12},
        {"If(1)", 1201, 4},
        {"If(1; 2; 3; 4)", 1202, 12},
        {"1 +", 1203, 3},
        {"1 + * 2", 1204, 4},
        {"# 2", 1204, 0},
        {"1 2", 1212, 2},
        {"1 # 2", 1212, 2},
        {"(1 2)", 1212, 3},
        {"Get(Nope)", 1215, 4},
        {"Get(RecordNumber; 1)", 1202, 18},
        {"Upper([1; 2])", 1211, 6},
        {"Invoices::", 1209, 10},
        {"jdbcEcho()", 1201, 9},
        {"jdbcTwo(1; 2; 3)", 1202, 14},
        {"1 + jdbcFail", 956, 4},  // a function without arguments is named without parentheses
        {"2 * jdbcFail()", 956, 4},
        {"FieldType(\"Other\"; \"ID\")", 100, 0},
        {"FieldType(\"Demo\"; \"Nope\")", 102, 0},
        {"FieldType(\"Demo\"; \"Nope::ID\")", 100, 0},
    };
    for (const auto& c : cases) {
        const calc::Result r = calc::evaluate(c.calculation, ctx);
        ASSERT_FALSE(r.ok()) << c.calculation << " gave " << r.value().toText();
        EXPECT_EQ(r.error().code, c.code) << c.calculation << ": " << r.error().message;
        EXPECT_EQ(r.error().position, c.position) << c.calculation << ": " << r.error().message;
        EXPECT_FALSE(r.error().message.empty()) << c.calculation;
    }
}

TEST_F(CalcTest, PositionsCountCharactersInUtf8AndCodeUnitsInUtf16) {
    const calc::Result utf8 = calc::evaluate("\"\xF0\x9F\x98\x80\xC3\xA9\" & Nope", ctx);
    ASSERT_FALSE(utf8.ok());
    EXPECT_EQ(utf8.error().position, 7u);
    const calc::Result utf16 = calc::evaluate(u"\"\U0001F600\u00E9\" & Nope", ctx);
    ASSERT_FALSE(utf16.ok());
    EXPECT_EQ(utf16.error().position, 8u);
    const calc::Result ok = calc::evaluate(u"Length(\"\U0001F600\u00E9\") & Upper(\"\u00E9\")", ctx);
    ASSERT_TRUE(ok.ok());
    EXPECT_EQ(ok.value().toText(), "2\xC3\x89");
}

TEST_F(CalcTest, DeepNestingIsRefused) {
    const std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
    const calc::Result r = calc::evaluate(deep, ctx);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().code, 1200);
    const std::string minus = std::string(5000, '-') + "1";
    EXPECT_EQ(calc::evaluate(minus, ctx).error().code, 1200);
    const std::string moderate = std::string(100, '(') + "1" + std::string(100, ')');
    EXPECT_EQ(text(moderate), "1");

    // A long flat chain is not nesting.
    std::string chain = "0";
    for (int i = 0; i < 20000; ++i) chain += " + 1";
    EXPECT_EQ(text(chain), "20000");

    // Evaluate that evaluates itself stops with "?".
    EXPECT_EQ(text("Let($$me = \"Evaluate($$me)\"; Evaluate($$me))"), "?");
}

TEST_F(CalcTest, FuzzedInputGivesValueOrError) {
    const std::vector<std::string> pieces = {
        "(", ")", "[", "]", ";", ",", "\"", "\"x\"", "1", "2.5", ".", "-", "+", "*", "/", "^", "&", "=", "<>",
        "\xE2\x89\xA4", "<", ">", "not", "and", "or", "xor", "Let", "If", "Case", "Left", "Evaluate",
        "Substitute", "Get", "RecordNumber", "$x", "$$y", "$", "Invoices::", "ID", "Nope", "::", ":", "/*", "*/",
        "//", "\xC2\xB6", " ", "\\", "{", "}", "${", "Date", "Position", "jdbcEcho", "x", "List", "Quote",
        "EvaluationError", "FieldType", "\r", "\xFF", "\xC3", "Time", "Timestamp", "1e99999", "9999999999999999999999",
    };
    std::mt19937 rng(20240601);
    auto check = [&](const std::string& input) {
        const calc::Result r = calc::evaluate(input, ctx);
        if (!r.ok()) {
            EXPECT_GT(r.error().code, 0) << input;
            EXPECT_FALSE(r.error().message.empty()) << input;
            if (r.error().position != calc::kNoPosition) {
                EXPECT_LE(r.error().position, input.size()) << input;
            }
        }
    };
    for (int i = 0; i < 3000; ++i) {
        std::string input;
        const int n = 1 + static_cast<int>(rng() % 30);
        for (int k = 0; k < n; ++k) input += pieces[rng() % pieces.size()];
        check(input);
    }
    for (int i = 0; i < 2000; ++i) {
        std::string input;
        const int n = static_cast<int>(rng() % 40);
        for (int k = 0; k < n; ++k) input.push_back(static_cast<char>(rng() % 256));
        check(input);
    }
    for (int i = 0; i < 200; ++i) {
        std::u16string input;
        const int n = static_cast<int>(rng() % 20);
        for (int k = 0; k < n; ++k) input.push_back(static_cast<char16_t>(rng() % 0x10000));
        const calc::Result r = calc::evaluate(input, ctx);
        if (!r.ok()) {
            EXPECT_LE(r.error().position, input.size());
        }
    }
}

}  // namespace
