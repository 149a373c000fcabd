// Error records, object checks, ownership of views, live-object counting and
// failure injection.
#include "host_test.h"

#include <functional>
#include <thread>
#include <vector>

using namespace host_test;

namespace {

using HostObjects = HostTest;

TEST_F(HostObjects, SuccessSetsVersionOneAndCodeZero) {
    Err err;
    FMX_Text *text = FM_Text_Constructor1(&err);
    EXPECT_TRUE(err.ok());
    Err sizeErr;
    EXPECT_EQ(FM_Text_GetSize(text, &sizeErr), 0u);
    EXPECT_TRUE(sizeErr.ok());
    Err deleteErr;
    FM_Text_Delete(text, &deleteErr);
    EXPECT_TRUE(deleteErr.ok());
}

TEST_F(HostObjects, BadPointersAreGeneralFailures) {
    Own<FMX_Text> text = new_text(u"abc");
    FMX_Text *deleted = FM_Text_Constructor1(nullptr);
    FM_Text_Delete(deleted, nullptr);
    Own<FMX_Data> data = new_data();

    struct Case {
        const char *what;
        std::function<void(FMX_Error *)> call;
    };
    const std::vector<Case> cases = {
        {"null text", [](FMX_Error *err) { FM_Text_GetSize(nullptr, err); }},
        {"deleted text", [&](FMX_Error *err) { FM_Text_GetSize(deleted, err); }},
        {"second delete", [&](FMX_Error *err) { FM_Text_Delete(deleted, err); }},
        {"text passed as data", [&](FMX_Error *err) { FM_Data_IsEmpty(reinterpret_cast<FMX_Data *>(text.get()), err); }},
        {"data deleted as text", [&](FMX_Error *err) { FM_Text_Delete(reinterpret_cast<FMX_Text *>(data.get()), err); }},
        {"stack address", [](FMX_Error *err) {
             FMX_QuadChar *fake = reinterpret_cast<FMX_QuadChar *>(&err);
             FM_QuadChar_GetMacType(fake, err);
         }},
        {"null string", [&](FMX_Error *err) { FM_Text_AssignUnicode(text.get(), nullptr, err); }},
        {"null locale", [&](FMX_Error *err) { FM_Data_SetAsText(data.get(), text.get(), nullptr, 1, err); }},
    };
    for (const Case &c : cases) {
        Err err;
        c.call(&err);
        EXPECT_EQ(err.version, 1) << c.what;
        EXPECT_EQ(err.code, FMX_ERR_FAILURE) << c.what;
    }
    EXPECT_EQ(chars_of(text.get()), u"abc");
    EXPECT_EQ(fmhost::live_total(), 2u);
}

TEST_F(HostObjects, ViewsWorkForGettersButAreNeitherCountedNorChangeable) {
    Own<FMX_Data> data = new_data();
    Err err;
    set_text(data.get(), u"hello", FMX_DT_TEXT, &err);
    ASSERT_TRUE(err.ok());

    const FMX_Text *view = FM_Data_GetAsText(data.get(), &err);
    EXPECT_EQ(FM_Text_GetSize(view, &err), 5u);
    EXPECT_TRUE(err.ok());
    EXPECT_EQ(FM_Data_GetAsText(data.get(), &err), view) << "the same view every time";
    const FMX_FixPt *number = FM_Data_GetAsNumber(data.get(), &err);
    const FMX_BinaryData *binary = FM_Data_GetBinaryData(data.get(), &err);
    const FMX_DateTime *date = FM_Data_GetAsDate(data.get(), &err);
    EXPECT_EQ(FM_BinaryData_GetCount(binary, &err), 0);
    EXPECT_TRUE(err.ok());
    EXPECT_EQ(fmhost::live_total(), 1u) << "views are not counted";

    Own<FMX_CharacterStyle> style(FM_CharacterStyle_Constructor1(&err));
    const FMX_Color *color = FM_CharacterStyle_GetColor(style.get(), &err);
    EXPECT_EQ(FM_Color_GetAlpha(color, &err), 255);

    struct Refusal {
        const char *what;
        std::function<void(FMX_Error *)> call;
    };
    const std::vector<Refusal> refusals = {
        {"delete text view", [&](FMX_Error *e) { FM_Text_Delete(const_cast<FMX_Text *>(view), e); }},
        {"assign to text view",
         [&](FMX_Error *e) {
             const FMX_Unichar x[] = {'x', 0};
             FM_Text_AssignUnicode(const_cast<FMX_Text *>(view), x, e);
         }},
        {"delete number view", [&](FMX_Error *e) { FM_FixPt_Delete(const_cast<FMX_FixPt *>(number), e); }},
        {"delete binary view", [&](FMX_Error *e) { FM_BinaryData_Delete(const_cast<FMX_BinaryData *>(binary), e); }},
        {"add to binary view",
         [&](FMX_Error *e) {
             Own<FMX_QuadChar> type = new_quad("FILE");
             FM_BinaryData_Add(const_cast<FMX_BinaryData *>(binary), type.get(), 1, "x", e);
         }},
        {"delete date view", [&](FMX_Error *e) { FM_DateTime_Delete(const_cast<FMX_DateTime *>(date), e); }},
        {"delete colour view", [&](FMX_Error *e) { FM_Color_Delete(const_cast<FMX_Color *>(color), e); }},
    };
    for (const Refusal &r : refusals) {
        Err e;
        r.call(&e);
        EXPECT_EQ(e.code, FMX_ERR_FAILURE) << r.what;
    }
    EXPECT_EQ(text_of(data.get()), "hello");

    FM_Data_Delete(data.release(), &err);
    EXPECT_TRUE(err.ok());
    FM_Text_GetSize(view, &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE) << "a view dies with its value";
}

TEST_F(HostObjects, LiveObjectsAreListedOldestFirst) {
    const std::uint64_t before = fmhost::last_serial();
    Own<FMX_Text> text = new_text();
    Own<FMX_Data> data = new_data();
    Err err;
    FM_Data_GetAsText(data.get(), &err);

    const auto objects = fmhost::live_objects_since(before);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].kind, fmhost::Kind::Text);
    EXPECT_EQ(objects[0].address, text.get());
    EXPECT_EQ(objects[1].kind, fmhost::Kind::Data);
    EXPECT_EQ(objects[1].serial, fmhost::last_serial());
    EXPECT_EQ(fmhost::live_count(fmhost::Kind::Text), 1u);
    EXPECT_EQ(fmhost::live_objects().size(), 2u);
    const std::string described = fmhost::describe_live(objects);
    EXPECT_NE(described.find("Text@"), std::string::npos) << described;
    EXPECT_NE(described.find(", Data@"), std::string::npos) << described;
    EXPECT_NE(described.find(" #" + std::to_string(objects[1].serial)), std::string::npos) << described;
}

TEST_F(HostObjects, InjectedFailureFiresOnceAfterItsSkip) {
    fmhost::inject_failure("FM_Text_Constructor1", FMX_ERR_OUT_OF_MEMORY, 1);
    Err first, second, third;
    Own<FMX_Text> a(FM_Text_Constructor1(&first));
    FMX_Text *b = FM_Text_Constructor1(&second);
    Own<FMX_Text> c(FM_Text_Constructor1(&third));
    EXPECT_TRUE(first.ok());
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(second.code, FMX_ERR_OUT_OF_MEMORY);
    EXPECT_EQ(second.version, 1);
    EXPECT_TRUE(third.ok());
    EXPECT_EQ(fmhost::live_count(fmhost::Kind::Text), 2u);
}

TEST_F(HostObjects, InjectedFailureDoesNothingElse) {
    Own<FMX_Text> text = new_text(u"keep");
    fmhost::inject_failure("FM_Text_AssignUnicode", FMX_ERR_FAILURE);
    const FMX_Unichar other[] = {'n', 'e', 'w', 0};
    Err err;
    FM_Text_AssignUnicode(text.get(), other, &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE);
    EXPECT_EQ(chars_of(text.get()), u"keep");

    // A failed delete keeps the object, so it can be deleted afterwards.
    fmhost::inject_failure("FM_Text_Delete", FMX_ERR_OUT_OF_MEMORY);
    FMX_Text *raw = text.release();
    FM_Text_Delete(raw, &err);
    EXPECT_EQ(err.code, FMX_ERR_OUT_OF_MEMORY);
    EXPECT_EQ(fmhost::live_count(fmhost::Kind::Text), 1u);
    FM_Text_Delete(raw, &err);
    EXPECT_TRUE(err.ok());

    fmhost::inject_failure("FM_Data_Constructor1", FMX_ERR_FAILURE);
    fmhost::clear_failures();
    Own<FMX_Data> data(FM_Data_Constructor1(&err));
    EXPECT_TRUE(err.ok()) << "cleared";
}

TEST_F(HostObjects, RegistryIsSafeAcrossThreads) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 2000; ++i) {
                Err err;
                FMX_Data *data = FM_Data_Constructor1(&err);
                FM_Data_GetAsText(data, &err);
                FM_Data_Delete(data, &err);
                ASSERT_TRUE(err.ok());
            }
        });
    for (std::thread &thread : threads)
        thread.join();
}

} // namespace
