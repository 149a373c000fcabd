package com.tessal.veskor.types;

/** {@code Byte} and {@code byte}: the host number as a 32-bit integer narrowed to 8 bits. */
final class ByteConverter implements Converter {
    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return targetClass == Byte.class || targetClass == byte.class;
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        if (FMNumber.isEmptyInteger(param)) {
            return targetClass.isPrimitive() ? Byte.valueOf((byte) 0) : null;
        }
        return Byte.valueOf((byte) (int) param.getLongData());
    }
}
