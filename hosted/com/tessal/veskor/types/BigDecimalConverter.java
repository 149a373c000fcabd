package com.tessal.veskor.types;

import java.math.BigDecimal;

/**
 * {@code BigDecimal} only: the host number read as a double, as the exact
 * binary value of that double (0.1 gives 0.1000000000000000055511151231257827...).
 */
final class BigDecimalConverter implements Converter {
    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return targetClass == BigDecimal.class;
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        if (FMNumber.isEmptyDouble(param)) {
            return null;
        }
        return new BigDecimal(param.getDoubleData());
    }
}
