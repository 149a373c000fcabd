package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;

import com.tessal.veskor.testing.HostHooks;
import com.tessal.veskor.testing.HostObjects;
import java.nio.charset.StandardCharsets;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;

@ExtendWith(HostObjects.class)
class BinaryNativesTest {
    private static final byte[] TEN = {0, 1, 2, 3, 4, 5, 6, 7, 8, (byte) 0xFF};

    private static FMBinary withStreams() {
        FMBinary binary = new FMBinary();
        binary._addStream(binary.cToken, "JPEG", TEN.length, TEN);
        binary._addStream(binary.cToken, "SIZE", 4, new byte[] {0, 10, 0, 20, 99});
        return binary;
    }

    @Test
    void aNewContainerIsEmpty() {
        FMBinary binary = new FMBinary();
        assertEquals(0, binary._getStreamCount(binary.cToken));
        assertEquals(0, binary.getTotalSize());
    }

    @Test
    void streamsKeepTheirOrderTypesAndSizes() {
        FMBinary binary = withStreams();
        assertEquals(2, binary._getStreamCount(binary.cToken));
        assertEquals("JPEG", binary._getTypeForIndex(binary.cToken, 0));
        assertEquals("SIZE", binary._getTypeForIndex(binary.cToken, 1));
        assertEquals(10, binary._getSize(binary.cToken, 0));
        assertEquals(4, binary._getSize(binary.cToken, 1));
        assertEquals(0, binary._getSize(binary.cToken, -1), "an absent type's index");
        assertEquals(14, binary.getTotalSize());
    }

    @Test
    void piecesLandAtTheStartOfTheArray() {
        FMBinary binary = withStreams();
        byte[] piece = new byte[4];
        binary._getData(binary.cToken, 0, 0, 4, piece);
        assertArrayEquals(new byte[] {0, 1, 2, 3}, piece);
        binary._getData(binary.cToken, 0, 4, 4, piece);
        assertArrayEquals(new byte[] {4, 5, 6, 7}, piece);
        binary._getData(binary.cToken, 0, 8, 2, piece);
        assertArrayEquals(new byte[] {8, (byte) 0xFF, 6, 7}, piece);
    }

    @Test
    void piecesOutsideTheStreamOrTheArrayAreRefused() {
        FMBinary binary = withStreams();
        byte[] piece = {9, 9, 9, 9};
        assertThrows(IndexOutOfBoundsException.class, () -> binary._getData(binary.cToken, 0, 8, 4, piece));
        assertThrows(ArrayIndexOutOfBoundsException.class, () -> binary._getData(binary.cToken, 0, 0, 5, piece));
        assertArrayEquals(new byte[] {9, 9, 9, 9}, piece);
        assertThrows(ArrayIndexOutOfBoundsException.class,
            () -> binary._addStream(binary.cToken, "FILE", 5, new byte[4]));
        assertEquals(2, binary._getStreamCount(binary.cToken));
    }

    @Test
    void removingAMissingTypeChangesNothing() {
        FMBinary binary = withStreams();
        binary._removeStream(binary.cToken, "PNGf");
        assertEquals(2, binary._getStreamCount(binary.cToken));
        binary._removeStream(binary.cToken, "JPEG");
        assertEquals(1, binary._getStreamCount(binary.cToken));
        assertEquals("SIZE", binary._getTypeForIndex(binary.cToken, 0));
        binary._removeAllStreams(binary.cToken);
        assertEquals(0, binary._getStreamCount(binary.cToken));
    }

    @Test
    void typesKeepTrailingBlanksAndAnyByte() {
        FMBinary binary = new FMBinary();
        binary._addStream(binary.cToken, "snd ", 1, new byte[] {1});
        binary._addStream(binary.cToken, "\u00A9ab\u00FF", 1, new byte[] {2});
        assertEquals("snd ", binary._getTypeForIndex(binary.cToken, 0));
        assertEquals("\u00A9ab\u00FF", binary._getTypeForIndex(binary.cToken, 1));
        binary._removeStream(binary.cToken, "\u00A9ab\u00FF");
        assertEquals(1, binary._getStreamCount(binary.cToken));
    }

    @Test
    void typesThatAreNotFourByteCharactersAreRefused() {
        FMBinary binary = new FMBinary();
        for (String type : new String[] {"JPG", "JPEGS", "J\u0100PG"}) {
            assertThrows(IllegalArgumentException.class, () -> binary._addStream(binary.cToken, type, 0, new byte[0]));
        }
        assertThrows(NullPointerException.class, () -> binary._removeStream(binary.cToken, null));
        assertEquals(0, binary._getStreamCount(binary.cToken));
    }

    @Test
    void aSecondStreamOfATypeIsRefusedAndTheFirstKept() {
        FMBinary binary = withStreams();
        assertThrows(IllegalStateException.class, () -> binary._addStream(binary.cToken, "JPEG", 1, new byte[] {42}));
        assertEquals(10, binary._getSize(binary.cToken, 0));
    }

    @Test
    void streamReadAsUtf16TextDropsAnOddLastByte() {
        FMBinary binary = new FMBinary();
        byte[] text = "hé😀".getBytes(StandardCharsets.UTF_16LE);
        byte[] odd = new byte[text.length + 1];
        System.arraycopy(text, 0, odd, 0, text.length);
        odd[text.length] = 0x41;
        binary._addStream(binary.cToken, "UTXT", odd.length, odd);
        assertEquals("hé😀", HostHooks.getUnicodeString(binary.cToken, 0));
        assertEquals("", HostHooks.getUnicodeString(binary.cToken, -1));
    }

    @Test
    void containersReadFromAValueAreRegisteredCopies() {
        long token = HostHooks.newValue();
        try {
            FMData value = new FMData(token);
            assertNull(new FMBinary.FMBinaryConverter().convertData(value, FMBinary.class), "empty value");
            withStreams().writeToData(value);
            assertEquals(FMData.kDTBinary, value._getNativeType(token));

            long registered = HostHooks.registeredCount();
            FMBinary copy = (FMBinary) new FMBinary.FMBinaryConverter().convertData(value, FMBinary.class);
            assertEquals(registered + 1, HostHooks.registeredCount());
            assertEquals(2, copy._getStreamCount(copy.cToken));
            copy._removeAllStreams(copy.cToken);
            FMBinary again = (FMBinary) value.getFMBinary();
            assertNotEquals(copy.cToken, again.cToken);
            assertEquals(2, again._getStreamCount(again.cToken), "the value keeps its streams");
        } finally {
            HostHooks.deleteValue(token);
        }
    }
}
