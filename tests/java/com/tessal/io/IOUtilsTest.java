package com.tessal.io;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.util.Arrays;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** The two stream copies and the form decoder. */
class IOUtilsTest {
    private static final byte[] END_OF_HEADERS = {'\r', '\n', '\r', '\n'};

    /** A stream that hands out at most three bytes per read, as a network stream may. */
    private static InputStream trickle(byte[] bytes) {
        return new ByteArrayInputStream(bytes) {
            @Override
            public synchronized int read(byte[] b, int off, int len) {
                return super.read(b, off, Math.min(len, 3));
            }
        };
    }

    @Test
    void theBufferedCopyIsEndedOnlyByTheEndOfTheStream() throws IOException {
        byte[] data = new byte[100_000];
        Arrays.fill(data, (byte) 'x');
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        assertEquals(data.length, IOUtils.writeInputToOutput(trickle(data), out, 1024));
        assertArrayEquals(data, out.toByteArray());
        assertEquals(0, IOUtils.writeInputToOutput(new ByteArrayInputStream(new byte[0]), out, 1024));
        assertThrows(IllegalArgumentException.class, () -> IOUtils.writeInputToOutput(null, out, 1024));
    }

    @Test
    void theStopSequenceCopyTakesTheHeaderBlockAndNothingAfterIt() throws IOException {
        InputStream request = new ByteArrayInputStream(
            "GET / HTTP/1.1\r\nHost: x\r\n\r\nbody".getBytes(StandardCharsets.US_ASCII));
        ByteArrayOutputStream headers = new ByteArrayOutputStream();
        assertEquals(27, IOUtils.writeInputToOutput(request, headers, END_OF_HEADERS));
        assertEquals("GET / HTTP/1.1\r\nHost: x\r\n\r\n", headers.toString(StandardCharsets.US_ASCII));
        assertEquals("body", new String(request.readAllBytes(), StandardCharsets.US_ASCII));

        // A block that never ends stops at 1,600 bytes; a short stream at its end.
        byte[] endless = new byte[5000];
        Arrays.fill(endless, (byte) 'a');
        InputStream source = new ByteArrayInputStream(endless);
        assertEquals(1600, IOUtils.writeInputToOutput(source, new ByteArrayOutputStream(), END_OF_HEADERS));
        assertEquals(3400, source.available());
        assertEquals(2, IOUtils.writeInputToOutput(new ByteArrayInputStream(new byte[] {'a', '\r'}),
            new ByteArrayOutputStream(), END_OF_HEADERS));
    }

    @ParameterizedTest
    @CsvSource({"a+b%20c, a b c", "%41, A", "plain, plain"})
    void formEncodingDecodes(String input, String decoded) {
        assertEquals(decoded, IOUtils.decode(input));
    }

    @Test
    void aPercentWithoutTwoHexDigitsFails() {
        assertThrows(IllegalArgumentException.class, () -> IOUtils.decode("100%"));
    }
}
