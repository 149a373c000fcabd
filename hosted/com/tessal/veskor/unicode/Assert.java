package com.tessal.veskor.unicode;

/** An internal error of the SCSU codec: a state the code should never reach. */
public class Assert extends RuntimeException {
    private static final long serialVersionUID = 1L;

    public Assert() {
    }

    public Assert(String message) {
        super(message);
    }
}
