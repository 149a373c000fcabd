package com.tessal.veskor;

import java.util.Locale;

/**
 * A four-character type code, such as the type of a container stream or a
 * plug-in's id, with the MIME type it stands for. Codes compare by value.
 */
public final class QuadChar {
    private static final String UNKNOWN_MIME_TYPE = "application/unknown";

    public static final QuadChar FileName = new QuadChar('F', 'N', 'A', 'M');
    public static final QuadChar ImageJPEG = new QuadChar('J', 'P', 'E', 'G', "image/jpg");
    public static final QuadChar ImageTIFF = new QuadChar('T', 'I', 'F', 'F');
    public static final QuadChar ImageGIF = new QuadChar('G', 'I', 'F', 'f', "image/gif");
    public static final QuadChar ImagePng = new QuadChar('P', 'N', 'G', 'f', "image/png");
    public static final QuadChar ImageEPS = new QuadChar('E', 'P', 'S', ' ', "image/eps");
    public static final QuadChar ImagePICT = new QuadChar('P', 'I', 'C', 'T', "image/pict");
    public static final QuadChar ImageMETA = new QuadChar('M', 'E', 'T', 'A', "image/meta");
    public static final QuadChar ImageBMP = new QuadChar('B', 'M', 'P', ' ', "image/bmp");
    public static final QuadChar ImagePDF = new QuadChar('P', 'D', 'F', ' ', "application/pdf");
    public static final QuadChar ImageSize = new QuadChar('S', 'I', 'Z', 'E');
    public static final QuadChar FileData = new QuadChar('F', 'I', 'L', 'E');
    public static final QuadChar ResourceFork = new QuadChar('F', 'O', 'R', 'K');
    public static final QuadChar Sound = new QuadChar('s', 'n', 'd', ' ');

    private final String typeString;
    private final String mimeType;

    public QuadChar(char c0, char c1, char c2, char c3) {
        this(c0, c1, c2, c3, null);
    }

    /** A null MIME type becomes application/unknown. */
    public QuadChar(char c0, char c1, char c2, char c3, String mimeType) {
        this.typeString = new String(new char[] {c0, c1, c2, c3});
        this.mimeType = mimeType == null ? UNKNOWN_MIME_TYPE : mimeType;
    }

    /** A code of exactly four characters; its MIME type stays null. */
    public QuadChar(String typeString) {
        if (typeString.length() != 4) {
            throw new IllegalArgumentException(
                "You tried to create a QuadChar with a string of length: " + typeString.length());
        }
        this.typeString = typeString;
        this.mimeType = null;
    }

    public String getMimeType() {
        return mimeType;
    }

    /** True only for the image constants themselves, not for equal codes made elsewhere. */
    public boolean isImage() {
        return this == ImageJPEG || this == ImageGIF || this == ImagePng || this == ImagePICT || this == ImageBMP;
    }

    /** The type for a file name's extension; FileData for any other name. */
    public static QuadChar forFilename(String filename) {
        if (filename == null) {
            throw new NullPointerException("filename must not be null.");
        }
        String name = filename.toLowerCase(Locale.ROOT);
        if (name.endsWith("jpg") || name.endsWith("jpeg")) {
            return ImageJPEG;
        } else if (name.endsWith("gif")) {
            return ImageGIF;
        } else if (name.endsWith("pdf")) {
            return ImagePDF;
        } else if (name.endsWith("png")) {
            return ImagePng;
        } else if (name.endsWith("bmp")) {
            return ImageBMP;
        } else if (name.endsWith("pict")) {
            return ImagePICT;
        } else if (name.endsWith("ps")) {
            return ImageEPS;
        }
        return FileData;
    }

    /** The type for a MIME type such as image/png; null for null or a type without '/'. */
    public static QuadChar forMimeType(String mimeType) {
        if (mimeType == null || mimeType.indexOf('/') < 0) {
            return null;
        }
        return forFilename(mimeType.replace('/', '.'));
    }

    @Override
    public String toString() {
        return typeString;
    }

    @Override
    public int hashCode() {
        return typeString.hashCode();
    }

    /** Equal codes are equal whatever their MIME types; anything but a QuadChar is not equal. */
    @Override
    public boolean equals(Object other) {
        return other instanceof QuadChar && typeString.equals(((QuadChar) other).typeString);
    }
}
