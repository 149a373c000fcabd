package com.tessal.fmplugin.jdbc;

import java.util.regex.Pattern;

/**
 * JDBC URLs often carry a password ("...?user=a&password=b",
 * "...;password=b"): every URL that is printed or logged goes through here.
 */
public final class UrlPasswords {
    private static final Pattern PASSWORD = Pattern.compile("(?i)\\b(password|pwd|passwd)=([^&;]*)");

    private UrlPasswords() {
    }

    /** The URL with the value of every password key replaced by "****". */
    public static String mask(String url) {
        return url == null ? null : PASSWORD.matcher(url).replaceAll("$1=****");
    }
}
