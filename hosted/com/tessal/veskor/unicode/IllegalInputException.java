package com.tessal.veskor.unicode;

/** Thrown when SCSU input, or text to be compressed, is not valid. */
public class IllegalInputException extends Exception {
    private static final long serialVersionUID = 1L;

    public IllegalInputException() {
    }

    public IllegalInputException(String message) {
        super(message);
    }
}
