package com.tessal.veskor.types;

/**
 * {@code Boolean} and {@code boolean}: a non-zero host number is true. A zero
 * is false, except that an empty argument gives null for {@code Boolean}.
 */
final class BooleanConverter implements Converter {
    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return targetClass == Boolean.class || targetClass == boolean.class;
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        if (param.getLongData() != 0) {
            return Boolean.TRUE;
        }
        if (targetClass == boolean.class) {
            return Boolean.FALSE;
        }
        return param.isEmpty() ? null : Boolean.FALSE;
    }
}
