package com.tessal.veskor.types;

import java.math.BigDecimal;

/**
 * A number (or a Boolean) returned to the host. It reaches the host as text:
 * its digits without an exponent (ten million held as a double is written
 * 10000000), and a Boolean as 1 or 0.
 */
public class FMNumber extends FMType {
    private final Object value;

    /** Stored as it is; may be null. */
    public FMNumber(Number value) {
        this.value = value;
    }

    public FMNumber(int value) {
        this.value = Integer.valueOf(value);
    }

    public FMNumber(long value) {
        this.value = Long.valueOf(value);
    }

    public FMNumber(boolean value) {
        this.value = Boolean.valueOf(value);
    }

    @Override
    public void writeToData(FMData destination) {
        String text;
        if (value == null) {
            text = "";
        } else if (value instanceof Boolean) {
            text = ((Boolean) value) ? "1" : "0";
        } else {
            text = plainText((Number) value);
        }
        destination.setStringData(text);
    }

    /**
     * The number as digits with no exponent. The host reads a number from
     * text by its digits alone, so Java's "1.0E7" for ten million would
     * arrive as 1.07; values that are no finite number keep Java's text.
     */
    static String plainText(Number value) {
        try {
            if (value instanceof BigDecimal) {
                return ((BigDecimal) value).toPlainString();
            }
            if (value instanceof Double || value instanceof Float) {
                double d = value.doubleValue();
                if (Double.isNaN(d) || Double.isInfinite(d)) {
                    return value.toString();
                }
                BigDecimal exact = value instanceof Float ? new BigDecimal(value.toString())
                    : BigDecimal.valueOf(d);
                String plain = exact.toPlainString();
                return plain.endsWith(".0") ? plain.substring(0, plain.length() - 2) : plain;
            }
        } catch (NumberFormatException e) {
            return value.toString();
        }
        return value.toString();
    }

    /** The value's own text (true or false for a Boolean), or null. */
    @Override
    public String getAsString() {
        return value == null ? null : value.toString();
    }

    @Override
    public String toString() {
        return getAsString();
    }

    static void registerConverters() {
        FMType.addConverter(new IntegerConverter());
        FMType.addConverter(new LongConverter());
        FMType.addConverter(new BigDecimalConverter());
        FMType.addConverter(new DoubleConverter());
        FMType.addConverter(new FloatConverter());
        FMType.addConverter(new ShortConverter());
        FMType.addConverter(new BigIntegerConverter());
        FMType.addConverter(new ByteConverter());
        FMType.addConverter(new GenericNumberConverter());
        FMType.addConverter(new BooleanConverter());
    }

    /** An argument without a number: it reads as 0 and its text is empty. */
    static boolean isEmptyInteger(FMData param) {
        return param.getLongData() == 0 && isEmptyText(param);
    }

    /** As {@link #isEmptyInteger}, reading the number as a double. */
    static boolean isEmptyDouble(FMData param) {
        return param.getDoubleData() == 0 && isEmptyText(param);
    }

    static boolean isEmptyText(FMData param) {
        String text = param.getStringData();
        return text == null || text.isEmpty();
    }

    /** {@code Integer} and {@code int}: the host number as a 32-bit integer. */
    static final class IntegerConverter implements Converter {
        @Override
        public boolean canConvertTo(Class<?> targetClass) {
            return targetClass == Integer.class || targetClass == int.class;
        }

        @Override
        public Object convertData(FMData param, Class<?> targetClass) {
            if (isEmptyInteger(param)) {
                return targetClass.isPrimitive() ? Integer.valueOf(0) : null;
            }
            return Integer.valueOf((int) param.getLongData());
        }
    }
}
