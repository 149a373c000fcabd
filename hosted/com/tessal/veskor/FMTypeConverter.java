package com.tessal.veskor;

import com.tessal.veskor.types.Converter;
import com.tessal.veskor.types.FMData;
import com.tessal.veskor.types.FMNumber;
import com.tessal.veskor.types.FMText;
import com.tessal.veskor.types.FMTimestamp;
import com.tessal.veskor.types.FMType;
import java.util.Date;

/** Converts a host argument to {@code FMType}: the value as its natural value type. */
public class FMTypeConverter implements Converter {
    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return targetClass == FMType.class;
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        return param.getFMType();
    }

    /**
     * A simpler mapping than {@link FMType#bestTypeForJavaObject}: strings,
     * numbers and dates by their kind, anything else as the text of its
     * {@code toString}.
     */
    public static FMType getAsFMType(Object o) {
        if (o instanceof String) {
            return new FMText((String) o);
        } else if (o instanceof Number) {
            return new FMNumber((Number) o);
        } else if (o instanceof Date) {
            return new FMTimestamp((Date) o);
        }
        return new FMText(o.toString());
    }
}
