package com.tessal.veskor.types;

/** {@code Short} and {@code short}: the host number as a 32-bit integer narrowed to 16 bits. */
final class ShortConverter implements Converter {
    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return targetClass == Short.class || targetClass == short.class;
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        if (FMNumber.isEmptyInteger(param)) {
            return targetClass.isPrimitive() ? Short.valueOf((short) 0) : null;
        }
        return Short.valueOf((short) (int) param.getLongData());
    }
}
