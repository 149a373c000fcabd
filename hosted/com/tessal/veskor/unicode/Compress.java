package com.tessal.veskor.unicode;

import java.util.Arrays;

/**
 * SCSU encoder. Each call to {@link #compress} starts from the initial windows
 * in single-byte mode. It looks one character ahead to decide between quoting
 * a character and switching window or mode.
 */
public class Compress extends SCSU {
    /** The most bytes one step of the encoder writes (e.g. SDX, two offset bytes, one character). */
    private static final int MAX_STEP = 4;
    private static final int MAX_BUFFER = Integer.MAX_VALUE - 8;

    /**
     * The dynamic window to redefine next, shared by all encoders. Left
     * unsynchronised: a race only changes which valid encoding is produced.
     */
    private static int nextWindow = 3;

    private int[] text;
    private int inPos;
    private byte[] out;
    private int outPos;
    private boolean unicodeMode;

    /** The SCSU bytes of the whole of s; no bytes for an empty string. */
    public byte[] compress(String s) throws IllegalInputException {
        reset();
        text = codePoints(s);
        inPos = 0;
        out = new byte[(int) Math.min(2L * s.length(), MAX_BUFFER)];
        outPos = 0;
        unicodeMode = false;
        try {
            while (inPos < text.length) {
                try {
                    step();
                } catch (EndOfOutputException e) {
                    grow();
                }
            }
            return Arrays.copyOf(out, outPos);
        } finally {
            text = null;
            out = null;
        }
    }

    /** The code points of s; a surrogate without its partner is refused. */
    private static int[] codePoints(String s) throws IllegalInputException {
        int[] result = new int[s.length()];
        int count = 0;
        for (int i = 0; i < s.length(); i++) {
            char c = s.charAt(i);
            if (Character.isHighSurrogate(c)) {
                if (i + 1 >= s.length() || !Character.isLowSurrogate(s.charAt(i + 1))) {
                    throw new IllegalInputException("Unpaired high surrogate: " + c);
                }
                result[count++] = Character.toCodePoint(c, s.charAt(++i));
            } else if (Character.isLowSurrogate(c)) {
                throw new IllegalInputException("Unpaired low surrogate: " + c);
            } else {
                result[count++] = c;
            }
        }
        return Arrays.copyOf(result, count);
    }

    private void grow() {
        if (out.length >= MAX_BUFFER) {
            throw new OutOfMemoryError("Compressed text exceeds the largest byte array");
        }
        out = Arrays.copyOf(out, (int) Math.min(Math.max(2L * out.length, MAX_STEP), MAX_BUFFER));
    }

    /**
     * Encodes the character at inPos and moves past it. Room is checked before
     * anything changes, so after EndOfOutputException the step can be redone
     * into a larger buffer.
     */
    private void step() throws EndOfOutputException {
        if (out.length - outPos < MAX_STEP) {
            throw new EndOfOutputException();
        }
        int c = text[inPos];
        int next = inPos + 1 < text.length ? text[inPos + 1] : -1;
        if (unicodeMode) {
            unicodeStep(c, next);
        } else {
            singleByteStep(c, next);
        }
        inPos++;
    }

    private void singleByteStep(int c, int next) {
        if (isPlainByte(c)) {
            put(c);
            return;
        }
        if (c < 0x80) {
            // The other C0 controls collide with tags and go through static window 0.
            put(SQ0);
            put(c);
            return;
        }
        int n = windowHolding(c);
        if (n == activeWindow) {
            put(0x80 + c - dynamicOffsets[n]);
            return;
        }
        if (n >= 0) {
            if (next >= 0 && inWindow(next, n)) {
                put(SC0 + n);
                activeWindow = n;
            } else {
                put(SQ0 + n);
            }
            put(0x80 + c - dynamicOffsets[n]);
            return;
        }
        int s = staticWindowHolding(c);
        if (s >= 0 && !(next >= 0 && sameNewWindow(c, next))) {
            put(SQ0 + s);
            put(c - STATIC_OFFSETS[s]);
            return;
        }
        if (isWindowable(c)) {
            defineWindowFor(c, false);
            return;
        }
        // Only a UTF-16 unit can carry it (CJK ideographs, Hangul syllables).
        if (next >= 0 && !isWindowable(next) && !isPlainByte(next)) {
            put(SCU);
            unicodeMode = true;
        } else {
            put(SQU);
        }
        putUnit(c);
    }

    private void unicodeStep(int c, int next) {
        boolean nextFitsSingleByte = next >= 0 && (isPlainByte(next) || windowHolding(next) >= 0);
        int n = windowHolding(c);
        if (n >= 0 && (nextFitsSingleByte || c >= EXTENDED_BASE)) {
            put(UC0 + n);
            activeWindow = n;
            unicodeMode = false;
            put(0x80 + c - dynamicOffsets[n]);
            return;
        }
        if (isPlainByte(c) && nextFitsSingleByte) {
            put(UC0 + activeWindow);
            unicodeMode = false;
            put(c);
            return;
        }
        if (isWindowable(c) && next >= 0 && sameNewWindow(c, next)) {
            defineWindowFor(c, true);
            unicodeMode = false;
            return;
        }
        if (c >= EXTENDED_BASE) {
            putUnit(Character.highSurrogate(c));
            putUnit(Character.lowSurrogate(c));
            return;
        }
        if (c >= UC0 << 8 && c <= (URS << 8 | 0xFF)) {
            // Its high byte would read as a tag.
            put(UQU);
        }
        putUnit(c);
    }

    /**
     * Redefines the next window in turn to hold c, selects it and writes c.
     * Uses SDn/SDX in single-byte mode and UDn/UDX in Unicode mode.
     */
    private void defineWindowFor(int c, boolean fromUnicodeMode) {
        int n = takeNextWindow();
        if (c >= EXTENDED_BASE) {
            int index = (c - EXTENDED_BASE) >> 7;
            put(fromUnicodeMode ? UDX : SDX);
            put((n << 5) | (index >> 8));
            put(index & 0xFF);
            dynamicOffsets[n] = EXTENDED_BASE + (index << 7);
        } else {
            int index = offsetIndexFor(c);
            put((fromUnicodeMode ? UD0 : SD0) + n);
            put(index);
            dynamicOffsets[n] = windowOffset(index);
        }
        if (!inWindow(c, n)) {
            throw new Assert("New window does not hold U+" + Integer.toHexString(c));
        }
        activeWindow = n;
        put(0x80 + c - dynamicOffsets[n]);
    }

    private static int takeNextWindow() {
        int n = nextWindow & (WINDOW_COUNT - 1);
        nextWindow = (n + 1) & (WINDOW_COUNT - 1);
        return n;
    }

    /** Characters that stand for themselves in single-byte mode. */
    private static boolean isPlainByte(int c) {
        return (c >= 0x20 && c < 0x80) || c == 0x00 || c == 0x09 || c == 0x0A || c == 0x0D;
    }

    /** Whether some dynamic window (SDn or SDX) can be defined to hold c. */
    private static boolean isWindowable(int c) {
        return c >= EXTENDED_BASE || offsetIndexFor(c) >= 0;
    }

    /** Whether b falls in the window that would be defined for a. */
    private static boolean sameNewWindow(int a, int b) {
        if (a >= EXTENDED_BASE) {
            return b >= EXTENDED_BASE && (a - EXTENDED_BASE) >> 7 == (b - EXTENDED_BASE) >> 7;
        }
        int index = offsetIndexFor(a);
        if (index < 0) {
            return false;
        }
        int offset = windowOffset(index);
        return b >= offset && b < offset + 0x80;
    }

    /** The dynamic window holding c, the selected one first; -1 if none. */
    private int windowHolding(int c) {
        if (inWindow(c, activeWindow)) {
            return activeWindow;
        }
        for (int n = 0; n < WINDOW_COUNT; n++) {
            if (inWindow(c, n)) {
                return n;
            }
        }
        return -1;
    }

    /** The static window above ASCII holding c; -1 if none. */
    private static int staticWindowHolding(int c) {
        for (int n = 1; n < WINDOW_COUNT; n++) {
            if (c >= STATIC_OFFSETS[n] && c < STATIC_OFFSETS[n] + 0x80) {
                return n;
            }
        }
        return -1;
    }

    private void putUnit(int unit) {
        put(unit >> 8);
        put(unit);
    }

    private void put(int b) {
        if (outPos >= out.length) {
            throw new Assert("Encoder step wrote more than " + MAX_STEP + " bytes");
        }
        out[outPos++] = (byte) b;
    }
}
