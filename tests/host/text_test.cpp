// Texts, character styles and colours.
#include "host_test.h"

#include <vector>

using namespace host_test;

namespace {

using HostText = HostTest;

struct StyleSpec {
    uint16_t face, font, size;
    uint8_t red;
};

Own<FMX_CharacterStyle> new_style(StyleSpec spec) {
    Err err;
    Own<FMX_CharacterStyle> style(FM_CharacterStyle_Constructor1(&err));
    FM_CharacterStyle_SetFace(style.get(), spec.face, &err);
    FM_CharacterStyle_SetFont(style.get(), spec.font, &err);
    FM_CharacterStyle_SetSize(style.get(), spec.size, &err);
    Own<FMX_Color> color(FM_Color_Constructor1(&err));
    FM_Color_SetRed(color.get(), spec.red, &err);
    FM_CharacterStyle_SetColor(style.get(), color.get(), &err);
    EXPECT_TRUE(err.ok());
    return style;
}

// The face at each position of the text, as a string of digits.
std::string faces(const FMX_Text *text) {
    Err err;
    Own<FMX_CharacterStyle> style(FM_CharacterStyle_Constructor1(&err));
    std::string out;
    for (uint32_t i = 0; i < FM_Text_GetSize(text, &err); ++i) {
        FM_Text_GetStyle(text, style.get(), i, &err);
        out += std::to_string(FM_CharacterStyle_GetFace(style.get(), &err));
    }
    EXPECT_TRUE(err.ok());
    return out;
}

TEST_F(HostText, AssignStopsAtTheFirstZeroUnlessGivenALength) {
    Own<FMX_Text> text = new_text();
    const FMX_Unichar withZero[] = {'a', 'b', 0, 'c', 0};
    Err err;
    FM_Text_AssignUnicode(text.get(), withZero, &err);
    EXPECT_EQ(chars_of(text.get()), u"ab");
    FM_Text_AssignUnicodeWithLength(text.get(), withZero, 4, &err);
    EXPECT_EQ(chars_of(text.get()), std::u16string(u"ab\0c", 4));
    FM_Text_AssignUnicode(text.get(), withZero + 2, &err);
    EXPECT_EQ(FM_Text_GetSize(text.get(), &err), 0u);
    FM_Text_AssignUnicodeWithLength(text.get(), nullptr, 0, &err);
    EXPECT_TRUE(err.ok());
    FM_Text_AssignUnicodeWithLength(text.get(), nullptr, 3, &err);
    EXPECT_EQ(err.code, FMX_ERR_FAILURE);
}

TEST_F(HostText, ReadsAreCutAtTheEnd) {
    Own<FMX_Text> text = new_text(u"hello");
    struct Case {
        uint32_t position, size;
        std::u16string expected; // what lands in the buffer, '#' untouched
    };
    const std::vector<Case> cases = {
        {0, 5, u"hello###"},
        {1, 3, u"ell#####"},
        {3, FMX_SIZE_END, u"lo######"},
        {4, 100, u"o#######"},
        {5, 1, u"########"},
        {0xFFFFFFF0u, 8, u"########"},
    };
    for (const Case &c : cases) {
        std::u16string buffer(8, u'#');
        Err err;
        FM_Text_GetUnicode(text.get(), reinterpret_cast<FMX_Unichar *>(buffer.data()), c.position, c.size, &err);
        EXPECT_TRUE(err.ok());
        EXPECT_EQ(buffer, c.expected) << c.position << "+" << c.size;
    }
}

TEST_F(HostText, StyleRunsSplitAndMerge) {
    Own<FMX_Text> text = new_text(u"0123456789");
    Own<FMX_CharacterStyle> one = new_style({1, 0, 12, 0}), two = new_style({2, 0, 12, 0});
    Err err;
    FM_Text_SetStyle(text.get(), one.get(), 2, 6, &err);
    EXPECT_EQ(faces(text.get()), "0011111100");
    FM_Text_SetStyle(text.get(), two.get(), 4, 2, &err);
    EXPECT_EQ(faces(text.get()), "0011221100");
    FM_Text_SetStyle(text.get(), one.get(), 4, 1, &err);
    EXPECT_EQ(faces(text.get()), "0011121100");
    FM_Text_SetStyle(text.get(), two.get(), 7, FMX_SIZE_END, &err);
    EXPECT_EQ(faces(text.get()), "0011121222");
    FM_Text_SetStyle(text.get(), one.get(), 10, 5, &err);
    EXPECT_EQ(faces(text.get()), "0011121222") << "past the end";
    Own<FMX_CharacterStyle> plain(FM_CharacterStyle_Constructor1(&err));
    FM_Text_SetStyle(text.get(), plain.get(), 0, FMX_SIZE_END, &err);
    EXPECT_EQ(faces(text.get()), "0000000000");
    EXPECT_TRUE(err.ok());

    // A position past the end reads the last character's style.
    FM_Text_SetStyle(text.get(), two.get(), 9, 1, &err);
    Own<FMX_CharacterStyle> got(FM_CharacterStyle_Constructor1(&err));
    FM_Text_GetStyle(text.get(), got.get(), 500, &err);
    EXPECT_EQ(FM_CharacterStyle_GetFace(got.get(), &err), 2);
    FM_Text_AssignUnicodeWithLength(text.get(), nullptr, 0, &err);
    FM_Text_GetStyle(text.get(), got.get(), 0, &err);
    EXPECT_EQ(FM_CharacterStyle_GetFace(got.get(), &err), 0) << "an empty text has its default style";
}

TEST_F(HostText, AppendKeepsTheAppendedRangesStyles) {
    Own<FMX_Text> target = new_text(u"ab");
    Own<FMX_Text> source = new_text(u"xyz!");
    Own<FMX_CharacterStyle> bold = new_style({1, 7, 14, 200});
    Err err;
    FM_Text_SetStyle(target.get(), bold.get(), 1, 1, &err);
    FM_Text_SetStyle(source.get(), bold.get(), 0, 2, &err);

    FM_Text_AppendText(target.get(), source.get(), 1, 2, &err);
    EXPECT_EQ(chars_of(target.get()), u"abyz");
    EXPECT_EQ(faces(target.get()), "0110");
    FM_Text_AppendText(target.get(), source.get(), 2, FMX_SIZE_END, &err);
    EXPECT_EQ(chars_of(target.get()), u"abyzz!");
    FM_Text_AppendText(target.get(), source.get(), 9, 1, &err);
    EXPECT_EQ(chars_of(target.get()), u"abyzz!") << "a range past the end appends nothing";
    FM_Text_AppendText(target.get(), target.get(), 0, 3, &err);
    EXPECT_EQ(chars_of(target.get()), u"abyzz!aby");
    EXPECT_EQ(faces(target.get()), "011000011");
    EXPECT_TRUE(err.ok());

    Own<FMX_CharacterStyle> got(FM_CharacterStyle_Constructor1(&err));
    FM_Text_GetStyle(target.get(), got.get(), 2, &err);
    EXPECT_EQ(FM_CharacterStyle_GetFont(got.get(), &err), 7);
    EXPECT_EQ(FM_CharacterStyle_GetSize(got.get(), &err), 14);
    EXPECT_EQ(FM_Color_GetRed(FM_CharacterStyle_GetColor(got.get(), &err), &err), 200);
    FM_Text_GetDefaultStyle(target.get(), got.get(), &err);
    EXPECT_EQ(FM_CharacterStyle_GetFace(got.get(), &err), 0);
    EXPECT_EQ(FM_CharacterStyle_GetSize(got.get(), &err), 12);
}

TEST_F(HostText, StylesAndColoursHoldFullRanges) {
    Own<FMX_CharacterStyle> style = new_style({32768, 65535, 1, 255});
    Err err;
    EXPECT_EQ(FM_CharacterStyle_GetFace(style.get(), &err), 32768);
    EXPECT_EQ(FM_CharacterStyle_GetFont(style.get(), &err), 65535);

    Own<FMX_Color> color(FM_Color_Constructor1(&err));
    EXPECT_EQ(FM_Color_GetAlpha(color.get(), &err), 255) << "opaque black";
    FM_Color_SetRed(color.get(), 1, &err);
    FM_Color_SetGreen(color.get(), 2, &err);
    FM_Color_SetBlue(color.get(), 3, &err);
    FM_Color_SetAlpha(color.get(), 4, &err);
    FM_CharacterStyle_SetColor(style.get(), color.get(), &err);
    FM_Color_SetRed(color.get(), 99, &err);
    const FMX_Color *view = FM_CharacterStyle_GetColor(style.get(), &err);
    EXPECT_EQ(FM_Color_GetRed(view, &err), 1) << "the style keeps a copy";
    EXPECT_EQ(FM_Color_GetGreen(view, &err), 2);
    EXPECT_EQ(FM_Color_GetBlue(view, &err), 3);
    EXPECT_EQ(FM_Color_GetAlpha(view, &err), 4);
    EXPECT_TRUE(err.ok());
}

} // namespace
