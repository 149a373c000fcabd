package com.tessal.veskor.types;

/** {@code Double} and {@code double}: the host number as a double. */
final class DoubleConverter implements Converter {
    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return targetClass == Double.class || targetClass == double.class;
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        if (FMNumber.isEmptyDouble(param)) {
            return targetClass.isPrimitive() ? Double.valueOf(0.0) : null;
        }
        return Double.valueOf(param.getDoubleData());
    }
}
