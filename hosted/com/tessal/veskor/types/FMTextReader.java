package com.tessal.veskor.types;

import java.io.Reader;

/**
 * Reads the characters of a host text. The text's length is taken once, at
 * construction: the text must not change while it is read.
 */
public class FMTextReader extends Reader {
    private final FMText textPtr;
    private final long length;
    private long pointer;

    FMTextReader(FMText text) {
        this.textPtr = text;
        this.length = text.getTextLength();
    }

    /**
     * Reads up to len characters into cbuf from off; -1 when nothing is left,
     * and also when len is 0. len is first cut to the length of cbuf, not to
     * the room after off: a range outside cbuf is refused with an
     * ArrayIndexOutOfBoundsException.
     */
    @Override
    public int read(char[] cbuf, int off, int len) {
        if (len > cbuf.length) {
            len = cbuf.length;
        }
        if (len > length - pointer) {
            len = (int) (length - pointer);
        }
        if (len == 0) {
            return -1;
        }
        textPtr.readCharArray(pointer, cbuf, off, len);
        pointer += len;
        return len;
    }

    /** Moves on by n characters, but not past the end; returns how far it moved. */
    @Override
    public long skip(long n) {
        if (n < 0) {
            throw new IllegalArgumentException("skip value is negative");
        }
        long distance = Math.min(n, length - pointer);
        pointer += distance;
        return distance;
    }

    /** Does nothing: the text belongs to its owner. */
    @Override
    public void close() {
    }

    public long getLength() {
        return length;
    }
}
