package com.tessal.veskor.unicode;

/** Thrown when SCSU input ends in the middle of a character. */
public class EndOfInputException extends Exception {
    private static final long serialVersionUID = 1L;

    public EndOfInputException() {
    }

    public EndOfInputException(String message) {
        super(message);
    }
}
