package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tessal.veskor.QuadChar;
import com.tessal.veskor.testing.HostObjects;
import java.awt.Color;
import java.awt.image.BufferedImage;
import java.io.IOException;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.util.List;
import java.util.Set;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** Containers built on this side: their streams, best stream, size and reading in pieces. */
@ExtendWith(HostObjects.class)
class ContainersTest {
    private static final byte[] TEN = {(byte) 0xFF, 1, 2, 3, 4, 5, 6, 7, 8, 9};

    static List<String> types(FMBinaryInterface binary) {
        return binary.getStreamTypes().stream().map(QuadChar::toString).collect(Collectors.toList());
    }

    static byte[] stream(FMBinaryInterface binary, QuadChar type) throws IOException {
        try (InputStream in = binary.getStreamForType(type)) {
            return in.readAllBytes();
        }
    }

    static Stream<Arguments> plainFiles() {
        return Stream.of(
            Arguments.of("notes.txt", "Dear diary,\r\n".getBytes(StandardCharsets.US_ASCII)),
            Arguments.of("a.pdf", "%PDF-1.4\n%%EOF\n".getBytes(StandardCharsets.US_ASCII)));
    }

    @ParameterizedTest
    @MethodSource("plainFiles")
    void textAndPdfAreOneFileStreamWithTheName(String name, byte[] bytes) throws IOException {
        FMBinary binary = FMBinary.fmBinaryForData(bytes, name, null);
        assertEquals(List.of("FILE", "FNAM"), types(binary));
        assertEquals(QuadChar.FileData, binary.getBestQuadChar());
        assertEquals(name, binary.getFileName());
        assertArrayEquals(bytes, stream(binary, QuadChar.FileData));

        InputStreamInfo info = binary.getInputStreamInfo(null);
        assertEquals(name, info.getName());
        assertEquals(bytes.length, info.getLength());
        assertArrayEquals(bytes, info.getStream().readAllBytes());
        assertEquals(name, binary.asString(), "the host's text of the container");
    }

    @Test
    void aPngWithTransparencyGetsItsSizeAndAJpegRenderingOnWhite() throws IOException {
        byte[] png = TestImages.encode(TestImages.halves(40, 30, BufferedImage.TYPE_INT_ARGB), "png");
        FMBinary binary = FMBinary.fmBinaryForData(png, "p.png", null);

        assertEquals(Set.of("PNGf", "SIZE", "JPEG", "FNAM"), Set.copyOf(types(binary)));
        assertEquals(4, binary.getStreamTypes().size());
        assertEquals(QuadChar.ImagePng, binary.getBestQuadChar());
        assertEquals(40, binary.getWidth());
        assertEquals(30, binary.getHeight());
        assertEquals("p.png", binary.getFileName());
        assertArrayEquals(png, stream(binary, QuadChar.ImagePng));

        BufferedImage jpeg = TestImages.decode(stream(binary, QuadChar.ImageJPEG));
        assertEquals(40, jpeg.getWidth());
        assertEquals(30, jpeg.getHeight());
        assertTrue(TestImages.near(jpeg, 5, 15, Color.WHITE), "white where the PNG is transparent");
        assertTrue(TestImages.near(jpeg, 35, 15, TestImages.BLUE));
    }

    @Test
    void aJpegStaysOneJpegStream() throws IOException {
        byte[] jpeg = TestImages.encode(TestImages.halves(20, 10, BufferedImage.TYPE_INT_RGB), "jpg");
        FMBinary binary = FMBinary.fmBinaryForData(jpeg, "photo.bin", "image/jpeg");
        assertEquals(List.of("JPEG", "SIZE", "FNAM"), types(binary));
        assertArrayEquals(jpeg, stream(binary, QuadChar.ImageJPEG));
        assertEquals(20, binary.getWidth());
        assertEquals(10, binary.getHeight());
        assertEquals("photo.bin", binary.getFileName());
    }

    @Test
    void bytesThatAreNoImageAreKeptAsAFileStream() throws IOException {
        byte[] broken = {1, 2, 3};
        FMBinary binary = FMBinary.fmBinaryForData(broken, "broken.png", null);
        assertEquals(List.of("FILE", "FNAM"), types(binary));
        assertArrayEquals(broken, stream(binary, QuadChar.FileData));
    }

    static Stream<Arguments> images() {
        return Stream.of(
            Arguments.of(BufferedImage.TYPE_INT_ARGB, null, "image.jpg", Set.of("FNAM", "JPEG", "SIZE")),
            Arguments.of(BufferedImage.TYPE_INT_RGB, "", "image.jpg", Set.of("FNAM", "JPEG", "SIZE")),
            Arguments.of(BufferedImage.TYPE_INT_RGB, "chart", "chart.jpg", Set.of("FNAM", "JPEG", "SIZE")),
            Arguments.of(BufferedImage.TYPE_INT_ARGB, "chart.png", "chart.png", Set.of("FNAM", "PNGf", "JPEG", "SIZE")),
            Arguments.of(BufferedImage.TYPE_INT_ARGB, "chart.bmp", "chart.bmp", Set.of("FNAM", "BMP ", "JPEG", "SIZE")));
    }

    @ParameterizedTest
    @MethodSource("images")
    void anImageIsEncodedInTheFormatOfItsName(int imageType, String name, String storedName, Set<String> streams)
        throws IOException {
        FMBinary binary = FMBinary.fmBinaryForImage(TestImages.halves(32, 16, imageType), name);
        assertEquals(storedName, binary.getFileName());
        assertEquals(streams, Set.copyOf(types(binary)));
        assertEquals(32, binary.getWidth());
        assertEquals(16, binary.getHeight());
        // JPEG and BMP hold no transparency: such an image is drawn on white.
        BufferedImage best = TestImages.decode(stream(binary, binary.getBestQuadChar()));
        assertEquals(32, best.getWidth());
        assertTrue(TestImages.near(best, 28, 8, TestImages.BLUE));
    }

    @Test
    void imagesTooLargeOrNamedAsNoImageAreRefused() throws IOException {
        IllegalArgumentException wide = assertThrows(IllegalArgumentException.class,
            () -> FMBinary.fmBinaryForImage(new BufferedImage(40000, 1, BufferedImage.TYPE_BYTE_BINARY), "wide.png"));
        assertEquals("Image dimension(s) exceed maximum of 32767 pixels", wide.getMessage());
        IllegalArgumentException text = assertThrows(IllegalArgumentException.class,
            () -> FMBinary.fmBinaryForImage(new BufferedImage(1, 1, BufferedImage.TYPE_INT_RGB), "notes.txt"));
        assertEquals("File notes.txt is not an image", text.getMessage());
        assertNull(FMBinary.fmBinaryForImage(null, "x.png"));
    }

    @Test
    void addingAStreamOfAnExistingTypeReplacesIt() throws IOException {
        FMBinary binary = new FMBinary();
        binary.addDataStream(new byte[] {1, 2, 3}, QuadChar.FileData);
        binary.setSoundData(new byte[] {7});
        binary.setFileName("old.txt");
        binary.addDataStream(new byte[] {4, 5}, QuadChar.FileData);
        binary.setFileName("new.txt");
        assertEquals(List.of("snd ", "FILE", "FNAM"), types(binary));
        assertArrayEquals(new byte[] {4, 5}, stream(binary, QuadChar.FileData));
        assertEquals("new.txt", binary.getFileName());
    }

    @Test
    void aStreamReadsInPiecesUpToItsEnd() {
        FMBinary binary = new FMBinary();
        binary.addDataStream(TEN, QuadChar.FileData);
        FMBinary.FMContainerInputStream in = binary.getStreamForType(QuadChar.FileData);
        assertEquals(10, in.getLength());
        byte[] four = new byte[4];
        assertEquals(4, in.read(four, 0, 4));
        assertArrayEquals(new byte[] {(byte) 0xFF, 1, 2, 3}, four);
        assertEquals(4, in.read(four, 0, 4));
        assertEquals(2, in.read(four, 0, 4));
        assertArrayEquals(new byte[] {8, 9, 6, 7}, four);
        assertEquals(-1, in.read(four, 0, 4));

        in.reset();
        assertEquals(255, in.read(), "a byte read singly is unsigned");
        byte[] six = {-1, -1, -1, -1, -1, -1};
        assertEquals(4, in.read(six, 2, 4));
        assertArrayEquals(new byte[] {-1, -1, 1, 2, 3, 4}, six);
        assertEquals(0, in.read(six, 0, 0));
        assertEquals(0, in.skip(-3));
        assertEquals(5, in.skip(100));
        assertEquals(0, in.available());
        assertEquals(-1, in.read());
    }

    @Test
    void badReadsAreRefusedAndLeaveThePositionAlone() {
        FMBinary binary = new FMBinary();
        binary.addDataStream(TEN, QuadChar.FileData);
        FMBinary.FMContainerInputStream in = binary.getStreamForType(QuadChar.FileData);
        for (int[] offLen : new int[][] {{-1, 2}, {0, -2}}) {
            IllegalArgumentException e = assertThrows(IllegalArgumentException.class,
                () -> in.read(new byte[4], offLen[0], offLen[1]));
            assertEquals("Unable to read binary data.", e.getMessage());
        }
        assertThrows(IllegalArgumentException.class, () -> in.read(null, 0, 1));
        assertThrows(IndexOutOfBoundsException.class, () -> in.read(new byte[4], 2, 4));
        assertEquals(-1, in.read(new byte[0], 0, 0));
        assertEquals(10, in.available());
    }

    static Stream<Arguments> bestStreams() {
        return Stream.of(
            Arguments.of(List.of(), null),
            Arguments.of(List.of("FNAM"), null),
            Arguments.of(List.of("FNAM", "JPEG", "FILE"), "FILE"),
            Arguments.of(List.of("JPEG", "PNGf", "GIFf"), "GIFf"),
            Arguments.of(List.of("SIZE", "PDF ", "TIFF"), "TIFF"),
            Arguments.of(List.of("FNAM", "FORK", "snd ", "XYZW"), "snd "));
    }

    @ParameterizedTest
    @MethodSource("bestStreams")
    void theBestStreamFollowsTheOrderOfPreference(List<String> streams, String best) {
        FMBinary binary = new FMBinary();
        for (String type : streams) {
            binary.addDataStream(new byte[] {1}, new QuadChar(type));
        }
        assertEquals(best == null ? null : new QuadChar(best), binary.getBestQuadChar());
        assertEquals(best == null, binary.getBestInputStream() == null);
    }

    static Stream<Arguments> unnamed() {
        return Stream.of(
            Arguments.of(QuadChar.ImagePng, "Untitled.png"),
            Arguments.of(QuadChar.ImagePDF, "Untitled.pdf"),
            Arguments.of(QuadChar.Sound, "Untitled.jpg"));
    }

    @ParameterizedTest
    @MethodSource("unnamed")
    void aContainerWithoutANameOrSizeHasDefaults(QuadChar type, String name) {
        FMBinary binary = new FMBinary();
        binary.addDataStream(TEN, type);
        assertNull(binary.getFileName());
        assertEquals(0, binary.getWidth());
        assertEquals(0, binary.getHeight());
        InputStreamInfo info = binary.getInputStreamInfo(null);
        assertEquals(name, info.getName());
        assertEquals(10, info.getLength());
    }

    @Test
    void anEmptyContainerHasNoStreamToDescribe() {
        IllegalStateException e = assertThrows(IllegalStateException.class,
            () -> new FMBinary().getInputStreamInfo(null));
        assertEquals("The container holds no stream to read", e.getMessage());
    }
}
