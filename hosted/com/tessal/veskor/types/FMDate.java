package com.tessal.veskor.types;

/** A date on its own. Not implemented: dates travel as {@link FMTimestamp}. */
public class FMDate extends FMType {
    /** Writes nothing. */
    @Override
    public void writeToData(FMData destination) {
    }

    @Override
    public String getAsString() {
        throw new AbstractMethodError("This feature has not been implemented yet.");
    }
}
