#include "platform/platform.h"

#include <gtest/gtest.h>

namespace {

struct WidenCase {
    const char *name;
    std::string narrow;
    std::u16string wide;
};

void PrintTo(const WidenCase &c, std::ostream *os) { *os << c.name; }

class Widen : public testing::TestWithParam<WidenCase> {};

TEST_P(Widen, DecodesUtf8) { EXPECT_EQ(platform::widen(GetParam().narrow), GetParam().wide); }

// One U+FFFD for each maximal ill-formed subpart.
INSTANTIATE_TEST_SUITE_P(
    Cases, Widen,
    testing::Values(WidenCase{"ascii", "plain", u"plain"},
                    WidenCase{"two_and_three_bytes", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC", u"\u00E9t\u00E9 \u20AC"},
                    WidenCase{"four_bytes_to_pair", "a\xF0\x9F\x98\x80z", u"a\xD83D\xDE00z"},
                    WidenCase{"embedded_nul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
                    WidenCase{"stray_continuation", "a\x80z", u"a\uFFFDz"},
                    WidenCase{"invalid_lead", "\xFF\xFE", u"\uFFFD\uFFFD"},
                    WidenCase{"truncated_at_end", "a\xE2\x82", u"a\uFFFD"},
                    WidenCase{"truncated_before_ascii", "\xF0\x9F\x98z", u"\uFFFDz"},
                    WidenCase{"overlong", "\xC0\xAF\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
                    WidenCase{"encoded_surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                    WidenCase{"above_max", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                    WidenCase{"highest", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Narrow, EncodesUtf16AndReplacesLoneSurrogates) {
    EXPECT_EQ(platform::narrow(u"\u00E9\u20AC\xD83D\xDE00"), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(platform::narrow(u"a\xD800"), "a\xEF\xBF\xBD");            // high at the end
    EXPECT_EQ(platform::narrow(u"\xDC00z"), "\xEF\xBF\xBDz");            // low alone
    EXPECT_EQ(platform::narrow(u"\xDE00\xD83D"), "\xEF\xBF\xBD\xEF\xBF\xBD"); // reversed pair
    EXPECT_EQ(platform::narrow(u"\xD800\xD800\xDC00"), "\xEF\xBF\xBD\xF0\x90\x80\x80");
}

TEST(Narrow, RoundTripsEveryKindOfCodePoint) {
    const std::u16string text = u"A\u00FF\u0800\uFFFF\xD800\xDC00\xDBFF\xDFFF";
    EXPECT_EQ(platform::widen(platform::narrow(text)), text);
}

} // namespace
