package com.tessal.veskor.types;

/** {@code Long} and {@code long}: the host number as a 32-bit integer, widened. */
final class LongConverter implements Converter {
    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return targetClass == Long.class || targetClass == long.class;
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        if (FMNumber.isEmptyInteger(param)) {
            return targetClass.isPrimitive() ? Long.valueOf(0L) : null;
        }
        return Long.valueOf((int) param.getLongData());
    }
}
