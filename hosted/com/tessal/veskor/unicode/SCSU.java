package com.tessal.veskor.unicode;

/**
 * State and tables shared by the SCSU encoder and decoder (Unicode Technical
 * Standard #6): the tag bytes, the static windows, and the eight dynamic
 * windows with the currently selected one.
 */
public abstract class SCSU {
    // Tags in single-byte mode.
    static final int SQ0 = 0x01; // SQ0..SQ7: quote one character from window n
    static final int SDX = 0x0B; // define an extended window and select it
    static final int SRS = 0x0C; // reserved
    static final int SQU = 0x0E; // quote one UTF-16 unit
    static final int SCU = 0x0F; // change to Unicode mode
    static final int SC0 = 0x10; // SC0..SC7: select window n
    static final int SD0 = 0x18; // SD0..SD7: define window n and select it

    // Tags in Unicode mode.
    static final int UC0 = 0xE0; // UC0..UC7: select window n, back to single-byte mode
    static final int UD0 = 0xE8; // UD0..UD7: define window n, back to single-byte mode
    static final int UQU = 0xF0; // quote one UTF-16 unit
    static final int UDX = 0xF1; // define an extended window, back to single-byte mode
    static final int URS = 0xF2; // reserved

    static final int WINDOW_COUNT = 8;

    /** Start of each static window; reached only by SQn with a byte below 0x80. */
    static final int[] STATIC_OFFSETS = {
        0x0000, 0x0080, 0x0100, 0x0300, 0x2000, 0x2080, 0x2100, 0x3000,
    };

    /** The dynamic windows as they are at the start of a text. */
    static final int[] INITIAL_DYNAMIC_OFFSETS = {
        0x0080, 0x00C0, 0x0400, 0x0600, 0x0900, 0x3040, 0x30A0, 0xFF00,
    };

    // Window offset table, indexed by the byte that follows SDn or UDn:
    // 0x01..0x67 give index * 0x80, 0x68..0xA7 give index * 0x80 + 0xAC00,
    // 0xF9..0xFF give fixed offsets, and 0x00 and 0xA8..0xF8 are reserved.
    static final int GAP_THRESHOLD = 0x68;
    static final int GAP_OFFSET = 0xAC00;
    static final int RESERVED_START = 0xA8;
    static final int FIXED_THRESHOLD = 0xF9;
    static final int[] FIXED_OFFSETS = {
        0x00C0, 0x0250, 0x0370, 0x0530, 0x3040, 0x30A0, 0xFF60,
    };

    /** Code points from here on live in extended windows defined by SDX/UDX. */
    static final int EXTENDED_BASE = 0x10000;

    /** Index of the selected dynamic window. */
    protected int activeWindow;

    /** Start of each dynamic window: a code point, above 0xFFFF for extended windows. */
    protected final int[] dynamicOffsets = new int[WINDOW_COUNT];

    protected SCSU() {
        reset();
    }

    /** Restores the initial windows and selects window 0. */
    public void reset() {
        System.arraycopy(INITIAL_DYNAMIC_OFFSETS, 0, dynamicOffsets, 0, WINDOW_COUNT);
        activeWindow = 0;
    }

    /** The window start that an SDn/UDn offset byte stands for; -1 for a reserved byte. */
    static int windowOffset(int index) {
        if (index > 0 && index < GAP_THRESHOLD) {
            return index << 7;
        }
        if (index >= GAP_THRESHOLD && index < RESERVED_START) {
            return (index << 7) + GAP_OFFSET;
        }
        if (index >= FIXED_THRESHOLD && index <= 0xFF) {
            return FIXED_OFFSETS[index - FIXED_THRESHOLD];
        }
        return -1;
    }

    /**
     * The SDn/UDn offset byte of a window that holds the BMP code point cp, or
     * -1 if no window can hold it (ASCII, and the range 0x3400..0xDFFF).
     * A fixed offset is preferred, since it covers a whole script block.
     */
    static int offsetIndexFor(int cp) {
        for (int i = 0; i < FIXED_OFFSETS.length; i++) {
            if (cp >= FIXED_OFFSETS[i] && cp < FIXED_OFFSETS[i] + 0x80) {
                return FIXED_THRESHOLD + i;
            }
        }
        if (cp >= 0x80 && cp < GAP_THRESHOLD << 7) {
            return cp >> 7;
        }
        if (cp >= (GAP_THRESHOLD << 7) + GAP_OFFSET && cp < 0x10000) {
            return (cp - GAP_OFFSET) >> 7;
        }
        return -1;
    }

    /** Whether cp lies in the 128 code points of dynamic window n. */
    final boolean inWindow(int cp, int n) {
        int offset = dynamicOffsets[n];
        return cp >= offset && cp < offset + 0x80;
    }
}
