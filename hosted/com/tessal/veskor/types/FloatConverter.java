package com.tessal.veskor.types;

/** {@code Float} and {@code float}: the host number as a double narrowed to float. */
final class FloatConverter implements Converter {
    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return targetClass == Float.class || targetClass == float.class;
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        if (FMNumber.isEmptyDouble(param)) {
            return targetClass.isPrimitive() ? Float.valueOf(0.0f) : null;
        }
        return Float.valueOf((float) param.getDoubleData());
    }
}
