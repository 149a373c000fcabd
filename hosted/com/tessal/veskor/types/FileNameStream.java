package com.tessal.veskor.types;

import com.tessal.veskor.unicode.Compress;
import com.tessal.veskor.unicode.EndOfInputException;
import com.tessal.veskor.unicode.Expand;
import com.tessal.veskor.unicode.IllegalInputException;
import java.io.ByteArrayOutputStream;
import java.util.Arrays;

/**
 * The bytes of a container's FNAM stream, which stores the file name:
 * 00 00 00 01, the protocol's length L and its L characters, the folder's
 * length in characters and the folder, the name's length in characters and
 * the name. Lengths keep their low 8 bits; folder and name are SCSU bytes in
 * which every byte but '/' is XOR-ed with {@link #MASK}. Length bytes and the
 * protocol are not masked. This side always writes the protocol "file" and
 * no folder.
 */
final class FileNameStream {
    /**
     * The mask of folder and name bytes. It has to be the host's: the
     * stand-in host masks with the same value (host/lib/fnam.cpp), so that a
     * name stored by either side reads back on the other. A byte 0x80 masks
     * to '/', which is left unmasked, so every stored '/' is read as '/'.
     */
    static final int MASK = 0xAF;

    private static final byte SLASH = '/';
    private static final byte LOST = (byte) 0x80;
    private static final byte[] HEADER = {0, 0, 0, 1, 4, 'f', 'i', 'l', 'e', 0};
    private static final int PROTOCOL_LENGTH_AT = 4;

    private FileNameStream() {
    }

    /** The stream that stores name with the protocol "file" and no folder. */
    static byte[] build(String name) throws IllegalInputException {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        out.writeBytes(HEADER);
        out.write(name.length() & 0xFF);
        out.writeBytes(mask(compress(name)));
        return out.toByteArray();
    }

    /**
     * The name stored in an FNAM stream; null for an empty stream.
     *
     * With no folder, the name's length byte follows the folder's length
     * byte. Otherwise it follows the folder's last '/'; but a length byte of
     * 47 or 128 reads as '/' too, so each '/' from the end is tried and taken
     * only when the name after it has the stored length. When none has, the
     * last '/' is taken as it is.
     */
    static String read(byte[] stored) {
        int n = stored.length;
        if (n == 0) {
            return null;
        }
        int folderLengthAt = PROTOCOL_LENGTH_AT + 1 + (n > PROTOCOL_LENGTH_AT ? stored[PROTOCOL_LENGTH_AT] & 0xFF : 0);
        if (folderLengthAt >= n) {
            throw new IllegalArgumentException("FNAM stream of " + n + " bytes holds no folder or name");
        }
        byte[] plain = unmask(stored);
        if (stored[folderLengthAt] == 0) {
            return expand(plain, folderLengthAt + 2);
        }
        int last = folderLengthAt;
        for (int stop = n - 1; stop > folderLengthAt; stop--) {
            if (plain[stop] == SLASH) {
                if (last == folderLengthAt) {
                    last = stop;
                }
                String name = nameAfter(stored, plain, stop);
                if (name != null) {
                    return name;
                }
            }
        }
        return expand(plain, last + 2);
    }

    private static String expand(byte[] plain, int from) {
        try {
            return new Expand().expand(Arrays.copyOfRange(plain, Math.min(from, plain.length), plain.length));
        } catch (IllegalInputException | EndOfInputException e) {
            throw new RuntimeException(e);
        }
    }

    // The name whose length byte follows stop, if it expands and has that length.
    private static String nameAfter(byte[] stored, byte[] plain, int stop) {
        int lengthAt = stop + 1;
        if (lengthAt >= stored.length) {
            return null;
        }
        try {
            String name = new Expand().expand(Arrays.copyOfRange(plain, lengthAt + 1, plain.length));
            return (name.length() & 0xFF) == (stored[lengthAt] & 0xFF) ? name : null;
        } catch (IllegalInputException | EndOfInputException e) {
            return null;
        }
    }

    /**
     * SCSU bytes of the name. A 0x80 byte cannot be stored (masked, it is
     * '/', which reads back as '/'); the encoder writes one for a character
     * at the start of a window, such as U+0400. Such a name is written again
     * with every character outside Latin-1 quoted as a UTF-16 unit, which
     * holds 0x80 only for units that have that byte themselves.
     */
    private static byte[] compress(String name) throws IllegalInputException {
        byte[] compressed = new Compress().compress(name);
        return indexOf(compressed, LOST) < 0 ? compressed : quoted(name);
    }

    // SCSU in its initial state: SQ0 (0x01) quotes control characters, SQU
    // (0x0E) a UTF-16 unit; other characters of Latin-1 are single bytes.
    private static byte[] quoted(String name) {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        for (int i = 0; i < name.length(); i++) {
            char c = name.charAt(i);
            boolean plain = c == 0 || c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c <= 0xFF && c != 0x80);
            if (plain) {
                out.write(c);
            } else if (c < 0x20) {
                out.write(0x01);
                out.write(c);
            } else {
                out.write(0x0E);
                out.write(c >> 8);
                out.write(c & 0xFF);
            }
        }
        return out.toByteArray();
    }

    private static byte[] mask(byte[] bytes) {
        byte[] masked = bytes.clone();
        for (int i = 0; i < masked.length; i++) {
            if (masked[i] != SLASH) {
                masked[i] ^= MASK;
            }
        }
        return masked;
    }

    private static byte[] unmask(byte[] bytes) {
        byte[] plain = bytes.clone();
        for (int i = 0; i < plain.length; i++) {
            plain[i] ^= MASK;
            if (plain[i] == LOST) {
                plain[i] = SLASH;
            }
        }
        return plain;
    }

    private static int indexOf(byte[] bytes, byte b) {
        for (int i = 0; i < bytes.length; i++) {
            if (bytes[i] == b) {
                return i;
            }
        }
        return -1;
    }
}
