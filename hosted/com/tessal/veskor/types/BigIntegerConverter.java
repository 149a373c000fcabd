package com.tessal.veskor.types;

import java.math.BigInteger;

/** {@code BigInteger} only: the host number as a 32-bit integer. */
final class BigIntegerConverter implements Converter {
    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return targetClass == BigInteger.class;
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        if (FMNumber.isEmptyInteger(param)) {
            return null;
        }
        return new BigInteger(Integer.toString((int) param.getLongData()));
    }
}
