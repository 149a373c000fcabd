package com.tessal.veskor.types;

import java.lang.reflect.InvocationTargetException;

/**
 * Any other {@code Number} class: its public constructor taking one
 * {@code String}, applied to the argument's text.
 */
final class GenericNumberConverter implements Converter {
    @Override
    public boolean canConvertTo(Class<?> targetClass) {
        return Number.class.isAssignableFrom(targetClass);
    }

    @Override
    public Object convertData(FMData param, Class<?> targetClass) {
        String text = param.getStringData();
        if (text == null || text.isEmpty()) {
            return null;
        }
        try {
            return targetClass.getConstructor(String.class).newInstance(text);
        } catch (InvocationTargetException e) {
            throw new RuntimeException(e.getCause());
        } catch (ReflectiveOperationException | RuntimeException e) {
            throw new RuntimeException(e);
        }
    }
}
