package com.tessal.veskor;

/**
 * A failure with an error code: the framework's own codes (-1 unknown, -2 no
 * converter, -3 no function) or a positive code of the host's.
 */
public class FMException extends Exception {
    private static final long serialVersionUID = 1L;

    /** Any failure of the dispatcher that is not an {@code FMException}. */
    public static final short UNKNOWN_ERROR = -1;

    private final short errorCode;
    private final String errorMessage;

    /** The message is the code in decimal. */
    public FMException(int errorCode) {
        super(Integer.toString((short) errorCode));
        this.errorCode = (short) errorCode;
        this.errorMessage = null;
    }

    /** The message is "(" + code + "): " + text; the text is kept as the error message. */
    public FMException(int errorCode, String errorMessage) {
        super("(" + (short) errorCode + "): " + errorMessage);
        this.errorCode = (short) errorCode;
        this.errorMessage = errorMessage;
    }

    public short getErrorCode() {
        return errorCode;
    }

    /** The text given with the code, or null. */
    public String getErrorMessage() {
        return errorMessage;
    }
}
