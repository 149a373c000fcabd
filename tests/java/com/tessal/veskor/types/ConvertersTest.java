package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertInstanceOf;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertThrows;

import com.tessal.veskor.testing.HostHooks;
import com.tessal.veskor.testing.HostObjects;
import java.io.Reader;
import java.math.BigDecimal;
import java.math.BigInteger;
import java.sql.Timestamp;
import java.util.Collections;
import java.util.Date;
import java.util.Map;
import java.util.Properties;
import java.util.TimeZone;
import java.util.TreeMap;
import java.util.stream.Stream;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** Host arguments converted to parameter values, through the registry and the real natives. */
@ExtendWith(HostObjects.class)
class ConvertersTest {
    private long token;

    @BeforeEach
    void makeArgument() {
        token = HostHooks.newValue();
    }

    @AfterEach
    void deleteArgument() {
        HostHooks.deleteValue(token);
    }

    private Object convert(Class<?> target) throws Exception {
        return FMType.converterForClass(target).convertData(new FMData(token), target);
    }

    /** A number type reached only through its one-String constructor. */
    public static final class Amount extends Number {
        private static final long serialVersionUID = 1L;
        final String text;

        public Amount(String text) {
            if (!text.matches("[0-9]+")) {
                throw new NumberFormatException(text);
            }
            this.text = text;
        }

        @Override
        public int intValue() {
            return Integer.parseInt(text);
        }

        @Override
        public long longValue() {
            return intValue();
        }

        @Override
        public float floatValue() {
            return intValue();
        }

        @Override
        public double doubleValue() {
            return intValue();
        }
    }

    static Stream<Arguments> emptyArguments() {
        return Stream.of(
            Arguments.of(int.class, 0), Arguments.of(Integer.class, null),
            Arguments.of(long.class, 0L), Arguments.of(Long.class, null),
            Arguments.of(double.class, 0.0), Arguments.of(Double.class, null),
            Arguments.of(float.class, 0.0f), Arguments.of(Float.class, null),
            Arguments.of(short.class, (short) 0), Arguments.of(Short.class, null),
            Arguments.of(byte.class, (byte) 0), Arguments.of(Byte.class, null),
            Arguments.of(BigDecimal.class, null), Arguments.of(BigInteger.class, null),
            Arguments.of(Amount.class, null),
            Arguments.of(boolean.class, false), Arguments.of(Boolean.class, null),
            Arguments.of(String.class, null), Arguments.of(Date.class, null), Arguments.of(Timestamp.class, null),
            Arguments.of(FMData.class, null), Arguments.of(FMBinary.class, null));
    }

    @ParameterizedTest
    @MethodSource("emptyArguments")
    void emptyArgumentsGiveZeroForPrimitivesAndNullOtherwise(Class<?> target, Object expected) throws Exception {
        assertEquals(expected, convert(target));
    }

    static Stream<Arguments> numbers() {
        return Stream.of(
            Arguments.of("0", Integer.class, 0),
            Arguments.of("12.7", int.class, 12),
            Arguments.of("-3000000000", Integer.class, Integer.MIN_VALUE),
            Arguments.of("3000000000", long.class, (long) Integer.MAX_VALUE),
            Arguments.of("70000", short.class, (short) 70000),
            Arguments.of("300", Byte.class, (byte) 44),
            Arguments.of("12345678901", BigInteger.class, BigInteger.valueOf(Integer.MAX_VALUE)),
            Arguments.of("0.1", BigDecimal.class, new BigDecimal(0.1)),
            Arguments.of("0.1", double.class, 0.1),
            Arguments.of("0.1", Float.class, 0.1f),
            Arguments.of("0", Boolean.class, Boolean.FALSE),
            Arguments.of("2", boolean.class, Boolean.TRUE),
            Arguments.of("-1", Boolean.class, Boolean.TRUE));
    }

    @ParameterizedTest
    @MethodSource("numbers")
    void numbersConvertThroughTheHostsIntegerOrDouble(String decimal, Class<?> target, Object expected)
        throws Exception {
        HostHooks.setNumber(token, decimal);
        assertEquals(expected, convert(target));
    }

    @Test
    void bigDecimalIsTheExactExpansionOfTheDouble() throws Exception {
        HostHooks.setNumber(token, "0.1");
        BigDecimal value = (BigDecimal) convert(BigDecimal.class);
        assertEquals("0.1000000000000000055511151231257827021181583404541015625", value.toPlainString());
    }

    @Test
    void textThatIsNoNumberIsFalseForBooleansAndFailsForOtherNumbers() throws Exception {
        HostHooks.setText(token, "abc");
        assertEquals(Boolean.FALSE, convert(Boolean.class));
        assertEquals(0, convert(Integer.class), "text is not empty, so this is the number 0");
        RuntimeException failure = assertThrows(RuntimeException.class, () -> convert(Amount.class));
        assertInstanceOf(NumberFormatException.class, failure.getCause());
        HostHooks.setText(token, "42");
        assertEquals("42", ((Amount) convert(Amount.class)).text);
    }

    @Test
    void datesConvertToTheirOwnClassOrToNullAtTheEpoch() throws Exception {
        TimeZone.setDefault(TimeZone.getTimeZone("UTC"));
        HostHooks.setTimestamp(token, 719163 + 1, 61);
        long millis = 86400000L + 61000L;
        assertEquals(new Date(millis), convert(Date.class));
        Object stamp = convert(Timestamp.class);
        assertEquals(Timestamp.class, stamp.getClass());
        assertEquals(millis, ((Timestamp) stamp).getTime());
        assertEquals(java.sql.Date.class, convert(java.sql.Date.class).getClass());

        HostHooks.setDate(token, 719163 + 2);
        assertEquals(new Date(2 * 86400000L), convert(Date.class), "a date reads as its midnight");

        HostHooks.setTimestamp(token, 719163, 0); // the Java epoch in local time
        assertNull(convert(Date.class));
        TimeZone.setDefault(TimeZone.getTimeZone("Asia/Tokyo"));
        assertEquals(new Date(-9 * 3600000L), convert(Date.class), "not the epoch in another zone");
    }

    @Test
    void mapsArePropertiesReadFromTheText() throws Exception {
        assertSame(Collections.emptyMap(), convert(Map.class));
        HostHooks.setText(token, "a=1\rb: 2\r# comment\rname=Zoë €\r");
        Object map = convert(Map.class);
        assertEquals(Properties.class, map.getClass());
        assertEquals(Map.of("a", "1", "b", "2", "name", "Zoë €"), map);
        assertEquals(Properties.class, convert(TreeMap.class).getClass());
    }

    @Test
    void valuesAndNaturalTypesConvertAsThemselves() throws Exception {
        HostHooks.setText(token, "x\ry");
        FMData same = (FMData) convert(FMData.class);
        assertEquals(token, same.getCToken());
        assertEquals("x\ry", ((FMText) convert(FMType.class)).getAsString());
        assertEquals("x\ry", ((FMText) convert(FMText.class)).getAsString());
        assertEquals("x\ny", convert(String.class));
        HostHooks.setNumber(token, "4");
        assertEquals("4.0", ((FMNumber) convert(FMType.class)).getAsString());
    }

    @Test
    void readersReadTheHostText() throws Exception {
        HostHooks.setText(token, "abc");
        Reader reader = (Reader) convert(Reader.class);
        char[] chars = new char[8];
        assertEquals(3, reader.read(chars, 0, 8));
        assertEquals("abc", new String(chars, 0, 3));
        assertInstanceOf(FMTextReader.class, convert(FMTextReader.class));
    }

    @Test
    void timestampsWriteThemselvesAndNullWritesNothing() {
        TimeZone.setDefault(TimeZone.getTimeZone("UTC"));
        HostHooks.setText(token, "kept");
        new FMTimestamp(null).writeToData(new FMData(token));
        assertEquals("kept", HostHooks.textOf(token));
        new FMTimestamp(new Date(1204290309000L)).writeToData(new FMData(token));
        assertEquals("2/29/2008 13:05:09", HostHooks.textOf(token));
        assertEquals(1204290309000L, new FMData(token).getDateTimeValue());
    }
}
