package com.tessal.veskor;

/**
 * A call into the host library that the host reported as failed. The natives
 * behind the value classes throw it; the host objects they had made by then
 * stay registered and are deleted by the next release pass.
 */
public class HostFailureException extends RuntimeException {
    private static final long serialVersionUID = 1L;

    /** The host ran out of memory. */
    public static final int OUT_OF_MEMORY = 1;
    /** Any other failure of the host. */
    public static final int FAILURE = 2;

    private final String function;
    private final int errorCode;

    public HostFailureException(String function, int errorCode) {
        super(function + " failed: " + (errorCode == OUT_OF_MEMORY ? "out of memory" : "host error " + errorCode));
        this.function = function;
        this.errorCode = errorCode;
    }

    /** The host library function that failed, such as FM_Text_AppendText. */
    public String getFunction() {
        return function;
    }

    /** The host's code: {@link #OUT_OF_MEMORY} or {@link #FAILURE}. */
    public int getErrorCode() {
        return errorCode;
    }
}
