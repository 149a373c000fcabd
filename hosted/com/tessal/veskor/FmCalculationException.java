package com.tessal.veskor;

/** The host rejected a calculation a plug-in asked it to evaluate; the code is the host's. */
public class FmCalculationException extends FMException {
    private static final long serialVersionUID = 1L;

    FmCalculationException(int errorCode) {
        super(errorCode);
    }

    FmCalculationException(int errorCode, String errorMessage) {
        super(errorCode, errorMessage);
    }
}
