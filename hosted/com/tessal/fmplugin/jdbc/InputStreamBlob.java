package com.tessal.fmplugin.jdbc;

import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.sql.Blob;
import java.sql.SQLException;

/**
 * A BLOB over a stream that can only be read forward: a container's bytes
 * handed to the driver without copying them into one array first.
 */
public class InputStreamBlob implements Blob {
    private static final String NOT_IMPLEMENTED = "This feature has not been implemented yet.";

    private final long length;
    private long position;
    private final InputStream stream;

    public InputStreamBlob(InputStream stream, long length) {
        this.stream = stream;
        this.length = length;
    }

    @Override
    public long length() {
        return length;
    }

    /**
     * len bytes from pos (counting from 1), which must not lie before what
     * was read already. A source that ends before them fails: it cannot give
     * what the database was told it holds.
     */
    @Override
    public byte[] getBytes(long pos, int len) throws SQLException {
        if (pos - 1 < position) {
            throw new IllegalArgumentException("Only forward sequential reads are supported");
        }
        try {
            while (position < pos - 1) {
                long skipped = stream.skip(pos - 1 - position);
                if (skipped <= 0) {
                    if (stream.read() < 0) {
                        throw new IOException("the stream ended at byte " + position + " of " + length);
                    }
                    skipped = 1;
                }
                position += skipped;
            }
            byte[] bytes = new byte[len];
            int filled = 0;
            while (filled < len) {
                int read = stream.read(bytes, filled, len - filled);
                if (read < 0) {
                    throw new IOException("the stream ended at byte " + (position + filled) + " of " + length);
                }
                filled += read;
            }
            position += len;
            if (position >= length) {
                stream.close();
            }
            return bytes;
        } catch (IOException e) {
            throw new SQLException("Error reading from underlying InputStream", e);
        }
    }

    /** The stream itself; afterwards no getBytes is possible. */
    @Override
    public InputStream getBinaryStream() {
        position = length + 1;
        return stream;
    }

    @Override
    public InputStream getBinaryStream(long pos, long len) {
        return null;
    }

    @Override
    public long position(byte[] pattern, long start) {
        throw new UnsupportedOperationException(NOT_IMPLEMENTED);
    }

    @Override
    public long position(Blob pattern, long start) {
        throw new UnsupportedOperationException(NOT_IMPLEMENTED);
    }

    @Override
    public int setBytes(long pos, byte[] bytes) {
        throw new UnsupportedOperationException(NOT_IMPLEMENTED);
    }

    @Override
    public int setBytes(long pos, byte[] bytes, int offset, int len) {
        throw new UnsupportedOperationException(NOT_IMPLEMENTED);
    }

    @Override
    public OutputStream setBinaryStream(long pos) {
        throw new UnsupportedOperationException(NOT_IMPLEMENTED);
    }

    @Override
    public void truncate(long len) {
        throw new UnsupportedOperationException(NOT_IMPLEMENTED);
    }

    @Override
    public void free() {
    }
}
