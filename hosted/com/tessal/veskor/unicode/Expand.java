package com.tessal.veskor.unicode;

import java.util.Objects;

/**
 * SCSU decoder. The windows survive from one {@link #expand} call to the next
 * on the same object; call {@link #reset()} to start afresh. Each call starts
 * in single-byte mode.
 */
public class Expand extends SCSU {
    private byte[] in;
    private int inPos;
    private StringBuilder out;
    private boolean unicodeMode;

    /**
     * Decodes the whole of input. A window definition or a quoted UTF-16 unit
     * that is cut off by the end of the input is dropped and the text decoded
     * so far is returned; a quoted window character or a Unicode-mode
     * character cut off by the end is an error.
     */
    public String expand(byte[] input) throws IllegalInputException, EndOfInputException {
        Objects.requireNonNull(input, "input");
        in = input;
        inPos = 0;
        out = new StringBuilder(input.length);
        unicodeMode = false;
        try {
            while (inPos < in.length) {
                int b = in[inPos++] & 0xFF;
                boolean complete = unicodeMode ? unicodeByte(b) : singleByte(b);
                if (!complete) {
                    break;
                }
            }
            return out.toString();
        } finally {
            in = null;
            out = null;
        }
    }

    /** Decodes one unit in single-byte mode; false if it is cut off and dropped. */
    private boolean singleByte(int b) throws IllegalInputException, EndOfInputException {
        if (b >= 0x80) {
            out.appendCodePoint(dynamicOffsets[activeWindow] + b - 0x80);
        } else if (b >= 0x20 || b == 0x00 || b == 0x09 || b == 0x0A || b == 0x0D) {
            out.append((char) b);
        } else if (b >= SQ0 && b < SQ0 + WINDOW_COUNT) {
            if (inPos >= in.length) {
                throw new EndOfInputException("Input ends after a quote tag");
            }
            int c = in[inPos++] & 0xFF;
            int n = b - SQ0;
            out.appendCodePoint(c < 0x80 ? STATIC_OFFSETS[n] + c : dynamicOffsets[n] + c - 0x80);
        } else if (b >= SC0 && b < SC0 + WINDOW_COUNT) {
            activeWindow = b - SC0;
        } else if (b >= SD0 && b < SD0 + WINDOW_COUNT) {
            if (inPos >= in.length) {
                return false;
            }
            defineWindow(b - SD0, in[inPos++] & 0xFF);
        } else if (b == SQU) {
            if (in.length - inPos < 2) {
                return false;
            }
            out.append(nextUnit());
        } else if (b == SDX) {
            if (in.length - inPos < 2) {
                return false;
            }
            defineExtendedWindow(nextUnit());
        } else if (b == SRS) {
            throw new IllegalInputException("Reserved tag byte 0x0C in single-byte mode");
        } else if (b == SCU) {
            unicodeMode = true;
        } else {
            throw new Assert("Unhandled single-byte mode byte " + b);
        }
        return true;
    }

    /** Decodes one unit in Unicode mode; false if it is cut off and dropped. */
    private boolean unicodeByte(int b) throws IllegalInputException, EndOfInputException {
        if (b >= UC0 && b < UC0 + WINDOW_COUNT) {
            activeWindow = b - UC0;
            unicodeMode = false;
        } else if (b >= UD0 && b < UD0 + WINDOW_COUNT) {
            if (inPos >= in.length) {
                return false;
            }
            defineWindow(b - UD0, in[inPos++] & 0xFF);
            unicodeMode = false;
        } else if (b == UQU) {
            if (in.length - inPos < 2) {
                return false;
            }
            out.append(nextUnit());
        } else if (b == UDX) {
            if (in.length - inPos < 2) {
                return false;
            }
            defineExtendedWindow(nextUnit());
            unicodeMode = false;
        } else if (b == URS) {
            throw new IllegalInputException("Reserved tag byte 0xF2 in Unicode mode");
        } else {
            if (inPos >= in.length) {
                throw new EndOfInputException("Input ends inside a Unicode-mode character");
            }
            out.append((char) ((b << 8) | (in[inPos++] & 0xFF)));
        }
        return true;
    }

    /** Reads a big-endian 16-bit unit; the caller has checked that two bytes remain. */
    private char nextUnit() {
        int high = in[inPos++] & 0xFF;
        int low = in[inPos++] & 0xFF;
        return (char) ((high << 8) | low);
    }

    private void defineWindow(int n, int offsetByte) throws IllegalInputException {
        int offset = windowOffset(offsetByte);
        if (offset < 0) {
            throw new IllegalInputException(String.format("Reserved window offset byte 0x%02X", offsetByte));
        }
        dynamicOffsets[n] = offset;
        activeWindow = n;
    }

    /** The top three bits pick the window, the other thirteen its start above 0xFFFF. */
    private void defineExtendedWindow(int value) {
        int n = value >> 13;
        dynamicOffsets[n] = EXTENDED_BASE + ((value & 0x1FFF) << 7);
        activeWindow = n;
    }
}
