package com.tessal.veskor;

import java.text.DateFormat;
import java.text.ParseException;
import java.util.Date;
import java.util.Locale;

/** A plug-in's version: the text users see and the release date of its major version. */
public final class VersionInfo {
    private final String stringVersion;
    private final Date majorReleaseDate;

    public VersionInfo(String stringVersion, Date majorReleaseDate) {
        if (stringVersion == null) {
            throw new NullPointerException("stringVersion must not be null.");
        }
        if (majorReleaseDate == null) {
            throw new NullPointerException("majorReleaseDate must not be null.");
        }
        this.stringVersion = stringVersion;
        this.majorReleaseDate = new Date(majorReleaseDate.getTime());
    }

    /** The date as a United States short date, month first: "7/1/2008". */
    public VersionInfo(String stringVersion, String majorReleaseDate) {
        this(stringVersion, parseDate(majorReleaseDate));
    }

    private static Date parseDate(String text) {
        if (text == null) {
            throw new NullPointerException("majorReleaseDate must not be null.");
        }
        try {
            return DateFormat.getDateInstance(DateFormat.SHORT, Locale.US).parse(text);
        } catch (ParseException e) {
            throw new IllegalArgumentException("Not a date: " + text, e);
        }
    }

    public String getStringVersion() {
        return stringVersion;
    }

    public Date getMajorReleaseDate() {
        return new Date(majorReleaseDate.getTime());
    }

    @Override
    public String toString() {
        return stringVersion;
    }
}
