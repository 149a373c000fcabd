package com.tessal.veskor;

/** A failure whose message is meant for the user as it stands, without a class name. */
public class FeedbackException extends Exception {
    private static final long serialVersionUID = 1L;

    public FeedbackException(String message) {
        super(message);
    }

    public FeedbackException(String message, Throwable cause) {
        super(message, cause);
    }
}
