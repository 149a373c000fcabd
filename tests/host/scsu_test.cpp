// SCSU expansion of stored file names.
#include "lib/scsu.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(Scsu, ExpandsEachModeAndRefusesBrokenInput) {
    struct Case {
        const char *what;
        std::vector<std::uint8_t> bytes;
        std::optional<std::u16string> text;
    };
    const std::vector<Case> cases = {
        {"ASCII", {'r', 'e', 'p', 'o', 'r', 't', '.', 't', 'x', 't'}, u"report.txt"},
        {"nothing", {}, u""},
        {"Latin-1 in the first window", {'c', 'a', 'f', 0xE9}, u"caf\u00E9"},
        {"change to the Hiragana window", {0x15, 0x82, 0x84}, u"\u3042\u3044"},
        {"define a Cyrillic window", {0x19, 0x08, 0x9F, 'a'}, u"\u041Fa"},
        {"quote from a static window", {0x03, 0x41, 'x'}, u"\u0141x"},
        {"quote one UTF-16 unit", {0x0E, 0x4E, 0x2D, 'z'}, u"\u4E2Dz"},
        {"Unicode mode and back", {0x0F, 0x65, 0xE5, 0x67, 0x2C, 0xE0, 'a'}, u"\u65E5\u672Ca"},
        {"window above the BMP", {0x0B, 0x20, 0x00, 0x80}, u"\U00010000"},
        {"reserved tag", {'a', 0x0C}, std::nullopt},
        {"quote without its byte", {0x01}, std::nullopt},
        {"half a Unicode pair", {0x0F, 0x65}, std::nullopt},
        {"reserved window offset", {0x18, 0x00}, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(fmhost::scsu_expand(c.bytes), c.text) << c.what;
}

} // namespace
