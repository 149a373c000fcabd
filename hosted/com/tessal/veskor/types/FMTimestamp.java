package com.tessal.veskor.types;

import java.lang.reflect.InvocationTargetException;
import java.util.Date;

/** A date and time returned to the host, written as a host timestamp. */
public class FMTimestamp extends FMType {
    private final Date date;

    /** The date is kept as given; a null date writes nothing. */
    public FMTimestamp(Date date) {
        this.date = date;
    }

    @Override
    public void writeToData(FMData destination) {
        if (date != null) {
            destination.setDateTimeValue(date.getTime());
        }
    }

    @Override
    public String getAsString() {
        return date == null ? null : date.toString();
    }

    static void registerConverters() {
        FMType.addConverter(new TimestampConverter());
        FMType.addConverter(new GenericDateConverter());
    }

    /** {@code java.util.Date} only: the host date, time or timestamp; null when it reads as 0. */
    static final class TimestampConverter implements Converter {
        @Override
        public boolean canConvertTo(Class<?> targetClass) {
            return targetClass == Date.class;
        }

        @Override
        public Object convertData(FMData param, Class<?> targetClass) {
            long millis = param.getDateTimeValue();
            return millis == 0 ? null : new Date(millis);
        }
    }

    /**
     * Subclasses of {@code java.util.Date} ({@code java.sql.Date},
     * {@code Time}, {@code Timestamp}): as {@link TimestampConverter},
     * through the class's public constructor taking one {@code long}.
     */
    static final class GenericDateConverter implements Converter {
        @Override
        public boolean canConvertTo(Class<?> targetClass) {
            return Date.class.isAssignableFrom(targetClass);
        }

        @Override
        public Object convertData(FMData param, Class<?> targetClass) {
            long millis = param.getDateTimeValue();
            if (millis == 0) {
                return null;
            }
            try {
                return targetClass.getConstructor(long.class).newInstance(millis);
            } catch (InvocationTargetException e) {
                throw new RuntimeException(e.getCause());
            } catch (ReflectiveOperationException | RuntimeException e) {
                throw new RuntimeException(e);
            }
        }
    }
}
