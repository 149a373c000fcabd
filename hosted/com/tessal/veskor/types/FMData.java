package com.tessal.veskor.types;

import java.time.Instant;
import java.time.LocalDateTime;
import java.time.ZoneId;
import java.time.ZoneOffset;
import java.util.TimeZone;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * One host value, named by its native token: a call parameter or the result
 * value (borrowed from the host), or a value made here (deleted by the
 * release pass at the end of the function call or idle cycle that made it).
 * The wrapper never deletes anything, and must not be used after its value
 * is gone.
 */
public class FMData {
    private static final Logger LOG = Logger.getLogger(FMData.class.getName());

    /** Milliseconds from the host epoch's day 0 to 1970-01-01 00:00. */
    public static final long FM_EPOCH_OFFSET = 62135683200000L;

    public static final int kDTInvalid = 0;
    public static final int kDTText = 1;
    public static final int kDTNumber = 2;
    public static final int kDTDate = 3;
    public static final int kDTTime = 4;
    public static final int kDTTimeStamp = 5;
    public static final int kDTBinary = 6;
    public static final int kDTBoolean = 7;

    private static final long SECONDS_OFFSET = FM_EPOCH_OFFSET / 1000;

    private final long cDataToken;

    /** Wraps the token of an existing host value. */
    public FMData(long cDataToken) {
        this.cDataToken = cDataToken;
    }

    /** Makes a new empty host value. */
    public FMData() {
        this.cDataToken = _createEmptyData();
    }

    public long getCToken() {
        return cDataToken;
    }

    public boolean isEmpty() {
        return _isEmpty(cDataToken);
    }

    /** The host number as a 32-bit integer (the host's conversion), widened. */
    public long getLongData() {
        return _getLongData(cDataToken);
    }

    public double getDoubleData() {
        return _getDoubleData(cDataToken);
    }

    public String getStringData() {
        return _getStringData(cDataToken);
    }

    /** The value becomes text (null is the empty text); it ends before a first U+0000. */
    public void setStringData(String value) {
        _setStringData(cDataToken, value == null ? "" : value);
    }

    /**
     * The value read as a timestamp, in milliseconds since 1970-01-01 00:00
     * UTC; 0 for an empty value, and for one that reads as 0. The host holds
     * local wall-clock time: it is placed in the VM's default time zone by
     * that zone's rules, so a time in the hour that a clock change skips
     * moves forward by the change, and one in the hour that repeats takes
     * the earlier instant.
     */
    public long getDateTimeValue() {
        long seconds = _getDateTimeValue(cDataToken);
        if (seconds == 0) {
            return 0;
        }
        LocalDateTime local = LocalDateTime.ofEpochSecond(seconds - SECONDS_OFFSET, 0, ZoneOffset.UTC);
        return local.atZone(defaultZone()).toInstant().toEpochMilli();
    }

    /**
     * Stores the instant as a host timestamp: its wall-clock time in the VM's
     * default time zone, to the second (milliseconds are dropped).
     */
    public void setDateTimeValue(long date) {
        LocalDateTime local = LocalDateTime.ofInstant(Instant.ofEpochMilli(date), defaultZone());
        _setDateValue(cDataToken, local.getYear(), local.getMonthValue(), local.getDayOfMonth(), local.getHour(),
            local.getMinute(), local.getSecond());
    }

    private static ZoneId defaultZone() {
        return TimeZone.getDefault().toZoneId();
    }

    /** The value's own text, borrowed: it lives as long as this value. */
    public FMText getFMText() {
        return new FMText(_getFMText(cDataToken), this);
    }

    /**
     * The value's container: a file reference when its text is a reference
     * text, else a copy of its container data, registered for release.
     */
    public FMBinaryInterface getFMBinary() {
        String s = getStringData();
        if (s != null && FileReference.isValidReferenceString(s)) {
            if (LOG.isLoggable(Level.FINE)) {
                LOG.fine("stringData " + s + " is a REFERENCE");
            }
            return new FileReference(s);
        }
        if (LOG.isLoggable(Level.FINE)) {
            LOG.fine("stringData " + s + " is a STORED CONTAINER");
        }
        return storedContainer();
    }

    /** A copy of the value's container data, registered for release, whatever its text. */
    FMBinary storedContainer() {
        return new FMBinary(_getFMBinary(cDataToken), this);
    }

    /** The value becomes a copy of the container. */
    public void setFMBinary(FMBinary binary) {
        _setFMBinary(cDataToken, binary.cToken());
    }

    /** The value as its natural value type: a number, stored container data, or else its text. */
    public FMType getFMType() {
        switch (_getNativeType(cDataToken)) {
            case kDTInvalid:
                throw new IllegalStateException("Invalid data type");
            case kDTNumber:
                return new FMNumber(Double.valueOf(getDoubleData()));
            case kDTBinary: {
                // A reference is no value type of its own: its text stands for it.
                FMBinaryInterface container = getFMBinary();
                return container instanceof FMType ? (FMType) container : getFMText();
            }
            default:
                return getFMText();
        }
    }

    static void registerConverters() {
        FMType.addConverter(new FMDataConverter());
    }

    /** {@code FMData} only: the argument itself, or null when it is empty. */
    static final class FMDataConverter implements Converter {
        @Override
        public boolean canConvertTo(Class<?> targetClass) {
            return targetClass == FMData.class;
        }

        @Override
        public Object convertData(FMData param, Class<?> targetClass) {
            return param.isEmpty() ? null : param;
        }
    }

    // Natives behind this class; the receiving object is unused and the first
    // argument is always the Data token.
    native long _createEmptyData();

    native int _getNativeType(long token);

    native boolean _isEmpty(long token);

    native void _setStringData(long token, String value);

    native String _getStringData(long token);

    native long _getLongData(long token);

    native double _getDoubleData(long token);

    /** Local wall-clock seconds since the host epoch; 0 for an empty value. */
    native long _getDateTimeValue(long token);

    /** Seconds since the host epoch as a full 64-bit count. Not used here. */
    native long _getDateValue(long token);

    native void _setDateValue(long token, int year, int month, int day, int hour, int minute, int second);

    native long _getFMText(long token);

    native long _getFMBinary(long token);

    native void _setFMBinary(long token, long binaryToken);
}
