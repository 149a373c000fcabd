package com.tessal.veskor.types;

import java.io.IOException;
import java.io.StringReader;
import java.io.UncheckedIOException;
import java.util.Collections;
import java.util.Map;
import java.util.Properties;

/**
 * Any {@code Map} class: key-value pairs read from the host text in the
 * properties-file syntax (one {@code key=value} or {@code key: value} per
 * line, comments with # or !). The result is always a {@code Properties},
 * and the shared immutable empty map for an empty argument.
 */
public class FMDictConverter implements Converter {
    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return Map.class.isAssignableFrom(targetClass);
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        if (param.isEmpty()) {
            return Collections.emptyMap();
        }
        // Read from the characters themselves: encoding them first and loading
        // the bytes would read them back as ISO 8859-1 and garble every
        // character outside it.
        Properties properties = new Properties();
        try {
            properties.load(new StringReader(param.getStringData()));
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
        return properties;
    }

    static void registerConverters() {
        FMType.addConverter(new FMDictConverter());
    }
}
