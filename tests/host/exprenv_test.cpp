// Calculation environments, the evaluator hook, registered functions and
// argument vectors.
#include "host_test.h"
#include "lib/values.h"

#include <vector>

using namespace host_test;

namespace {

class HostExprEnv : public HostTest {
protected:
    void TearDown() override {
        fmhost::set_evaluator(nullptr);
        fmhost::clear_registered_functions();
        HostTest::TearDown();
    }
};

int16_t FMX_CALL callback_a(int16_t, const FMX_ExprEnv *, const FMX_DataVect *, FMX_Data *) { return 0; }
int16_t FMX_CALL callback_b(int16_t, const FMX_ExprEnv *, const FMX_DataVect *, FMX_Data *) { return 1; }

int16_t register_function(std::string_view plugin, int16_t id, std::u16string_view name, int16_t minArgs,
                          int16_t maxArgs, FMX_FunctionCallback callback, FMX_Error *err) {
    Own<FMX_Text> nameText = new_text(name);
    Own<FMX_Text> prototype = new_text(std::u16string(name) + u"( x )");
    return FM_ExprEnv_RegisterExternalFunction(new_quad(plugin).get(), id, nameText.get(), prototype.get(), minArgs,
                                               maxArgs, 0x0700, callback, err);
}

TEST_F(HostExprEnv, EvaluateHandsItsWorkToTheHook) {
    Err err;
    Own<FMX_ExprEnv> env(FM_ExprEnv_Constructor1(0, &err));
    Own<FMX_Text> expression = new_text(u"1 + 1");
    Own<FMX_Data> result = new_data();
    EXPECT_EQ(FM_ExprEnv_Evaluate(env.get(), expression.get(), result.get(), &err), 1200);
    EXPECT_TRUE(err.ok());

    int context = 0;
    fmhost::set_env_context(env.get(), &context);
    std::u16string seen;
    fmhost::set_evaluator([&](const FMX_ExprEnv *e, std::u16string_view text, FMX_Data *out) -> int16_t {
        EXPECT_EQ(fmhost::env_context(e), &context);
        seen = text;
        fmhost::set_number_text(*out, "2");
        return 0;
    });
    EXPECT_EQ(FM_ExprEnv_Evaluate(env.get(), expression.get(), result.get(), &err), 0);
    EXPECT_EQ(seen, u"1 + 1");
    EXPECT_EQ(text_of(result.get()), "2");

    fmhost::set_evaluator([](const FMX_ExprEnv *, std::u16string_view, FMX_Data *) -> int16_t {
        throw std::runtime_error("engine fault");
    });
    FM_ExprEnv_Evaluate(env.get(), expression.get(), result.get(), &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE) << "nothing escapes to the C caller";
}

TEST_F(HostExprEnv, RegistrationReplacesTheSameIdAndFindsNamesInAnyCase) {
    Err err;
    EXPECT_EQ(register_function("Tess", 1, u"jdbcOpen", 1, 2, callback_a, &err), 0);
    EXPECT_EQ(register_function("Tess", 2, u"jdbcClose", 0, -1, callback_a, &err), 0);
    EXPECT_EQ(register_function("Tess", 1, u"jdbcOpenDatabase", 2, 3, callback_b, &err), 0);
    EXPECT_TRUE(err.ok());

    const auto &functions = fmhost::registered_functions();
    ASSERT_EQ(functions.size(), 2u);
    EXPECT_EQ(functions[0].name, u"jdbcOpenDatabase");
    EXPECT_EQ(functions[0].prototype, u"jdbcOpenDatabase( x )");
    EXPECT_EQ(functions[0].pluginId, 0x54657373u);
    EXPECT_EQ(functions[0].minArgs, 2);
    EXPECT_EQ(functions[0].maxArgs, 3);
    EXPECT_EQ(functions[0].flags, 0x0700u);
    EXPECT_EQ(functions[0].callback, &callback_b);

    const fmhost::RegisteredFunction *found = fmhost::find_function(u"JDBCclose");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->id, 2);
    EXPECT_EQ(fmhost::find_function(u"jdbcOpen"), nullptr);

    struct Refused {
        const char *what;
        std::string_view plugin;
        int16_t id;
        std::u16string_view name;
        int16_t minArgs, maxArgs;
        FMX_FunctionCallback callback;
    };
    for (const Refused &r : std::vector<Refused>{
             {"name taken by another id", "Tess", 3, u"JDBCCLOSE", 0, 1, callback_a},
             {"no callback", "Tess", 4, u"f", 0, 1, nullptr},
             {"no name", "Tess", 5, u"", 0, 1, callback_a},
             {"max below min", "Tess", 6, u"g", 2, 1, callback_a},
             {"negative min", "Tess", 7, u"h", -1, -1, callback_a},
         }) {
        Err e;
        EXPECT_NE(register_function(r.plugin, r.id, r.name, r.minArgs, r.maxArgs, r.callback, &e), 0) << r.what;
        EXPECT_EQ(e.code, FMX_ERR_FAILURE) << r.what;
    }
    EXPECT_EQ(fmhost::registered_functions().size(), 2u);
}

TEST_F(HostExprEnv, DataVectHoldsCopiesOwnedByTheVector) {
    FMX_DataVect *vect = fmhost::datavect_new();
    Own<FMX_Data> first = new_data();
    Own<FMX_Data> second = new_data();
    Err err;
    set_text(first.get(), u"one", FMX_DT_TEXT, &err);
    set_text(second.get(), u"2", FMX_DT_NUMBER, &err);
    fmhost::datavect_push(vect, first.get());
    fmhost::datavect_push(vect, second.get());
    set_text(first.get(), u"changed", FMX_DT_TEXT, &err);

    EXPECT_EQ(FM_DataVect_Size(vect, &err), 2u);
    const FMX_Data *at0 = FM_DataVect_At(vect, 0, &err);
    EXPECT_EQ(text_of(at0), "one");
    EXPECT_EQ(FM_Data_GetNativeType(FM_DataVect_At(vect, 1, &err), &err), FMX_DT_NUMBER);
    EXPECT_TRUE(err.ok());
    EXPECT_EQ(fmhost::live_total(), 3u) << "elements belong to the vector";

    FM_DataVect_At(vect, 2, &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE);
    FM_Data_Delete(const_cast<FMX_Data *>(at0), &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE);
    FM_Data_SetAsText(const_cast<FMX_Data *>(at0), FM_Data_GetAsText(first.get(), &err),
                      FM_Data_GetLocale(at0, &err), FMX_DT_TEXT, &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE);

    fmhost::datavect_delete(vect);
    FM_Data_IsEmpty(at0, &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE) << "elements die with their vector";
    EXPECT_THROW(fmhost::datavect_delete(vect), std::invalid_argument);
}

} // namespace
