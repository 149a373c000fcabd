package com.tessal.veskor.unicode;

/** Thrown when an encoder's output buffer has no room for the next character. */
public class EndOfOutputException extends Exception {
    private static final long serialVersionUID = 1L;

    public EndOfOutputException() {
    }

    public EndOfOutputException(String message) {
        super(message);
    }
}
