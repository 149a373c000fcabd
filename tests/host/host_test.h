// Shared helpers of the host library tests: owners for host objects, text
// conversion, and a fixture that checks every test deletes what it made.
#ifndef TESTS_HOST_HOST_TEST_H
#define TESTS_HOST_HOST_TEST_H

#include "fmhost/host_control.h"
#include "fmhost/plugin_interface.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

namespace host_test {

// An error record that no call has touched yet.
struct Err : FMX_Error {
    Err() : FMX_Error{-7, -7} {}
    bool ok() const { return version == 1 && code == FMX_ERR_NONE; }
};

inline void delete_object(FMX_Data *object, FMX_Error *err) { FM_Data_Delete(object, err); }
inline void delete_object(FMX_Text *object, FMX_Error *err) { FM_Text_Delete(object, err); }
inline void delete_object(FMX_CharacterStyle *object, FMX_Error *err) { FM_CharacterStyle_Delete(object, err); }
inline void delete_object(FMX_Color *object, FMX_Error *err) { FM_Color_Delete(object, err); }
inline void delete_object(FMX_BinaryData *object, FMX_Error *err) { FM_BinaryData_Delete(object, err); }
inline void delete_object(FMX_DateTime *object, FMX_Error *err) { FM_DateTime_Delete(object, err); }
inline void delete_object(FMX_FixPt *object, FMX_Error *err) { FM_FixPt_Delete(object, err); }
inline void delete_object(FMX_QuadChar *object, FMX_Error *err) { FM_QuadChar_Delete(object, err); }
inline void delete_object(FMX_ExprEnv *object, FMX_Error *err) { FM_ExprEnv_Delete(object, err); }

template <class T> struct Deleter {
    void operator()(T *object) const {
        FMX_Error err{};
        delete_object(object, &err);
        EXPECT_EQ(err.code, FMX_ERR_NONE) << "deleting a host object";
    }
};

template <class T> using Own = std::unique_ptr<T, Deleter<T>>;

inline Own<FMX_Data> new_data() {
    Err err;
    return Own<FMX_Data>(FM_Data_Constructor1(&err));
}

inline Own<FMX_Text> new_text(std::u16string_view chars = {}) {
    Err err;
    Own<FMX_Text> text(FM_Text_Constructor1(&err));
    FM_Text_AssignUnicodeWithLength(text.get(), reinterpret_cast<const FMX_Unichar *>(chars.data()),
                                    static_cast<uint32_t>(chars.size()), &err);
    return text;
}

inline Own<FMX_FixPt> new_fixpt(int32_t value = 0) {
    Err err;
    return Own<FMX_FixPt>(FM_FixPt_Constructor1(value, 16, &err));
}

inline Own<FMX_DateTime> new_datetime() {
    Err err;
    return Own<FMX_DateTime>(FM_DateTime_Constructor1(&err));
}

// A QuadChar of four characters.
inline Own<FMX_QuadChar> new_quad(std::string_view code) {
    EXPECT_EQ(code.size(), 4u);
    Err err;
    return Own<FMX_QuadChar>(FM_QuadChar_Constructor2(code[0], code[1], code[2], code[3], &err));
}

inline std::u16string chars_of(const FMX_Text *text) {
    Err err;
    std::u16string chars(FM_Text_GetSize(text, &err), u'\0');
    FM_Text_GetUnicode(text, reinterpret_cast<FMX_Unichar *>(chars.data()), 0, static_cast<uint32_t>(chars.size()),
                       &err);
    return chars;
}

inline std::string narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

// The value's text through the plug-in interface.
inline std::string text_of(const FMX_Data *data) {
    Err err;
    return narrow(chars_of(FM_Data_GetAsText(data, &err)));
}

// Sets a value from text with a native type; returns the setter's result.
inline int set_text(FMX_Data *data, std::u16string_view chars, int32_t nativeType, FMX_Error *err) {
    Own<FMX_Text> text = new_text(chars);
    Err localeErr;
    return FM_Data_SetAsText(data, text.get(), FM_Data_GetLocale(data, &localeErr), nativeType, err);
}

// Every test leaves no host object behind and no failure armed.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        fmhost::clear_failures();
        ASSERT_EQ(fmhost::live_total(), 0u) << fmhost::describe_live(fmhost::live_objects());
    }
    void TearDown() override {
        fmhost::clear_failures();
        EXPECT_EQ(fmhost::live_total(), 0u) << fmhost::describe_live(fmhost::live_objects());
    }
};

} // namespace host_test

#endif
