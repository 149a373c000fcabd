package com.tessal.veskor.types;

import com.tessal.veskor.PluginUtils;
import java.io.File;

/** {@code java.io.File}: the file at the host path the value holds; null for an empty value. */
final class FileConverter implements Converter {
    static void registerConverters() {
        FMType.addConverter(new FileConverter());
    }

    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return targetClass == File.class;
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        return param.isEmpty() ? null : PluginUtils.fileForFMPath(param.getStringData());
    }
}
