// UTF-8 and UTF-16 conversions and the character operations the text
// functions need. Text is UTF-8 inside the engine; functions that count or
// cut characters work on code points, as FileMaker counts characters.
#ifndef CALC_UTF8_H
#define CALC_UTF8_H

#include <string>
#include <string_view>

namespace calc::utf8 {

// Code points of UTF-8 text; every malformed byte becomes U+FFFD.
std::u32string decode(std::string_view text);
std::string encode(std::u32string_view text);
void append(std::string& out, char32_t c);

// UTF-16 both ways; an unpaired surrogate becomes U+FFFD.
std::string fromUtf16(std::u16string_view text);
std::u16string toUtf16(std::string_view text);

// Number of characters (code points) in UTF-8 text.
std::size_t length(std::string_view text);

// Simple one-to-one case mappings for Latin, Greek and Cyrillic letters.
char32_t lower(char32_t c);
char32_t upper(char32_t c);
std::u32string lower(std::u32string_view text);
std::u32string upper(std::u32string_view text);

bool isLetter(char32_t c);
bool isDigit(char32_t c);

// East Asian wide and full-width characters (CJK ideographs, kana, Hangul,
// full-width forms, most emoji): the "non-Roman" characters of TrimAll, and
// the ones a terminal shows two columns wide.
bool isEastAsian(char32_t c);
// Columns a terminal gives the character: 2 for the wide ones above, 0 for
// combining marks and other zero-width characters, 2 for a control
// character (a line editor shows it as ^X), else 1.
int columns(char32_t c);
// Columns of UTF-8 text.
std::size_t columns(std::string_view text);

}  // namespace calc::utf8

#endif
