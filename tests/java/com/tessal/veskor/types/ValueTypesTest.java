package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertInstanceOf;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertSame;

import com.tessal.veskor.FMTypeConverter;
import com.tessal.veskor.testing.HostHooks;
import com.tessal.veskor.testing.HostObjects;
import java.awt.Color;
import java.io.StringReader;
import java.math.BigDecimal;
import java.util.Date;
import java.util.LinkedHashSet;
import java.util.List;
import java.util.TimeZone;
import java.util.stream.Stream;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** Values returned to the host: the best type for a Java object, and what each type writes. */
@ExtendWith(HostObjects.class)
class ValueTypesTest {
    private long result;

    @BeforeEach
    void makeResult() {
        result = HostHooks.newValue();
    }

    @AfterEach
    void deleteResult() {
        HostHooks.deleteValue(result);
    }

    /** The host text of what the value writes into a result value. */
    private String written(FMType value) {
        value.writeToData(new FMData(result));
        return HostHooks.textOf(result);
    }

    static Stream<Arguments> objects() {
        return Stream.of(
            Arguments.of("text", FMText.class, "text"),
            Arguments.of(new StringReader("a\nb"), FMText.class, "a\rb"),
            Arguments.of(42, FMNumber.class, "42"),
            Arguments.of(12345678.0, FMNumber.class, "12345678"),
            Arguments.of(new BigDecimal("0.10"), FMNumber.class, "0.10"),
            Arguments.of(true, FMNumber.class, "1"),
            Arguments.of(false, FMNumber.class, "0"),
            Arguments.of(new Color(255, 128, 0), FMText.class, "RGB(255,128,0)"),
            Arguments.of(List.of("x", "y"), FMText.class, "x\ry"),
            Arguments.of(new LinkedHashSet<>(List.of(1, 2)), FMText.class, "1\r2"),
            Arguments.of(new Object[][] {{1, 2}, {3}}, FMText.class, "1\t2\r3"),
            Arguments.of(new Object[] {"a", null, new String[] {"b", "c"}}, FMText.class, "a\rnull\rb\tc"),
            Arguments.of(new Date(1000), FMTimestamp.class, "1/1/1970 0:00:01"),
            Arguments.of(new StringBuilder("built"), FMText.class, "built"));
    }

    @ParameterizedTest
    @MethodSource("objects")
    void eachObjectGetsItsBestType(Object in, Class<?> type, String text) {
        TimeZone.setDefault(TimeZone.getTimeZone("UTC"));
        FMType best = FMType.bestTypeForJavaObject(in);
        assertInstanceOf(type, best);
        assertEquals(text, written(best));
    }

    @Test
    void nullAndValueTypesPassThrough() {
        assertNull(FMType.bestTypeForJavaObject(null));
        FMNumber number = new FMNumber(1);
        assertSame(number, FMType.bestTypeForJavaObject(number));
    }

    @Test
    void numbersWriteTheirDigitsWithoutAnExponentAndBooleansOneOrZero() {
        // The host reads a number from text by its digits: "1.0E7" would be 1.07.
        assertEquals("12345678", written(new FMNumber(Double.valueOf(12345678.0))));
        assertEquals("10000000", written(new FMNumber(Double.valueOf(1e7))));
        assertEquals("0.0000001", written(new FMNumber(new BigDecimal("1E-7"))));
        assertEquals("0.1", written(new FMNumber(Float.valueOf(0.1f))));
        assertEquals("-2.5", written(new FMNumber(Double.valueOf(-2.5))));
        assertEquals("12345678901234567890", written(new FMNumber(new java.math.BigInteger("12345678901234567890"))));
        assertEquals("NaN", written(new FMNumber(Double.valueOf(Double.NaN))));
        FMNumber yes = new FMNumber(true);
        assertEquals("1", written(yes));
        assertEquals("true", yes.getAsString());
        assertEquals("", written(new FMNumber((Number) null)));
        assertEquals(FMData.kDTText, new FMData(result)._getNativeType(result), "numbers reach the host as text");
    }

    @Test
    void simpleMappingByKind() {
        TimeZone.setDefault(TimeZone.getTimeZone("UTC"));
        assertEquals("s", written(assertInstanceOf(FMText.class, FMTypeConverter.getAsFMType("s"))));
        assertEquals("2.5", written(assertInstanceOf(FMNumber.class, FMTypeConverter.getAsFMType(2.5))));
        assertInstanceOf(FMTimestamp.class, FMTypeConverter.getAsFMType(new java.sql.Date(0)));
        assertEquals("[1, 2]", written(assertInstanceOf(FMText.class, FMTypeConverter.getAsFMType(List.of(1, 2)))));
        assertEquals("true", written(FMTypeConverter.getAsFMType(true)), "no special case for booleans here");
    }
}
