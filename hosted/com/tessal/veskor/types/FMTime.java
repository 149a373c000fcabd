package com.tessal.veskor.types;

/** A time of day on its own. Not implemented: times travel as {@link FMTimestamp}. */
public class FMTime extends FMType {
    @Override
    public void writeToData(FMData destination) {
        throw new AbstractMethodError();
    }

    @Override
    public String getAsString() {
        throw new AbstractMethodError("This feature has not been implemented yet.");
    }
}
