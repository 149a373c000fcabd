package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertInstanceOf;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;

import com.tessal.veskor.FmCalculationException;
import com.tessal.veskor.QuadChar;
import com.tessal.veskor.StubContext;
import com.tessal.veskor.testing.HostObjects;
import java.io.File;
import java.io.FileNotFoundException;
import java.io.IOException;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.Map;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.MethodSource;

/** Containers that refer to files: reading reference texts and finding the file. */
@ExtendWith(HostObjects.class)
class FileReferenceTest {
    private static final byte[] BYTES = "picture".getBytes(StandardCharsets.US_ASCII);

    @ParameterizedTest
    @CsvSource(delimiter = '|', value = {
        "image:pics/a.jpg | true",
        "size:640,480     | true",
        "filemac:/a       | true",
        "moviewin:/C:/a   | true",
        "file             | false",
        "file:            | true",
        "pic:             | false",
        "imag:            | false",
        "sizes:1          | false"})
    void referenceTextsAreToldByTheirStart(String text, boolean valid) {
        assertEquals(valid, FileReference.isValidReferenceString(text));
    }

    @Test
    void shortAndMissingTextsAreNoReferences() {
        assertEquals(false, FileReference.isValidReferenceString(null));
        assertEquals(false, FileReference.isValidReferenceString("file"));
        NullPointerException e = assertThrows(NullPointerException.class, () -> new FileReference(null));
        assertEquals("referenceInfo must not be null.", e.getMessage());
        assertThrows(NumberFormatException.class, () -> new FileReference("size:wide,480"));
    }

    static Stream<Arguments> references() {
        return Stream.of(
            Arguments.of("size:640,480\rimage:pics/a.jpg", 640, 480, 1, "pics/a.jpg", null, null),
            Arguments.of("size:640,480\nimage:pics/a.jpg", 640, 480, 1, "pics/a.jpg", null, null),
            Arguments.of("size:10,20", 10, 20, -1, null, null, null),
            Arguments.of("moviemac:/m.mov\rmoviewin:/C:/m.mov\rmovie:m.mov", 0, 0, 2, "m.mov", "/m.mov", "/C:/m.mov"),
            Arguments.of("file=x.txt\rimage:y.jpg", 0, 0, 0, "x.txt", null, null),
            Arguments.of("file:My%20Notes/a%20b.txt", 0, 0, 0, "My Notes/a b.txt", null, null),
            Arguments.of("image:My%20Pics/a.jpg", 0, 0, 1, "My%20Pics/a.jpg", null, null));
    }

    @ParameterizedTest
    @MethodSource("references")
    void aReferenceTextGivesSizeTypeAndPaths(String text, int width, int height, int type, String generic,
        String mac, String win) {
        FileReference reference = new FileReference(text);
        assertEquals(width, reference.getWidth());
        assertEquals(height, reference.getHeight());
        assertEquals(type, reference.getType());
        assertEquals(type == -1 ? List.of() : List.of(QuadChar.FileData), reference.getStreamTypes());
        assertEquals(type == -1 ? null : QuadChar.FileData, reference.getBestQuadChar());
        assertEquals("FileReference{width=" + width + ", height=" + height + ", genericPath='" + generic + "'"
            + ", macPath='" + mac + "', winPath='" + win + "', type=" + type + ", file=null}", reference.toString());
        assertEquals(text, reference.asString());
    }

    @Test
    void anAbsolutePathNamesTheFile(@TempDir Path dir) throws IOException {
        File file = Files.write(dir.resolve("a b.jpg"), BYTES).toFile();
        for (String text : new String[] {"image:" + file, "file:" + file.getPath().replace(" ", "%20")}) {
            FileReference reference = new FileReference(text);
            assertEquals(file, reference.getFile());
            assertEquals("a b.jpg", reference.getFileName());
            assertEquals(BYTES.length, reference.getTotalSize());
            try (InputStream in = reference.getStreamForType(QuadChar.ImageJPEG)) {
                assertArrayEquals(BYTES, in.readAllBytes());
            }
        }
    }

    @Test
    void aRelativePathIsFoundBesideTheDatabaseFile(@TempDir Path dir) throws IOException {
        Files.createDirectories(dir.resolve("pics"));
        File file = Files.write(dir.resolve("pics/a.jpg"), BYTES).toFile();
        StubContext solution = new StubContext(Map.of("Get(FilePath)", "file:" + dir.resolve("Demo.fmp12")));
        FileReference reference = new FileReference("size:640,480\rimage:pics/a.jpg");

        assertNull(reference.getFile(), "no absolute path");
        assertEquals(0, reference.getTotalSize());
        assertNull(reference.getBestInputStream());
        assertEquals(file, reference.getFile(solution));
        InputStreamInfo info = reference.getInputStreamInfo(solution);
        assertEquals("a.jpg", info.getName());
        assertEquals(BYTES.length, info.getLength());
        try (InputStream in = info.getStream()) {
            assertArrayEquals(BYTES, in.readAllBytes());
        }
        assertEquals(file, reference.getFile(), "the file, once found, is kept");
    }

    @Test
    void aReferenceToNoFileOrAFolderCannotBeRead(@TempDir Path dir) throws IOException {
        Files.createDirectories(dir.resolve("pics"));
        StubContext solution = new StubContext(Map.of("Get(FilePath)", "file:" + dir.resolve("Demo.fmp12")));
        StubContext noPath = new StubContext(Map.of("Get(FilePath)", "Demo.fmp12"));

        FileNotFoundException missing = assertThrows(FileNotFoundException.class,
            () -> new FileReference("image:pics/none.jpg").getInputStreamInfo(solution));
        assertEquals("File not found", missing.getMessage());
        assertNull(new FileReference("image:pics/none.jpg").getFile(noPath));
        assertThrows(FileNotFoundException.class,
            () -> new FileReference("image:pics/none.jpg").getInputStreamInfo(noPath));
        RuntimeException failed = assertThrows(RuntimeException.class,
            () -> new FileReference("image:pics/none.jpg").getFile(new StubContext(Map.of())));
        assertInstanceOf(FmCalculationException.class, failed.getCause());

        IllegalStateException folder = assertThrows(IllegalStateException.class,
            () -> new FileReference("image:pics").getInputStreamInfo(solution));
        assertEquals("File " + dir.resolve("pics") + " is a directory", folder.getMessage());
    }

    @Test
    void aReferenceTakesNoStreams() {
        FileReference reference = new FileReference("image:/a.jpg");
        AbstractMethodError sound = assertThrows(AbstractMethodError.class, () -> reference.setSoundData(new byte[1]));
        assertEquals("com.tessal.veskor.types.FileReference.setSoundData method not implemented.", sound.getMessage());
        AbstractMethodError data = assertThrows(AbstractMethodError.class,
            () -> reference.addDataStream(new byte[1], QuadChar.FileData));
        assertEquals("com.tessal.veskor.types.FileReference.addDataStream method not implemented.", data.getMessage());
    }
}
