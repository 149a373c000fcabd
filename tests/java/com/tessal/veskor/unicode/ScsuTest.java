package com.tessal.veskor.unicode;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import java.util.HexFormat;
import java.util.Random;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;
import org.junit.jupiter.params.provider.ValueSource;

class ScsuTest {
    private static byte[] hex(String spaced) {
        return HexFormat.of().parseHex(spaced.replace(" ", ""));
    }

    private static String roundTrip(String text) throws Exception {
        return new Expand().expand(new Compress().compress(text));
    }

    /** Texts that need no new window have a single best encoding. */
    static Stream<Arguments> knownEncodings() {
        return Stream.of(
            Arguments.of("", ""),
            Arguments.of("report.txt", "72 65 70 6F 72 74 2E 74 78 74"),
            Arguments.of("Öl fließt", "D6 6C 20 66 6C 69 65 DF 74"),
            Arguments.of("Москва", "12 9C BE C1 BA B2 B0"),
            Arguments.of("a\u0001b", "61 01 01 62"));
    }

    @ParameterizedTest
    @MethodSource("knownEncodings")
    void compressesToKnownBytesAndBack(String text, String bytes) throws Exception {
        assertArrayEquals(hex(bytes), new Compress().compress(text));
        assertEquals(text, new Expand().expand(hex(bytes)));
    }

    @ParameterizedTest
    @ValueSource(strings = {
        "report.txt",
        "Café Crème – Ærøskøbing Straße.pdf",
        "Привет, мир! Отчёт №5.docx",
        "東京の写真とリンゴ可愛いや.jpg",
        "ｶﾀｶﾅ ﾃｽﾄ and Ελληνικά and 한국어 파일",
        "Gothic 𐌰𐌱𐌲 and emoji 😀😁 mixed with 漢字",
        "private \uE000\uE001 \uF200 use",
        "tabs\tand\r\nnewlines\u0000\u001F\u007F",
    })
    void namesSurviveARoundTrip(String name) throws Exception {
        assertEquals(name, roundTrip(name));
    }

    /** Byte sequences built by hand from the standard's tag and window tables. */
    static Stream<Arguments> decodings() {
        return Stream.of(
            Arguments.of("05 19", "\u2019"),                  // SQ4 from static window 0x2000
            Arguments.of("03 81 41", "\u0401A"),              // SQ2 from dynamic window 0x0400, no switch
            Arguments.of("0E 4E 00 41", "一A"),               // SQU
            Arguments.of("0F 4E 00 6F 22 E0 41", "一漢A"),     // SCU, Unicode mode, UC0
            Arguments.of("0F F0 E0 00 E1 41", "\uE000A"),     // UQU for a unit that looks like a tag
            Arguments.of("1B F9 80", "À"),                    // SD3, fixed offset 0x00C0
            Arguments.of("1C 68 80 FF", "\uE000\uE07F"),      // SD4, offset past the gap
            Arguments.of("1D 67 FF", "\u33FF"),               // SD5, last offset before the gap
            Arguments.of("0B 20 00 80", "\uD800\uDC00"),      // SDX window 1 at 0x10000
            Arguments.of("0F E9 0C 81", "\u0601"),            // UD1 back to single-byte mode
            Arguments.of("0F F1 5F FF FF", "\uDBFF\uDFFF"));  // UDX window 2 at 0x10FF80
    }

    @ParameterizedTest
    @MethodSource("decodings")
    void decodesEachTag(String bytes, String text) throws Exception {
        assertEquals(text, new Expand().expand(hex(bytes)));
    }

    static Stream<Arguments> truncatedOrReserved() {
        return Stream.of(
            Arguments.of("41 0F 4E", EndOfInputException.class),     // inside a Unicode-mode pair
            Arguments.of("41 03", EndOfInputException.class),        // right after SQ2
            Arguments.of("41 0C 42", IllegalInputException.class),   // reserved tag
            Arguments.of("0F F2 00 41", IllegalInputException.class),// reserved tag in Unicode mode
            Arguments.of("1A 00 80", IllegalInputException.class),   // reserved window offset 0x00
            Arguments.of("1A A8 80", IllegalInputException.class),   // reserved window offset range
            Arguments.of("1A F8 80", IllegalInputException.class));
    }

    @ParameterizedTest
    @MethodSource("truncatedOrReserved")
    void refusesTruncatedOrReservedInput(String bytes, Class<? extends Exception> expected) {
        assertThrows(expected, () -> new Expand().expand(hex(bytes)));
    }

    @ParameterizedTest
    @ValueSource(strings = {"41 1A", "41 1A F9", "41 0E", "41 0E 4E", "41 0B 20", "41 0F E9", "41 0F F0 4E"})
    void dropsACutOffDefinitionOrQuotedUnit(String bytes) throws Exception {
        assertEquals("A", new Expand().expand(hex(bytes)));
    }

    @Test
    void expandKeepsWindowsUntilReset() throws Exception {
        Expand expand = new Expand();
        assertEquals("Ѐ", expand.expand(hex("19 08 80")));  // SD1 at 0x0400
        assertEquals("Ё", expand.expand(hex("81")));
        expand.reset();
        assertEquals("\u0081", expand.expand(hex("81")));
    }

    @Test
    void emptyInputBothWays() throws Exception {
        assertEquals(0, new Compress().compress("").length);
        assertEquals("", new Expand().expand(new byte[0]));
    }

    @Test
    void unpairedSurrogatesAreRefused() {
        String[][] cases = {
            {"a\uD800", "Unpaired high surrogate: \uD800"},
            {"\uD801b", "Unpaired high surrogate: \uD801"},
            {"\uD802\uD803\uDC00", "Unpaired high surrogate: \uD802"},
            {"a\uDC00b", "Unpaired low surrogate: \uDC00"},
            {"\uDFFF\uD800", "Unpaired low surrogate: \uDFFF"},
        };
        for (String[] c : cases) {
            IllegalInputException e =
                assertThrows(IllegalInputException.class, () -> new Compress().compress(c[0]));
            assertEquals(c[1], e.getMessage());
        }
    }

    @Test
    void eachNewWindowTakesTheNextIndex() throws Exception {
        // Thai lies in no initial or static window, so each compression defines one.
        String thai = "สวัสดี";
        byte[] first = new Compress().compress(thai);
        byte[] second = new Compress().compress(thai);
        int firstWindow = first[0] - 0x18;
        int secondWindow = second[0] - 0x18;
        assertEquals((firstWindow + 1) % 8, secondWindow);
        assertEquals(thai, new Expand().expand(first));
        assertEquals(thai, new Expand().expand(second));
    }

    @Test
    void windowHungryTextsKeepDecodingAsTheCounterMoves() throws Exception {
        String hungry = "ไทย ქართ ሀሁ ᏣᎳ ᚠᚢ ក្ម ΑΒΓ Հայ 𐌰𐌱 😀😃 ไทย ΑΒ ქა ᚠᚢ 𐌰 😀";
        Compress compress = new Compress();
        for (int i = 0; i < 10; i++) {
            assertEquals(hungry, new Expand().expand(compress.compress(hungry)));
        }
    }

    @Test
    void randomBytesOnlyDecodeOrRaiseDeclaredErrors() {
        int[] tags = {0x00, 0x01, 0x08, 0x0B, 0x0C, 0x0E, 0x0F, 0x10, 0x17, 0x18, 0x1F,
                      0xE0, 0xE7, 0xE8, 0xEF, 0xF0, 0xF1, 0xF2, 0xF9, 0xFF};
        Random random = new Random(20240611L);
        Expand carried = new Expand();
        for (int i = 0; i < 5000; i++) {
            byte[] bytes = new byte[random.nextInt(40)];
            for (int j = 0; j < bytes.length; j++) {
                bytes[j] = (byte) (random.nextBoolean() ? tags[random.nextInt(tags.length)] : random.nextInt(256));
            }
            expandAllowingDeclaredErrors(new Expand(), bytes);
            expandAllowingDeclaredErrors(carried, bytes);
        }
    }

    private static void expandAllowingDeclaredErrors(Expand expand, byte[] bytes) {
        try {
            expand.expand(bytes);
        } catch (IllegalInputException | EndOfInputException expected) {
            // Any other throwable fails the test.
        }
    }

    @Test
    void randomTextsSurviveARoundTrip() throws Exception {
        int[][] ranges = {
            {0x00, 0x7F}, {0x80, 0x24F}, {0x370, 0x3FF}, {0x400, 0x4FF}, {0x600, 0x6FF},
            {0xE00, 0xE7F}, {0x2000, 0x206F}, {0x3000, 0x30FF}, {0x4E00, 0x9FFF},
            {0xAC00, 0xD7A3}, {0xE000, 0xF8FF}, {0xFF00, 0xFFFF}, {0x10000, 0x1034F},
            {0x1F300, 0x1F64F}, {0x10000, 0x10FFFF},
        };
        Random random = new Random(6L);
        Compress compress = new Compress();
        for (int i = 0; i < 3000; i++) {
            StringBuilder text = new StringBuilder();
            int length = random.nextInt(30);
            // Most texts stay within a few ranges, as real names do.
            int[] palette = {random.nextInt(ranges.length), random.nextInt(ranges.length), random.nextInt(ranges.length)};
            for (int j = 0; j < length; j++) {
                int[] range = ranges[palette[random.nextInt(palette.length)]];
                text.appendCodePoint(range[0] + random.nextInt(range[1] - range[0] + 1));
            }
            String expected = text.toString();
            assertEquals(expected, new Expand().expand(compress.compress(expected)), () -> "text " + expected);
        }
    }
}
