package com.tessal.veskor;

import java.io.File;
import java.io.FileNotFoundException;

/** A file was expected where a folder stands. */
public class DirectoryInsteadOfFileException extends FileNotFoundException {
    private static final long serialVersionUID = 1L;

    private final File file;

    public DirectoryInsteadOfFileException(File file) {
        super(file + " is a directory");
        this.file = file;
    }

    public File getFile() {
        return file;
    }
}
