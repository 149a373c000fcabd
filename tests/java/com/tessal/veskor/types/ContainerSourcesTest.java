package com.tessal.veskor.types;

import static com.tessal.veskor.types.ContainersTest.stream;
import static com.tessal.veskor.types.ContainersTest.types;
import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertInstanceOf;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;

import com.sun.net.httpserver.HttpServer;
import com.tessal.veskor.QuadChar;
import com.tessal.veskor.testing.HostHooks;
import com.tessal.veskor.testing.HostObjects;
import java.awt.image.BufferedImage;
import java.io.File;
import java.io.FileNotFoundException;
import java.io.IOException;
import java.io.OutputStream;
import java.net.InetAddress;
import java.net.InetSocketAddress;
import java.net.URL;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.Map;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.api.io.TempDir;

/**
 * Containers from Java objects (files, URLs, images) through the best type
 * for a Java object, and container arguments through the converters.
 */
@ExtendWith(HostObjects.class)
class ContainerSourcesTest {
    private static final byte[] TEXT = "plain text\n".getBytes(StandardCharsets.US_ASCII);

    @Test
    void aFileBecomesAContainerNamedAfterIt(@TempDir Path dir) throws IOException {
        File notes = Files.write(dir.resolve("notes.txt"), TEXT).toFile();
        FMBinary binary = (FMBinary) FMType.bestTypeForJavaObject(notes);
        assertEquals(List.of("FILE", "FNAM"), types(binary));
        assertArrayEquals(TEXT, stream(binary, QuadChar.FileData));
        assertEquals("notes.txt", binary.getFileName());

        assertEquals("renamed.txt", FMBinary.fmBinaryForFile(notes, "renamed.txt").getFileName());
        RuntimeException missing = assertThrows(RuntimeException.class,
            () -> FMType.bestTypeForJavaObject(dir.resolve("missing.txt").toFile()));
        assertInstanceOf(FileNotFoundException.class, missing.getCause());
    }

    @Test
    void aUrlBecomesAContainerWithTheNameAndTypeItsServerGives() throws IOException {
        byte[] png = TestImages.encode(TestImages.halves(12, 8, BufferedImage.TYPE_INT_ARGB), "png");
        HttpServer server = HttpServer.create(new InetSocketAddress(InetAddress.getLoopbackAddress(), 0), 0);
        serve(server, "/chart", Map.of("Content-Type", "image/png"), png);
        serve(server, "/download", Map.of("Content-Type", "text/plain",
            "Content-Disposition", "attachment; filename=\"report.txt\""), TEXT);
        server.start();
        try {
            String base = "http://" + server.getAddress().getHostString() + ":" + server.getAddress().getPort();

            FMBinary chart = (FMBinary) FMType.bestTypeForJavaObject(new URL(base + "/chart"));
            assertEquals("chart.png", chart.getFileName());
            assertEquals(QuadChar.ImagePng, chart.getBestQuadChar());
            assertArrayEquals(png, stream(chart, QuadChar.ImagePng));
            assertEquals(12, chart.getWidth());

            FMBinary report = (FMBinary) FMType.bestTypeForJavaObject(new URL(base + "/download?id=7"));
            assertEquals(List.of("FILE", "FNAM"), types(report));
            assertEquals("report.txt", report.getFileName());
            assertArrayEquals(TEXT, stream(report, QuadChar.FileData));

            RuntimeException missing = assertThrows(RuntimeException.class,
                () -> FMType.bestTypeForJavaObject(new URL(base + "/nothing")));
            assertInstanceOf(FileNotFoundException.class, missing.getCause());
        } finally {
            server.stop(0);
        }
    }

    private static void serve(HttpServer server, String path, Map<String, String> headers, byte[] body) {
        server.createContext(path, exchange -> {
            try (exchange; OutputStream out = exchange.getResponseBody()) {
                if (!exchange.getRequestURI().getPath().equals(path)) {
                    exchange.sendResponseHeaders(404, -1);
                    return;
                }
                headers.forEach(exchange.getResponseHeaders()::set);
                exchange.sendResponseHeaders(200, body.length);
                out.write(body);
            }
        });
    }

    @Test
    void anImageBecomesAPngWithTransparencyElseAJpeg() throws IOException {
        FMBinary argb = (FMBinary) FMType.bestTypeForJavaObject(TestImages.halves(16, 8, BufferedImage.TYPE_INT_ARGB));
        assertEquals("image.png", argb.getFileName());
        assertEquals(QuadChar.ImagePng, argb.getBestQuadChar());
        assertEquals(16, argb.getWidth());

        FMBinary rgb = (FMBinary) FMType.bestTypeForJavaObject(TestImages.halves(16, 8, BufferedImage.TYPE_INT_RGB));
        assertEquals("image.jpg", rgb.getFileName());
        assertEquals(List.of("JPEG", "SIZE", "FNAM"), types(rgb));

        // An image type that the PNG rule does not cover and whose alpha JPEG cannot hold.
        FMBinary abgr = (FMBinary) FMType.bestTypeForJavaObject(
            TestImages.halves(16, 8, BufferedImage.TYPE_4BYTE_ABGR));
        assertEquals(QuadChar.ImageJPEG, abgr.getBestQuadChar());
        assertEquals(16, TestImages.decode(stream(abgr, QuadChar.ImageJPEG)).getWidth());
    }

    @Test
    void containerArgumentsConvertToStoredDataOrAReference() {
        long stored = HostHooks.newValue();
        long reference = HostHooks.newValue();
        long empty = HostHooks.newValue();
        try {
            HostHooks.setContainer(stored, "notes.txt", TEXT);
            HostHooks.setReference(reference, "size:640,480\rimage:pics/a.jpg");
            FMBinary.FMBinaryConverter converter = new FMBinary.FMBinaryConverter();

            FMBinary asBinary = (FMBinary) converter.convertData(new FMData(stored), FMBinary.class);
            assertEquals(List.of("FILE", "FNAM"), types(asBinary));
            assertInstanceOf(FMBinary.class, converter.convertData(new FMData(stored), FMBinaryInterface.class));

            FileReference viaInterface =
                (FileReference) converter.convertData(new FMData(reference), FMBinaryInterface.class);
            assertEquals(640, viaInterface.getWidth());
            FileReference direct = (FileReference) converter.convertData(new FMData(reference), FileReference.class);
            assertEquals(FileReference.TYPE_IMAGE, direct.getType());
            assertEquals(List.of(), types((FMBinary) converter.convertData(new FMData(reference), FMBinary.class)),
                "a reference holds no stored data");

            assertInstanceOf(FMText.class, new FMData(reference).getFMType(), "a reference's value type is its text");
            assertInstanceOf(FMBinary.class, new FMData(stored).getFMType());

            for (Class<?> target : new Class<?>[] {FMBinary.class, FMBinaryInterface.class, FileReference.class}) {
                assertNull(converter.convertData(new FMData(empty), target));
            }

            FileConverter files = new FileConverter();
            HostHooks.setText(reference, "filewin:/C:/Data/a.txt");
            assertEquals(new File("/C:/Data/a.txt"), files.convertData(new FMData(reference), File.class));
            assertNull(files.convertData(new FMData(empty), File.class));
        } finally {
            HostHooks.deleteValue(stored);
            HostHooks.deleteValue(reference);
            HostHooks.deleteValue(empty);
        }
    }
}
