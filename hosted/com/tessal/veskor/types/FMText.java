package com.tessal.veskor.types;

import java.io.IOException;
import java.io.Reader;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * A host text with character styles, named by its native token: a value's
 * own text (borrowed from that value) or a text made here (deleted by the
 * release pass at the end of the function call or idle cycle that made it).
 * Positions and lengths count UTF-16 units.
 */
public class FMText extends FMType {
    private static final Logger LOG = Logger.getLogger(FMText.class.getName());

    public static final int Encoding_Native = 0;
    public static final int Encoding_UTF8 = 1;
    public static final int Encoding_ASCII_DOS = 2;
    public static final int Encoding_ASCII_Windows = 3;
    public static final int Encoding_ASCII_Mac = 4;
    public static final int Encoding_ISO_8859_1 = 5;
    public static final int Encoding_ShiftJIS_Mac = 6;
    public static final int Encoding_ShiftJIS_Win = 7;
    public static final int Encoding_Korean_Mac = 8;
    public static final int Encoding_Korean_Win = 9;
    public static final int Encoding_Korean_Johab = 10;
    public static final int Encoding_ChineseTrad_Mac = 11;
    public static final int Encoding_ChineseTrad_Win = 12;
    public static final int Encoding_ChineseSimp_Mac = 13;
    public static final int Encoding_ChineseSimp_Win = 14;
    public static final int Encoding_Cyrillic_Mac = 15;
    public static final int Encoding_Cyrillic_Win = 16;
    public static final int Encoding_ISO_8859_5 = 17;
    public static final int Encoding_CentralEurope_Mac = 18;
    public static final int Encoding_EasternEurope_Win = 20;
    public static final int Encoding_ISO_8859_2 = 21;
    public static final int Encoding_Turkish_Mac = 22;
    public static final int Encoding_Turkish_Win = 23;
    public static final int Encoding_ISO_8859_3 = 24;
    public static final int Encoding_ISO_8859_9 = 25;
    public static final int Encoding_Baltic_Win = 26;
    public static final int Encoding_ISO_8859_4 = 27;
    public static final int Encoding_Arabic_Mac = 28;
    public static final int Encoding_Arabic_Win = 29;
    public static final int Encoding_ISO_8859_6 = 30;
    public static final int Encoding_Greek_Mac = 31;
    public static final int Encoding_Greek_Win = 32;
    public static final int Encoding_ISO_8859_7 = 33;
    public static final int Encoding_Hebrew_Mac = 34;
    public static final int Encoding_Hebrew_Win = 35;
    public static final int Encoding_ISO_8859_8 = 36;
    public static final int Encoding_ISO_8859_15 = 37;

    public static final int Size_Invalid = 0x0FFFFFFF;
    /** A length meaning up to the end of the text. */
    public static final int Size_End = -1;

    /** Characters read from a source at a time. */
    static final int READ_BUFFER_SIZE = 524288;
    /** Texts longer than this are read in pieces by the String converter. */
    static final int LONG_TEXT = 100000;
    /** The piece read at a time from a long text. */
    static final int LONG_TEXT_PIECE = 65536;

    private static final char CR = '\r';
    private static final char LF = '\n';

    protected final long cToken;
    private final FMData fmData;

    /** A new host text holding the string (null is empty), up to a first U+0000. */
    public FMText(String value) {
        this.cToken = _createText(value == null ? "" : value);
        this.fmData = null;
    }

    /**
     * A new host text holding everything the source gives, with its line ends
     * turned into the host's CR: CR LF and a lone LF both become CR. The
     * source is closed in every case.
     */
    public FMText(Reader source) throws IOException {
        if (source == null) {
            throw new IllegalArgumentException("You cannot supply a null reader");
        }
        LOG.fine("Started reading");
        this.fmData = null;
        try (Reader in = source) {
            this.cToken = _createEmptyText();
            char[] piece = new char[READ_BUFFER_SIZE];
            char[] converted = new char[READ_BUFFER_SIZE];
            boolean afterCr = false;
            int read;
            while ((read = in.read(piece, 0, piece.length)) != -1) {
                int count = 0;
                for (int i = 0; i < read; i++) {
                    char c = piece[i];
                    if (c == LF) {
                        if (!afterCr) {
                            converted[count++] = CR;
                        }
                    } else {
                        converted[count++] = c;
                    }
                    afterCr = c == CR;
                }
                _appendCharArray(cToken, converted, 0, count);
            }
        }
        LOG.fine("Finished reading");
    }

    /** Wraps a text token; fmData is the value it was read from, or null. */
    public FMText(long cToken, FMData fmData) {
        this.cToken = cToken;
        this.fmData = fmData;
    }

    /** The text as a Java string, line ends as the host holds them. */
    @Override
    public String getAsString() {
        if (fmData != null) {
            return fmData.getStringData();
        }
        FMData data = new FMData();
        writeToData(data);
        return data.getStringData();
    }

    @Override
    public String toString() {
        try {
            return getAsString();
        } catch (Throwable t) {
            LOG.log(Level.SEVERE, "Could not convert to String", t);
            return super.toString();
        }
    }

    /** The host value becomes a copy of this text, native type text. */
    @Override
    public void writeToData(FMData destination) {
        _writeToData(cToken, destination.getCToken());
    }

    public long getTextLength() {
        return _getTextLength(cToken);
    }

    /** Copies len units from pointer into cbuf from off; units past the end of the text are left alone. */
    public void readCharArray(long pointer, char[] cbuf, int off, int len) {
        _getCharArray(cToken, pointer, cbuf, off, len);
    }

    /** Appends the whole other text at the end of this one. */
    public void appendText(FMText other) {
        jni_appendText(cToken, other.cToken);
    }

    /** Styles length units from position; the host decides what Size_End means here. */
    public void setStyle(FMCharacterStyle style, long position, long length) {
        jni_setStyle(cToken, style.cToken, position, length);
    }

    /** A new style holding the style at the position. */
    public FMCharacterStyle getStyle(long position) {
        return new FMCharacterStyle(jni_getStyle(cToken, position));
    }

    public FMCharacterStyle getDefaultStyle() {
        return new FMCharacterStyle(jni_getDefaultStyle(cToken));
    }

    public FMData getFmData() {
        return fmData;
    }

    static void registerConverters() {
        FMType.addConverter(new FMTextConverter());
        FMType.addConverter(new StringConverter());
        FMType.addConverter(new ReaderConverter());
    }

    /** {@code FMText} only: the value's own text. */
    static final class FMTextConverter implements Converter {
        @Override
        public boolean canConvertTo(Class<?> targetClass) {
            return targetClass == FMText.class;
        }

        @Override
        public Object convertData(FMData param, Class<?> targetClass) {
            return param.getFMText();
        }
    }

    /**
     * {@code String} only: the value's text with every CR turned into LF;
     * null for an empty value or an empty text. Long texts are read in pieces.
     */
    static final class StringConverter implements Converter {
        @Override
        public boolean canConvertTo(Class<?> targetClass) {
            return targetClass == String.class;
        }

        @Override
        public Object convertData(FMData param, Class<?> targetClass) {
            if (param == null || param.isEmpty()) {
                return null;
            }
            String text = null;
            FMText fmText = param.getFMText();
            long length = fmText.getTextLength();
            if (length > LONG_TEXT) {
                if (length > Integer.MAX_VALUE) {
                    throw new RuntimeException("Text is too large: " + length + " chars");
                }
                try {
                    text = readLong(fmText, (int) length);
                } catch (IOException e) {
                    LOG.log(Level.SEVERE, "Could not read FMText into String", e);
                }
            }
            if (text == null) {
                text = param.getStringData().replace(CR, LF);
            }
            return text.isEmpty() ? null : text;
        }

        private static String readLong(FMText fmText, int length) throws IOException {
            StringBuilder text = new StringBuilder(length);
            char[] piece = new char[LONG_TEXT_PIECE];
            try (FMTextReader reader = new FMTextReader(fmText)) {
                int read;
                while ((read = reader.read(piece, 0, piece.length)) != -1) {
                    for (int i = 0; i < read; i++) {
                        text.append(piece[i] == CR ? LF : piece[i]);
                    }
                }
            }
            return text.toString();
        }
    }

    /** {@code Reader} and {@code FMTextReader}: a reader over the value's own text. */
    static final class ReaderConverter implements Converter {
        @Override
        public boolean canConvertTo(Class<?> targetClass) {
            return targetClass == Reader.class || targetClass == FMTextReader.class;
        }

        @Override
        public Object convertData(FMData param, Class<?> targetClass) {
            return new FMTextReader(param.getFMText());
        }
    }

    // Natives behind this class; the receiving object is unused and the first
    // argument is the Text token where there is one.
    native long _createText(String value);

    native long _createEmptyText();

    native void _appendCharArray(long token, char[] chars, int offset, int count);

    native void _writeToData(long token, long dataToken);

    native void jni_appendText(long token, long otherToken);

    native void jni_setStyle(long token, long styleToken, long position, long length);

    native long jni_getStyle(long token, long position);

    native long jni_getDefaultStyle(long token);

    native long _getTextLength(long token);

    native void _getCharArray(long token, long position, char[] chars, int offset, int count);
}
