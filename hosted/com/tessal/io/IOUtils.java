package com.tessal.io;

import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.io.UnsupportedEncodingException;
import java.net.URLDecoder;

/** Stream copies and the form decoder. Neither copy closes a stream: the caller owns both. */
public final class IOUtils {
    /** Most bytes the stop-sequence copy takes: a header block longer than this is not read on. */
    public static final int MAX_STOP_SEQUENCE_COPY = 1600;

    /** The system encoding, read once: form-encoded bytes are decoded with it. */
    private static final String SYSTEM_ENCODING = System.getProperty("file.encoding");

    private IOUtils() {
    }

    /**
     * Copies everything from in to out through one buffer of bufferSize
     * bytes, flushes out once at the end and returns the count. Only the end
     * of the stream ends the copy: a short read does not.
     */
    public static long writeInputToOutput(InputStream in, OutputStream out, int bufferSize) throws IOException {
        if (in == null) {
            throw new IllegalArgumentException("You cannot pass a null InputStream");
        }
        if (out == null) {
            throw new IllegalArgumentException("You cannot pass a null OutputStream");
        }
        byte[] buffer = new byte[bufferSize];
        long total = 0;
        for (int read; (read = in.read(buffer, 0, bufferSize)) != -1;) {
            out.write(buffer, 0, read);
            total += read;
        }
        out.flush();
        return total;
    }

    /**
     * Copies single bytes from in to out until the stop sequence has passed
     * (it is copied too), the stream ends, or 1,600 bytes were copied;
     * returns the count. Nothing after the stop sequence is taken from in,
     * and out is not flushed. A byte that breaks a partial match is not
     * tested again against the sequence's first byte.
     */
    public static long writeInputToOutput(InputStream in, OutputStream out, byte[] stopSequence) throws IOException {
        int copied = 0;
        int matched = 0;
        while (matched < stopSequence.length && copied < MAX_STOP_SEQUENCE_COPY) {
            int next = in.read();
            if (next == -1) {
                break;
            }
            out.write(next);
            matched = (byte) next == stopSequence[matched] ? matched + 1 : 0;
            copied++;
        }
        return copied;
    }

    /**
     * Decodes HTML form URL encoding: "+" is a blank, "%" and two hex digits
     * a byte; runs of bytes become characters in the system encoding. A "%"
     * without two hex digits fails with an illegal-argument error.
     */
    public static String decode(String input) {
        try {
            return URLDecoder.decode(input, SYSTEM_ENCODING);
        } catch (UnsupportedEncodingException e) {
            throw new RuntimeException(e);
        }
    }
}
