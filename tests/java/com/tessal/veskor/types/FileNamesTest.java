package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;

import com.tessal.veskor.testing.HostHooks;
import com.tessal.veskor.testing.HostObjects;
import java.io.ByteArrayOutputStream;
import java.nio.charset.StandardCharsets;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * File names in a container's FNAM stream, written by one side and read by
 * the other: the stand-in host has its own writer and reader
 * (host/lib/fnam.cpp) with the same mask.
 */
@ExtendWith(HostObjects.class)
class FileNamesTest {
    static Stream<String> names() {
        return Stream.of(
            "notes.txt",
            "Café – résumé.doc",
            "Отчёт за май.txt",
            "日本語の書類.pdf",
            // U+0400 starts the Cyrillic window: its window byte would be 0x80,
            // which masks to '/' and so cannot be stored.
            "Ѐлка.txt",
            // Length bytes of 47 and 128 read as '/' once unmasked.
            "a".repeat(43) + ".txt",
            "b".repeat(124) + ".txt",
            "c".repeat(296) + ".txt",
            "a/b.txt");
    }

    @ParameterizedTest
    @MethodSource("names")
    void aNameWrittenHereReadsBackInTheHost(String name) {
        long value = HostHooks.newValue();
        try {
            FMBinary binary = new FMBinary();
            binary.addDataStream(new byte[] {1, 2, 3}, com.tessal.veskor.QuadChar.FileData);
            binary.setFileName(name);
            assertEquals(name, binary.getFileName());
            binary.writeToData(new FMData(value));
            assertEquals(name, HostHooks.textOf(value), "the host's reading");
        } finally {
            HostHooks.deleteValue(value);
        }
    }

    @ParameterizedTest
    @MethodSource("names")
    void aNameWrittenByTheHostReadsBackHere(String name) throws Exception {
        long value = HostHooks.newValue();
        try {
            HostHooks.setContainer(value, name, new byte[] {1, 2, 3});
            FMBinary binary = (FMBinary) new FMData(value).getFMBinary();
            assertEquals(name, binary.getFileName());
            assertEquals(name, binary.getInputStreamInfo(null).getName());
        } finally {
            HostHooks.deleteValue(value);
        }
    }

    /** An FNAM stream with a folder, as FileMaker stores one; this side and the stand-in host write none. */
    private static byte[] withFolder(String folder, String name) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        out.writeBytes(new byte[] {0, 0, 0, 1, 4, 'f', 'i', 'l', 'e'});
        for (String part : new String[] {folder, name}) {
            out.write(part.length());
            for (byte b : part.getBytes(StandardCharsets.US_ASCII)) {
                out.write(b == '/' ? b : b ^ FileNameStream.MASK);
            }
        }
        return out.toByteArray();
    }

    @Test
    void theNameAfterAFolderKeepsItsFirstCharacter() {
        for (String name : new String[] {"report.txt", "a".repeat(43) + ".txt", "b".repeat(124) + ".txt"}) {
            assertEquals(name, FileNameStream.read(withFolder("C:/Docs/", name)));
        }
    }

    @Test
    void anEmptyStreamHasNoNameAndATruncatedOneIsRefused() {
        assertNull(FileNameStream.read(new byte[0]));
        assertNull(new FMBinary().getFileName());
        IllegalArgumentException e = assertThrows(IllegalArgumentException.class,
            () -> FileNameStream.read(new byte[] {0, 0, 0, 1, 4, 'f', 'i'}));
        assertEquals("FNAM stream of 7 bytes holds no folder or name", e.getMessage());
    }
}
