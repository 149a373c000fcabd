// The functions FileMaker developers reach for: While, GetField, Evaluate
// with fields, the JSON family, TrimAll, the value-list functions,
// encodings, Get ( UUID ) and the week numbers, with their errors.
#include <regex>

#include "calc/simple_context.h"
#include "calc_table.h"

namespace {

using calc::Type;
using calc::Value;
using calc_table::expectTable;

class Functions : public ::testing::Test {
public:
    Functions() {
        ctx.addField("Invoices", "Customer", Type::Text);
        ctx.addField("Invoices", "Amount", Type::Number);
        ctx.addRecord("Invoices", {{"Customer", Value::text("Ada")}, {"Amount", Value::number(12)}});
        ctx.addField("Lines", "Qty", Type::Number);
        ctx.addRecord("Lines", {{"Qty", Value::number(3)}});
    }

    calc::SimpleContext ctx;
};

TEST_F(Functions, WhileLoopsWithinItsLimit) {
    expectTable(ctx, {
                         {"While ( [ i = 0 ; out = \"\" ] ; i < 5 ; [ i = i + 1 ; out = out & i ] ; out )", "12345"},
                         {"While ( i = 3 ; i > 0 ; i = i - 1 ; i )", "0"},
                         {"While ( [ i = 0 ; $n = 0 ] ; i < 3 ; [ i = i + 1 ; $n = $n + i ] ; $n ) & $n", "66"},
                         // A name first set in the logic lives on in the loop.
                         {"While ( i = 0 ; i < 2 ; [ i = i + 1 ; last = i * 10 ] ; last )", "20"},
                         {"Let ( i = 7 ; While ( i = 0 ; i < 2 ; i = i + 1 ; i ) & i )", "27"},
                         {"While ( i = 0 ; 1 ; i = i + 1 ; i )", "?"},
                         {"EvaluationError ( While ( i = 0 ; 1 ; i = i + 1 ; i ) )", "1200"},
                         {"SetRecursion ( While ( i = 0 ; i < 100 ; i = i + 1 ; i ) ; 50 )", "?"},
                         {"SetRecursion ( While ( i = 0 ; i < 60000 ; i = i + 1 ; i ) ; 100000 )", "60000"},
                         {"While ( i = 0 ; i < 1 )", "error 1201 at 22"},
                         {"While ( i = 0 ; i < 1 ; i = i + 1 ; i ; 2 )", "error 1202 at 40"},
                         {"While ( [ i = 0 ; 1 ] ; 1 ; 1 ; 1 )", "error 1209 at 18"},
                     });
}

TEST_F(Functions, GetFieldAndEvaluateReadFieldsByName) {
    expectTable(ctx, {
                         {"GetField ( \"Customer\" )", "Ada"},
                         {"GetField ( \"Lines::\" & \"Qty\" ) * 2", "6"},
                         {"GetField ( \"Nope\" )", "?"},
                         {"EvaluationError ( GetField ( \"Nope\" ) ) & EvaluationError ( GetField ( \"No::Qty\" ) )",
                          "102100"},
                         {"Evaluate ( \"Amount + 1\" ; [ Customer ; Amount ] )", "13"},
                         {"Evaluate ( \"Amount * 2\" ; Customer )", "24"},
                     });
}

TEST_F(Functions, JsonElementsAreFoundByKeyIndexAndPath) {
    const std::string doc = R"("{\"a\":{\"b\":[10,20,{\"c\":true,\"d\":null}]},\"n\":12345678901234567890.5,\"s\":\"x\\ry\"}")";
    expectTable(ctx, {
                         {("JSONGetElement ( " + doc + " ; \"a.b[1]\" )").c_str(), "20"},
                         {("JSONGetElement ( " + doc + " ; \"a.b[2].c\" )").c_str(), "1"},
                         {("JSONGetElement ( " + doc + " ; \"a.b[2].d\" )").c_str(), ""},
                         {("JSONGetElement ( " + doc + " ; \"a.b[:]\" )").c_str(), "{\"c\":true,\"d\":null}"},
                         {("JSONGetElement ( " + doc + " ; \"n\" ) + 0.5").c_str(), "12345678901234567891"},
                         {("JSONGetElement ( " + doc + " ; \"s\" )").c_str(), "x\ry"},
                         {("JSONGetElement ( " + doc + " ; \"missing\" )").c_str(), ""},
                         {("JSONGetElement ( " + doc + " ; \"a.b[9]\" )").c_str(), ""},
                         {"JSONGetElement ( \"[5,6,7]\" ; 2 )", "7"},
                         {"JSONGetElement ( \"{\\\"1\\\":\\\"one\\\"}\" ; 1 )", "one"},
                         {"JSONGetElement ( \"{\\\"a.b\\\":1}\" ; \"['a.b']\" )", "1"},
                         {("JSONGetElementType ( " + doc + " ; \"a\" ) & JSONGetElementType ( " + doc +
                           " ; \"a.b\" ) & JSONGetElementType ( " + doc + " ; \"n\" )")
                              .c_str(),
                          "342"},
                         {("JSONListKeys ( " + doc + " ; \"\" )").c_str(), "a\rn\rs"},
                         {("JSONListKeys ( " + doc + " ; \"a.b\" )").c_str(), "0\r1\r2"},
                         {("JSONListValues ( " + doc + " ; \"a.b\" )").c_str(), "10\r20\r{\"c\":true,\"d\":null}"},
                         {"JSONString & JSONNumber & JSONObject & JSONArray & JSONBoolean & JSONNull & JSONRaw",
                          "1234560"},
                     });
}

TEST_F(Functions, JsonElementsAreSetAndDeleted) {
    expectTable(ctx, {
                         {"JSONSetElement ( \"{}\" ; \"b\" ; 1 ; JSONNumber )", "{\"b\":1}"},
                         // Keys are kept in order; missing objects and arrays are made.
                         {"JSONSetElement ( \"\" ; [ \"z\" ; \"x\" ; JSONString ] ; [ \"a.c[1]\" ; 2 ; JSONNumber ] )",
                          "{\"a\":{\"c\":[null,2]},\"z\":\"x\"}"},
                         {"JSONSetElement ( \"{}\" ; \"n\" ; 12345678901234567890.0000000001 ; JSONNumber )",
                          "{\"n\":12345678901234567890.0000000001}"},
                         {"JSONSetElement ( \"{}\" ; \"n\" ; \"007\" ; JSONNumber )", "{\"n\":7}"},
                         {"JSONSetElement ( \"{}\" ; \"s\" ; 1 / 4 ; JSONString )", "{\"s\":\"0.25\"}"},
                         {"JSONSetElement ( \"{}\" ; \"t\" ; \"line\" & ¶ & \"\\\"q\\\"\" ; JSONString )",
                          "{\"t\":\"line\\r\\\"q\\\"\"}"},
                         {"JSONSetElement ( \"{}\" ; [ \"t\" ; \"true\" ; JSONBoolean ] ; [ \"f\" ; 0 ; JSONBoolean ] ; "
                          "[ \"z\" ; \"x\" ; JSONNull ] )",
                          "{\"f\":false,\"t\":true,\"z\":null}"},
                         {"JSONSetElement ( \"{}\" ; \"o\" ; \"{\\\"x\\\" : [1, 2]}\" ; JSONObject )",
                          "{\"o\":{\"x\":[1,2]}}"},
                         {"JSONSetElement ( \"{}\" ; \"o\" ; \"\" ; JSONArray )", "{\"o\":[]}"},
                         {"JSONSetElement ( \"[1]\" ; \"[+]\" ; \"[true]\" ; JSONRaw )", "[1,[true]]"},
                         {"JSONSetElement ( \"{\\\"a\\\":1}\" ; \"a.b\" ; 2 ; JSONNumber )", "{\"a\":{\"b\":2}}"},
                         {"JSONDeleteElement ( \"{\\\"a\\\":1,\\\"b\\\":[1,2,3]}\" ; \"b[1]\" )", "{\"a\":1,\"b\":[1,3]}"},
                         {"JSONDeleteElement ( \"{\\\"a\\\":1}\" ; \"x.y\" )", "{\"a\":1}"},
                     });
}

TEST_F(Functions, JsonErrorsAreAQuestionMarkAndTheReason) {
    struct Failure {
        const char* calculation;
        const char* reason;  // a part of the text after "? "
    };
    for (const Failure& f : std::vector<Failure>{
             {"JSONGetElement ( \"{\\\"a\\\":\" ; \"a\" )", "parse error at line 1, column 6"},
             {"JSONListKeys ( \"[1,]\" ; \"\" )", "parse error at line 1, column 4"},
             {"JSONFormatElements ( \"{a:1}\" )", "parse error at line 1, column 2"},
             {"JSONGetElement ( \"{}\" ; \"a[\" )", "the path \"a[\" is not valid"},
             {"JSONGetElement ( \"{}\" ; \"a[x]\" )", "the path \"a[x]\" is not valid"},
             {"JSONGetElement ( \"{}\" ; \"a..b\" )", "the path \"a..b\" is not valid"},
             {"JSONGetElement ( \"[]\" ; -1 )", "the index -1 is not valid"},
             {"JSONSetElement ( \"{}\" ; \"a\" ; \"{oops\" ; JSONObject )", "parse error at line 1, column 2"},
             {"JSONSetElement ( \"{}\" ; \"a\" ; 1 ; 9 )", "the type 9 is not one of"},
             {"JSONSetElement ( \"[1]\" ; \"key\" ; 1 ; JSONNumber )", "cannot address an array"},
         }) {
        const std::string text = calc_table::outcome(f.calculation, ctx);
        EXPECT_EQ(text.rfind("? ", 0), 0u) << f.calculation << " gave " << text;
        EXPECT_NE(text.find(f.reason), std::string::npos) << f.calculation << " gave " << text;
    }
}

TEST_F(Functions, JsonFormatElementsLaysOutTheDocument) {
    const std::string formatted = calc_table::outcome(
        R"(JSONFormatElements ( "{\"shop\":{\"items\":[{\"id\":\"A1\",\"price\":1.50},{\"id\":\"B2\"}],\"tags\":[\"x\",\"y\"],\"none\":{}},\"n\":1}" ))",
        ctx);
    EXPECT_EQ(formatted,
              "{\r"
              "\t\"n\" : 1,\r"
              "\t\"shop\" : \r"
              "\t{\r"
              "\t\t\"items\" : \r"
              "\t\t[\r"
              "\t\t\t{\r"
              "\t\t\t\t\"id\" : \"A1\",\r"
              "\t\t\t\t\"price\" : 1.5\r"
              "\t\t\t},\r"
              "\t\t\t{\r"
              "\t\t\t\t\"id\" : \"B2\"\r"
              "\t\t\t}\r"
              "\t\t],\r"
              "\t\t\"none\" : {},\r"
              "\t\t\"tags\" : [ \"x\", \"y\" ]\r"
              "\t}\r"
              "}");
}

TEST_F(Functions, TextAndValueLists) {
    expectTable(ctx, {
                         {"TrimAll ( \"  a    b  \" ; 0 ; 0 )", "a b"},
                         {"TrimAll ( \"  a    b  \" ; 0 ; 3 )", "ab"},
                         {"TrimAll ( \"日本  語 abc  日\" ; 0 ; 0 )", "日本語 abc 日"},
                         {"TrimAll ( \"日本  abc  日\" ; 0 ; 1 )", "日本abc 日"},
                         {"TrimAll ( \"日本  abc  日\" ; 0 ; 2 )", "日本 abc日"},
                         {"TrimAll ( \"a\u3000\u3000b\u3000\" ; 1 ; 0 ) & \"|\" & TrimAll ( \"a\u3000b\" ; 0 ; 0 )",
                          "a b|a\u3000b"},
                         {"FilterValues ( \"Plaid¶Canvas¶Suede¶canvas\" ; \"canvas¶Denim\" )", "Canvas\rcanvas\r"},
                         {"FilterValues ( \"a¶b\" ; \"\" )", ""},
                         {"SortValues ( \"Blue¶yellow¶Red¶green\" )", "Blue\rgreen\rRed\ryellow\r"},
                         {"SortValues ( \"10¶9¶100¶x\" ; 2 )", "x\r9\r10\r100\r"},
                         {"SortValues ( \"10¶9¶100\" ; -2 )", "100\r10\r9\r"},
                         {"SortValues ( \"1/2/2020¶12/31/2019¶3/1/2019\" ; 3 )", "3/1/2019\r12/31/2019\r1/2/2020\r"},
                         {"SortValues ( \"a¶b\" ; 7 )", "?"},
                         {"UniqueValues ( \"Apple¶apple¶Banana¶APPLE\" )", "Apple\rBanana\r"},
                         {"UniqueValues ( \"A¶a¶B\" ; 1 ; \"Unicode_Raw\" )", "A\ra\rB\r"},
                         {"UniqueValues ( \"1¶1.0¶01¶2\" ; 2 )", "1\r2\r"},
                     });
}

TEST_F(Functions, Encodings) {
    expectTable(ctx, {
                         {"GetAsURLEncoded ( \"Ça va? a-b_c.d~e/f&g=h\" )", "%C3%87a%20va%3F%20a-b_c.d~e%2Ff%26g%3Dh"},
                         {"Base64Encode ( \"Hello, World!\" )", "SGVsbG8sIFdvcmxkIQ=="},
                         {"Base64Encode ( \"ü\" )", "w7w="},
                         {"Base64Decode ( \"SGVsbG8s\r\nIFdvcmxkIQ==\" )", "Hello, World!"},
                         {"Base64Decode ( Base64Encode ( \"日本\" ) )", "日本"},
                         {"Base64Decode ( \"aGk=\" ; \"hi.txt\" )", "hi.txt"},
                         {"GetAsText ( Base64Decode ( \"\" ; \"none.txt\" ) )", ""},
                     });
    // Lines of 76 characters, broken with CR LF.
    const std::string long64 = calc_table::outcome("Base64Encode ( \"" + std::string(100, 'a') + "\" )", ctx);
    ASSERT_EQ(long64.size(), 136u + 2u);
    EXPECT_EQ(long64.substr(76, 2), "\r\n");
    EXPECT_EQ(long64.find('\r', 78), std::string::npos);
    const calc::Result decoded = calc::evaluate("Base64Decode ( \"AAEC/w==\" ; \"bytes.bin\" )", ctx);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded.value().type(), Type::Container);
    EXPECT_EQ(decoded.value().bytes(), (std::vector<std::uint8_t>{0, 1, 2, 255}));
}

TEST_F(Functions, UuidsAreNewEachTime) {
    const std::string a = calc_table::outcome("Get ( UUID )", ctx);
    const std::string b = calc_table::outcome("Get ( UUID )", ctx);
    EXPECT_TRUE(std::regex_match(a, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
        << a;
    EXPECT_NE(a, b);
    EXPECT_TRUE(std::regex_match(calc_table::outcome("Get ( UUIDNumber )", ctx), std::regex("[1-9][0-9]{40}")));
}

TEST_F(Functions, WeeksOfTheYear) {
    expectTable(ctx, {
                         {"WeekOfYear ( Date ( 1 ; 1 ; 2023 ) )", "1"},
                         {"WeekOfYear ( Date ( 1 ; 7 ; 2023 ) ) & WeekOfYear ( Date ( 1 ; 8 ; 2023 ) )", "12"},
                         {"WeekOfYear ( Date ( 12 ; 31 ; 2022 ) )", "53"},
                         {"WeekOfYear ( \"\" )", ""},
                         {"WeekOfYear ( \"no date\" )", "?"},
                         // 1/1/2021 was a Friday: with Monday starts its week
                         // has 3 days of 2021 and belongs to 2020's week 53.
                         {"WeekOfYearFiscal ( Date ( 1 ; 1 ; 2021 ) ; 2 )", "53"},
                         {"WeekOfYearFiscal ( Date ( 1 ; 4 ; 2021 ) ; 2 )", "1"},
                         // 12/30/2024 (a Monday) begins week 1 of 2025.
                         {"WeekOfYearFiscal ( Date ( 12 ; 30 ; 2024 ) ; 2 )", "1"},
                         {"WeekOfYearFiscal ( Date ( 1 ; 1 ; 2021 ) ; 8 )", "?"},
                     });
}

TEST_F(Functions, ArgumentCountsAreChecked) {
    expectTable(ctx, {
                         {"JSONGetElement ( \"{}\" )", "error 1201 at 22"},
                         {"JSONSetElement ( \"{}\" ; \"a\" ; 1 )", "error 1201 at 32"},
                         {"JSONSetElement ( \"{}\" ; [ \"a\" ; 1 ] )", "error 1201 at 34"},
                         {"JSONSetElement ( \"{}\" ; [ \"a\" ; 1 ; 2 ; 3 ] )", "error 1202 at 40"},
                         {"JSONFormatElements ( 1 ; 2 )", "error 1202 at 25"},
                         {"TrimAll ( \"a\" ; 1 )", "error 1201 at 18"},
                         {"SortValues ( )", "error 1201 at 13"},
                         {"GetField ( )", "error 1201 at 11"},
                         {"SetPrecision ( 1 )", "error 1201 at 17"},
                         {"Base64Decode ( \"a\" ; \"b\" ; \"c\" )", "error 1202 at 27"},
                     });
}

}  // namespace
