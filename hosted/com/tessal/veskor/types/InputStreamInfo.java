package com.tessal.veskor.types;

import java.io.File;
import java.io.FileInputStream;
import java.io.FileNotFoundException;
import java.io.InputStream;

/** A stream to read, with the name, length (-1 when unknown) and content type of what it delivers. */
public class InputStreamInfo {
    private final InputStream stream;
    private String name;
    private final long length;
    private final String contentType;

    /** A stream on the file, with its name and length. */
    public InputStreamInfo(File file) throws FileNotFoundException {
        this(new FileInputStream(file), file.getName(), file.length());
    }

    public InputStreamInfo(InputStream stream, String name, long length) {
        this(stream, name, length, null);
    }

    public InputStreamInfo(InputStream stream, String name, long length, String optionalContentType) {
        this.stream = stream;
        this.name = name;
        this.length = length;
        this.contentType = optionalContentType;
    }

    public InputStream getStream() {
        return stream;
    }

    public String getName() {
        return name;
    }

    public void setName(String name) {
        this.name = name;
    }

    public long getLength() {
        return length;
    }

    /** The content type, or null. */
    public String getContentType() {
        return contentType;
    }
}
