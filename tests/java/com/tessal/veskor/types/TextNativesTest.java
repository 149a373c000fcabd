package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tessal.veskor.HostFailureException;
import com.tessal.veskor.testing.HostHooks;
import com.tessal.veskor.testing.HostObjects;
import java.io.IOException;
import java.io.Reader;
import java.io.StringReader;
import java.util.ArrayDeque;
import java.util.Arrays;
import java.util.Deque;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

@ExtendWith(HostObjects.class)
class TextNativesTest {
    /** A source that hands out its text in the given pieces, one per read, and notes whether it was closed. */
    static final class PieceReader extends Reader {
        private final Deque<String> pieces;
        private final boolean failAtEnd;
        boolean closed;

        PieceReader(boolean failAtEnd, String... pieces) {
            this.pieces = new ArrayDeque<>(Arrays.asList(pieces));
            this.failAtEnd = failAtEnd;
        }

        @Override
        public int read(char[] cbuf, int off, int len) throws IOException {
            if (pieces.isEmpty()) {
                if (failAtEnd) {
                    throw new IOException("source broke");
                }
                return -1;
            }
            String piece = pieces.poll();
            piece.getChars(0, piece.length(), cbuf, off);
            return piece.length();
        }

        @Override
        public void close() {
            closed = true;
        }
    }

    private static String contents(FMText text) {
        char[] chars = new char[(int) text.getTextLength()];
        text.readCharArray(0, chars, 0, chars.length);
        return new String(chars);
    }

    @Test
    void createdTextsEndBeforeAFirstU0000() {
        assertEquals(0, new FMText("").getTextLength());
        assertEquals(0, new FMText((String) null).getTextLength());
        FMText cut = new FMText("ab\u0000cd");
        assertEquals(2, cut.getTextLength());
        assertEquals("ab", contents(cut));
        assertEquals("x😀y", contents(new FMText("x😀y")));
    }

    @Test
    void appendingCharactersTakesTheGivenRange() {
        FMText text = new FMText("12");
        char[] chars = "abcde".toCharArray();
        text._appendCharArray(text.cToken, chars, 0, 0);
        assertEquals("12", contents(text));
        text._appendCharArray(text.cToken, chars, 3, 2);
        assertEquals("12de", contents(text));
    }

    @Test
    void rangesOutsideTheArrayAreRefusedAndChangeNothing() {
        FMText text = new FMText("12");
        char[] chars = "abcde".toCharArray();
        assertThrows(ArrayIndexOutOfBoundsException.class, () -> text._appendCharArray(text.cToken, chars, 4, 2));
        assertThrows(ArrayIndexOutOfBoundsException.class, () -> text._appendCharArray(text.cToken, chars, -1, 1));
        assertThrows(NullPointerException.class, () -> text._appendCharArray(text.cToken, null, 0, 0));
        char[] into = "......".toCharArray();
        assertThrows(ArrayIndexOutOfBoundsException.class, () -> text.readCharArray(0, into, 5, 2));
        assertEquals("12", contents(text));
        assertEquals("......", new String(into));
    }

    @Test
    void copyingOutFillsFromTheOffsetAndStopsAtTheEnd() {
        FMText text = new FMText("hello");
        char[] into = "......".toCharArray();
        text.readCharArray(1, into, 2, 3);
        assertEquals("..ell.", new String(into));
        text.readCharArray(3, into, 0, 6); // two units left in the text
        assertEquals("loell.", new String(into));
    }

    @Test
    void appendingATextPutsItLast() {
        FMText text = new FMText("abc");
        text.appendText(new FMText("de"));
        assertEquals(5, text.getTextLength());
        assertEquals("abcde", contents(text));
    }

    static Stream<Arguments> lineEnds() {
        return Stream.of(
            Arguments.of(new String[] {"a\r\nb\nc\rd"}, "a\rb\rc\rd"),
            Arguments.of(new String[] {"\n\n"}, "\r\r"),
            Arguments.of(new String[] {"a\r", "\nb"}, "a\rb"),
            Arguments.of(new String[] {"a\r", "\r\nb"}, "a\r\rb"),
            Arguments.of(new String[] {"a\n", "\nb\r"}, "a\r\rb\r"),
            Arguments.of(new String[] {}, ""));
    }

    @ParameterizedTest
    @MethodSource("lineEnds")
    void readersLineEndsBecomeCarriageReturns(String[] pieces, String expected) throws IOException {
        PieceReader source = new PieceReader(false, pieces);
        FMText text = new FMText(source);
        assertEquals(expected, contents(text));
        assertTrue(source.closed);
    }

    @Test
    void aFailingSourceIsClosedAndItsFailureGoesOn() {
        PieceReader source = new PieceReader(true, "abc");
        assertEquals("source broke", assertThrows(IOException.class, () -> new FMText(source)).getMessage());
        assertTrue(source.closed);
        PieceReader unread = new PieceReader(false, "abc");
        HostHooks.injectFailure("FM_Text_Constructor1", 1, 0);
        assertThrows(HostFailureException.class, () -> new FMText(unread));
        assertTrue(unread.closed, "closed although no text could be made");
        assertEquals("You cannot supply a null reader",
            assertThrows(IllegalArgumentException.class, () -> new FMText((Reader) null)).getMessage());
    }

    @Test
    void aSourceLongerThanOneBufferArrivesWhole() throws IOException {
        StringBuilder source = new StringBuilder();
        while (source.length() < FMText.READ_BUFFER_SIZE + 1000) {
            source.append("line\r\n");
        }
        FMText text = new FMText(new StringReader(source.toString()));
        assertEquals(source.toString().replace("\r\n", "\r"), contents(text));
    }

    @Test
    void readerHandsOutTheTextInPieces() throws IOException {
        FMTextReader reader = new FMTextReader(new FMText("0123456789"));
        char[] buffer = new char[4];
        StringBuilder read = new StringBuilder();
        int[] counts = new int[4];
        for (int i = 0; i < counts.length; i++) {
            counts[i] = reader.read(buffer, 0, buffer.length);
            if (counts[i] > 0) {
                read.append(buffer, 0, counts[i]);
            }
        }
        assertArrayEquals(new int[] {4, 4, 2, -1}, counts);
        assertEquals("0123456789", read.toString());
    }

    @Test
    void readerSkipsButNotPastTheEnd() throws IOException {
        FMTextReader reader = new FMTextReader(new FMText("0123456789"));
        assertEquals(10, reader.getLength());
        assertEquals(3, reader.skip(3));
        char[] buffer = new char[2];
        assertEquals(2, reader.read(buffer, 0, 2));
        assertEquals("34", new String(buffer));
        assertEquals(5, reader.skip(100));
        assertEquals(0, reader.skip(1));
        assertEquals(-1, reader.read(buffer, 0, 2));
        assertThrows(IllegalArgumentException.class, () -> reader.skip(-1));
    }

    @Test
    void textOfItsOwnWritesItselfIntoAValue() {
        FMText text = new FMText("made here");
        assertEquals("made here", text.getAsString());
        assertEquals("made here", text.toString());
        long token = HostHooks.newValue();
        try {
            text.writeToData(new FMData(token));
            assertEquals("made here", HostHooks.textOf(token));
            assertEquals(FMData.kDTText, new FMData(token)._getNativeType(token));
        } finally {
            HostHooks.deleteValue(token);
        }
    }

    @Test
    void stylesAttachToRangesOfAText() {
        FMText text = new FMText("plain bold");
        FMCharacterStyle bold = new FMCharacterStyle(7, FMCharacterStyle.Face_Bold, 14);
        text.setStyle(bold, 6, 4);
        FMCharacterStyle read = text.getStyle(7);
        assertEquals(FMCharacterStyle.Face_Bold, read.getFace());
        assertEquals(7, read.getFontID());
        assertEquals(14, read.getFontSize());
        assertEquals(FMCharacterStyle.Face_Plain, text.getStyle(0).getFace());
        assertEquals(FMCharacterStyle.Face_Plain, text.getDefaultStyle().getFace());
    }

    @Test
    void styleFacesAndSizesAreUnsigned16BitValues() {
        FMCharacterStyle style = new FMCharacterStyle();
        style.setFace(32768);
        assertEquals(32768, style.getFace());
        style.setFontSize(65535);
        assertEquals(65535, style.getFontSize());
        style.setFontID(65536 + 3);
        assertEquals(3, style.getFontID());
        style.setFaces("Bold+Italic");
        assertEquals(768, style.getFace());
    }

    @Test
    void colourChannelsKeepTheirLowEightBits() {
        FMCharacterStyle style = new FMCharacterStyle(5, FMCharacterStyle.Face_Italic, 11);
        style.setColor(300, -1, 7, 256);
        assertArrayEquals(new int[] {44, 255, 7, 0}, HostHooks.colorOf(style.cToken));
        assertEquals(0, HostHooks.getColor(style.cToken), "the colour is never read back");
        assertEquals("FMCharacterStyle{face=512, fontID=5, fontSize=11, red=300, green=-1, blue=7, alpha=256, cToken="
            + style.cToken + "}", style.toString());
    }

    @Test
    void stringConverterTurnsCarriageReturnsIntoLineFeeds() {
        Converter strings = new FMText.StringConverter();
        long token = HostHooks.newValue();
        try {
            FMData value = new FMData(token);
            assertNull(strings.convertData(value, String.class), "empty value");
            HostHooks.setText(token, "x\ry");
            assertEquals("x\ny", strings.convertData(value, String.class));

            StringBuilder longText = new StringBuilder();
            while (longText.length() <= FMText.LONG_TEXT + FMText.LONG_TEXT_PIECE) {
                longText.append("row\r");
            }
            HostHooks.setText(token, longText.toString());
            assertEquals(longText.toString().replace('\r', '\n'), strings.convertData(value, String.class));
        } finally {
            HostHooks.deleteValue(token);
        }
    }
}
