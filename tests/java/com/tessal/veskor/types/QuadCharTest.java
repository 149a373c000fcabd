package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tessal.veskor.QuadChar;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** Four-character type codes, without natives. */
class QuadCharTest {
    @ParameterizedTest
    @CsvSource({
        "photo.JPG, JPEG", "photo.jpeg, JPEG", "anim.gif, GIFf", "REPORT.PDF, 'PDF '", "p.png, PNGf",
        "b.bmp, 'BMP '", "old.pict, PICT", "print.ps, 'EPS '", "eps, 'EPS '", "notes.txt, FILE", "'', FILE",
    })
    void fileNamesChooseATypeByTheirEnding(String name, String code) {
        assertEquals(code, QuadChar.forFilename(name).toString());
    }

    @Test
    void mimeTypesChooseAsFileNamesWould() {
        assertSame(QuadChar.ImageJPEG, QuadChar.forMimeType("image/jpeg"));
        assertSame(QuadChar.ImagePDF, QuadChar.forMimeType("application/pdf"));
        assertSame(QuadChar.FileData, QuadChar.forMimeType("text/plain"));
        assertNull(QuadChar.forMimeType("jpeg"));
        assertNull(QuadChar.forMimeType(null));
        assertEquals("filename must not be null.",
            assertThrows(NullPointerException.class, () -> QuadChar.forFilename(null)).getMessage());
    }

    @Test
    void codesCompareByValueButOnlyTheConstantsAreImages() {
        QuadChar made = new QuadChar("JPEG");
        assertEquals(QuadChar.ImageJPEG, made);
        assertEquals(QuadChar.ImageJPEG.hashCode(), made.hashCode());
        assertTrue(QuadChar.ImageJPEG.isImage());
        assertFalse(made.isImage());
        assertFalse(QuadChar.ImagePDF.isImage());
        assertFalse(made.equals(null));
        assertFalse(made.equals("JPEG"));
        assertNull(made.getMimeType());
    }

    @Test
    void mimeTypesDefaultToUnknown() {
        assertEquals("image/png", QuadChar.ImagePng.getMimeType());
        assertEquals("application/unknown", QuadChar.FileName.getMimeType());
        assertEquals("application/unknown", new QuadChar('a', 'b', 'c', 'd', null).getMimeType());
        assertEquals("snd ", QuadChar.Sound.toString());
    }

    @Test
    void onlyFourCharactersMakeACode() {
        assertEquals("You tried to create a QuadChar with a string of length: 3",
            assertThrows(IllegalArgumentException.class, () -> new QuadChar("JPG")).getMessage());
    }
}
