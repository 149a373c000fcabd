package com.tessal.veskor.types;

/** Turns a host argument into a value of a Java parameter type. */
public interface Converter {
    /** Whether this converter produces values of the class (primitive classes such as int included). */
    boolean canConvertTo(Class<?> targetClass);

    /** The argument as a value of the class (boxed for a primitive class), or null. */
    Object convertData(FMData param, Class<?> targetClass);
}
