package com.tessal.veskor.types;

/**
 * A container that refers to a file outside the database: the host keeps
 * only a short text of keys and values, such as "size:640,480" and
 * "image:pics/a.jpg".
 */
public class FileReference {
    public static final int TYPE_FILE = 0;
    public static final int TYPE_IMAGE = 1;
    public static final int TYPE_MOVIE = 2;
    /** The type codes, in the order of the TYPE_ constants. */
    static final String[] TYPE_CODES = {"file", "image", "movie"};

    private static final int SHORTEST_REFERENCE = 5;

    /** Whether a text is a reference: it starts with "size:", or with a type code, its "mac" or its "win", and ":". */
    public static boolean isValidReferenceString(String s) {
        if (s == null || s.length() < SHORTEST_REFERENCE) {
            return false;
        }
        if (s.startsWith("size:")) {
            return true;
        }
        for (String code : TYPE_CODES) {
            if (s.startsWith(code + ":") || s.startsWith(code + "mac:") || s.startsWith(code + "win:")) {
                return true;
            }
        }
        return false;
    }
}
