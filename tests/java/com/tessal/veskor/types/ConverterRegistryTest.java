package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertThrows;

import com.tessal.veskor.FMTypeConverter;
import java.io.File;
import java.io.Reader;
import java.math.BigDecimal;
import java.math.BigInteger;
import java.sql.Timestamp;
import java.util.Date;
import java.util.HashMap;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.Properties;
import java.util.concurrent.atomic.AtomicLong;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;
import org.junit.jupiter.params.provider.ValueSource;

/** The registry's order and its first-match rule, without natives. */
class ConverterRegistryTest {
    @Test
    void theRegistryHoldsTheConvertersInLookupOrder() {
        List<String> names = FMType.registeredConverters().stream()
            .limit(20)
            .map(converter -> converter.getClass().getSimpleName())
            .collect(Collectors.toList());
        assertEquals(List.of(
            "IntegerConverter", "LongConverter", "BigDecimalConverter", "DoubleConverter", "FloatConverter",
            "ShortConverter", "BigIntegerConverter", "ByteConverter", "GenericNumberConverter", "BooleanConverter",
            "FMTextConverter", "StringConverter", "ReaderConverter", "TimestampConverter", "GenericDateConverter",
            "FMBinaryConverter", "FMDictConverter", "FMDataConverter", "FMTypeConverter", "FileConverter"), names);
        assertEquals(FMTypeConverter.class, FMType.registeredConverters().get(18).getClass());
    }

    static Stream<Arguments> targets() {
        return Stream.of(
            Arguments.of(Integer.class, "IntegerConverter"),
            Arguments.of(int.class, "IntegerConverter"),
            Arguments.of(long.class, "LongConverter"),
            Arguments.of(BigDecimal.class, "BigDecimalConverter"),
            Arguments.of(double.class, "DoubleConverter"),
            Arguments.of(Float.class, "FloatConverter"),
            Arguments.of(short.class, "ShortConverter"),
            Arguments.of(BigInteger.class, "BigIntegerConverter"),
            Arguments.of(byte.class, "ByteConverter"),
            Arguments.of(AtomicLong.class, "GenericNumberConverter"),
            Arguments.of(Number.class, "GenericNumberConverter"),
            Arguments.of(boolean.class, "BooleanConverter"),
            Arguments.of(FMText.class, "FMTextConverter"),
            Arguments.of(String.class, "StringConverter"),
            Arguments.of(Reader.class, "ReaderConverter"),
            Arguments.of(FMTextReader.class, "ReaderConverter"),
            Arguments.of(Date.class, "TimestampConverter"),
            Arguments.of(Timestamp.class, "GenericDateConverter"),
            Arguments.of(java.sql.Date.class, "GenericDateConverter"),
            Arguments.of(FMBinary.class, "FMBinaryConverter"),
            Arguments.of(FMBinaryInterface.class, "FMBinaryConverter"),
            Arguments.of(FileReference.class, "FMBinaryConverter"),
            Arguments.of(File.class, "FileConverter"),
            Arguments.of(Map.class, "FMDictConverter"),
            Arguments.of(HashMap.class, "FMDictConverter"),
            Arguments.of(Properties.class, "FMDictConverter"),
            Arguments.of(FMData.class, "FMDataConverter"),
            Arguments.of(FMType.class, "FMTypeConverter"));
    }

    @ParameterizedTest
    @MethodSource("targets")
    void eachClassFindsTheFirstConverterThatTakesIt(Class<?> target, String converter) throws Exception {
        assertEquals(converter, FMType.converterForClass(target).getClass().getSimpleName());
    }

    @ParameterizedTest
    @ValueSource(classes = {Object.class, char.class, Character.class, List.class, FMNumber.class, FMTimestamp.class,
        StringBuilder.class, Reader[].class})
    void classesWithoutAConverterAreRefusedWithCodeMinus2(Class<?> target) {
        FMType.UnsupportedTypeConversionException refused =
            assertThrows(FMType.UnsupportedTypeConversionException.class, () -> FMType.converterForClass(target));
        assertEquals(-2, refused.getErrorCode());
        assertEquals("(-2): No conversion capability for class " + target.getName(), refused.getMessage());
    }

    /** A class only the added converter knows. */
    record Point(int x, int y) {
    }

    @Test
    void addedConvertersComeAfterAllEarlierOnes() throws Exception {
        Converter added = new Converter() {
            @Override
            public boolean canConvertTo(Class<?> targetClass) {
                return targetClass == Point.class || targetClass == Integer.class;
            }

            @Override
            public Object convertData(FMData param, Class<?> targetClass) {
                return null;
            }
        };
        FMType.addConverter(added);
        assertSame(added, FMType.converterForClass(Point.class));
        assertEquals("IntegerConverter", FMType.converterForClass(Integer.class).getClass().getSimpleName());
    }

    @ParameterizedTest
    @ValueSource(strings = {"text", "Number", "DATE", "time", "TimeStamp", "container"})
    void hostFieldTypesHaveAJavaClass(String typeName) {
        Class<?> expected = Map.of("text", String.class, "number", BigDecimal.class, "date", Date.class, "time",
            Date.class, "timestamp", Date.class, "container", FMData.class).get(typeName.toLowerCase(Locale.ROOT));
        assertSame(expected, FMType.classForFMType(typeName));
    }

    @Test
    void unknownFieldTypesAreRefused() {
        assertEquals("Unknown FM type 'blob'",
            assertThrows(IllegalArgumentException.class, () -> FMType.classForFMType("BLOB")).getMessage());
        assertEquals("typeName must not be null.",
            assertThrows(NullPointerException.class, () -> FMType.classForFMType(null)).getMessage());
    }

    @Test
    void datesAndTimesAloneAreNotImplemented() {
        assertEquals("This feature has not been implemented yet.",
            assertThrows(AbstractMethodError.class, () -> new FMDate().getAsString()).getMessage());
        assertEquals("This feature has not been implemented yet.",
            assertThrows(AbstractMethodError.class, () -> new FMTime().getAsString()).getMessage());
        new FMDate().writeToData(null);
        assertEquals(null, assertThrows(AbstractMethodError.class, () -> new FMTime().writeToData(null)).getMessage());
    }

    @Test
    void numbersKeepTheirOwnText() {
        assertEquals("true", new FMNumber(true).getAsString());
        assertEquals("1.2345678E7", new FMNumber(Double.valueOf(12345678.0)).toString());
        assertEquals(null, new FMNumber((Number) null).getAsString());
        assertEquals("7", new FMNumber(7L).getAsString());
    }
}
