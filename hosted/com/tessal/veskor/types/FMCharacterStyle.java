package com.tessal.veskor.types;

import java.util.Collections;
import java.util.LinkedHashMap;
import java.util.Locale;
import java.util.Map;
import java.util.logging.Logger;
import java.util.regex.Pattern;

/**
 * A host character style: face, font id, font size and colour. The fields
 * hold the last values set through this object; face, font id and size can
 * be asked of the host, the colour cannot.
 */
public class FMCharacterStyle {
    private static final Logger LOG = Logger.getLogger(FMCharacterStyle.class.getName());

    public static final int Face_Plain = 0;
    public static final int Face_Strikethrough = 1;
    public static final int Face_SmallCaps = 2;
    public static final int Face_Superscript = 4;
    public static final int Face_Subscript = 8;
    public static final int Face_Uppercase = 16;
    public static final int Face_Lowercase = 32;
    public static final int Face_Titlecase = 48;
    public static final int Face_WordUnderline = 64;
    public static final int Face_DoubleUnderline = 128;
    public static final int Face_Bold = 256;
    public static final int Face_Italic = 512;
    public static final int Face_Underline = 1024;
    public static final int Face_Outline = 2048;
    public static final int Face_Shadow = 4096;
    public static final int Face_Condense = 8192;
    public static final int Face_Extend = 16384;
    public static final int Face_AllStyles = 32767;

    /** The style words of {@link #setFaces}, lower case, with their face bits. */
    public static final Map<String, Integer> textStylesByName;

    static {
        Map<String, Integer> words = new LinkedHashMap<>();
        words.put("plain", Face_Plain);
        words.put("strikethrough", Face_Strikethrough);
        words.put("smallcaps", Face_SmallCaps);
        words.put("superscript", Face_Superscript);
        words.put("subscript", Face_Subscript);
        words.put("uppercase", Face_Uppercase);
        words.put("lowercase", Face_Lowercase);
        words.put("titlecase", Face_Titlecase);
        words.put("wordunderline", Face_WordUnderline);
        words.put("doubleunderline", Face_DoubleUnderline);
        words.put("bold", Face_Bold);
        words.put("italic", Face_Italic);
        words.put("underline", Face_Underline);
        words.put("outline", Face_Outline);
        words.put("shadow", Face_Shadow);
        words.put("condense", Face_Condense);
        words.put("extend", Face_Extend);
        textStylesByName = Collections.unmodifiableMap(words);
    }

    private static final Pattern WORD_SEPARATORS = Pattern.compile("[\\+ ]+");

    final long cToken;
    private int face;
    private int fontID;
    private int fontSize;
    private int red;
    private int green;
    private int blue;
    private int alpha;

    /** A new host style. */
    public FMCharacterStyle() {
        this.cToken = _createCharacterStyle();
    }

    /** A new host style with the font, face and size set, in that order. */
    public FMCharacterStyle(int fontID, int face, int fontSize) {
        this();
        setFontID(fontID);
        setFace(face);
        setFontSize(fontSize);
    }

    /** Wraps a style token. */
    public FMCharacterStyle(long cToken) {
        this.cToken = cToken;
    }

    public void setFace(int face) {
        this.face = face;
        jni_setface(cToken, face);
    }

    /** Sets the face named by style words and numbers joined by '+' or blanks, such as "Bold+Italic". */
    public void setFaces(String faces) {
        setFace(faceForWords(faces == null ? "" : faces));
    }

    public void setFontID(int fontID) {
        this.fontID = fontID;
        jni_setFontID(cToken, fontID);
    }

    public void setFontSize(int fontSize) {
        this.fontSize = fontSize;
        jni_setFontSize(cToken, fontSize);
    }

    public void setSize(int size) {
        setFontSize(size);
    }

    /** Each channel keeps the low 8 bits of its value: 300 is stored as 44. */
    public void setColor(int red, int green, int blue, int alpha) {
        this.red = red;
        this.green = green;
        this.blue = blue;
        this.alpha = alpha;
        jni_setColor(cToken, red, green, blue, alpha);
    }

    /** The host's face, 0 to 65535. */
    public int getFace() {
        return jni_getFace(cToken);
    }

    public int getFontID() {
        return jni_getFontID(cToken);
    }

    public int getFontSize() {
        return jni_getFontSize(cToken);
    }

    /**
     * The sum of the parts of a face text split at runs of '+' and blanks:
     * a style word (any letter case) gives its bits, anything else is read
     * as a decimal integer, and a part that is neither is skipped with a
     * warning. Empty parts count nothing.
     */
    static int faceForWords(String faces) {
        int sum = 0;
        for (String part : WORD_SEPARATORS.split(faces)) {
            if (part.isEmpty()) {
                continue;
            }
            Integer bits = textStylesByName.get(part.toLowerCase(Locale.ROOT));
            if (bits != null) {
                sum += bits;
                continue;
            }
            try {
                sum += Integer.parseInt(part);
            } catch (NumberFormatException e) {
                LOG.warning("Invalid style: " + part);
            }
        }
        return sum;
    }

    @Override
    public String toString() {
        return "FMCharacterStyle{face=" + getFace() + ", fontID=" + getFontID() + ", fontSize=" + getFontSize()
            + ", red=" + red + ", green=" + green + ", blue=" + blue + ", alpha=" + alpha + ", cToken=" + cToken
            + "}";
    }

    // Natives behind this class; the receiving object is unused and the first
    // argument is the CharacterStyle token where there is one.
    native long _createCharacterStyle();

    native void jni_setface(long token, int face);

    native void jni_setFontID(long token, int fontID);

    native void jni_setFontSize(long token, int fontSize);

    native void jni_setColor(long token, int red, int green, int blue, int alpha);

    native int jni_getFace(long token);

    native int jni_getFontID(long token);

    native int jni_getFontSize(long token);
}
