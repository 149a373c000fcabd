package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertInstanceOf;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tessal.veskor.HostFailureException;
import com.tessal.veskor.testing.HostHooks;
import com.tessal.veskor.testing.HostObjects;
import java.time.Instant;
import java.time.LocalDate;
import java.util.TimeZone;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.MethodSource;

@ExtendWith(HostObjects.class)
class DataNativesTest {
    private static final int DAY_OF_1970 = 719163;

    private static void inZone(String zone) {
        TimeZone.setDefault(TimeZone.getTimeZone(zone));
    }

    private static long millis(String instant) {
        return Instant.parse(instant).toEpochMilli();
    }

    @Test
    void timestampsReadAsWallClockSecondsAndZeroMeansNoValue() {
        inZone("UTC");
        FMData data = new FMData();
        assertEquals(0, data._getDateTimeValue(data.getCToken()), "empty value");
        assertEquals(0, data.getDateTimeValue());

        HostHooks.setTimestamp(data.getCToken(), 0, 0); // midnight of the epoch's day 0
        assertEquals(0, data._getDateTimeValue(data.getCToken()));
        assertEquals(0, data.getDateTimeValue());

        HostHooks.setTimestamp(data.getCToken(), DAY_OF_1970, 0);
        assertEquals(62135683200L, data._getDateTimeValue(data.getCToken()));
        assertEquals(0, data.getDateTimeValue(), "the Java epoch itself reads as no value");

        HostHooks.setTimestamp(data.getCToken(), DAY_OF_1970, 1);
        assertEquals(1000, data.getDateTimeValue());
    }

    @Test
    void leapDayTimestampRoundTrips() {
        inZone("UTC");
        FMData data = new FMData();
        data._setDateValue(data.getCToken(), 2008, 2, 29, 13, 5, 9);
        assertEquals(FMData.kDTTimeStamp, data._getNativeType(data.getCToken()));
        assertEquals("2/29/2008 13:05:09", HostHooks.textOf(data.getCToken()));
        long expected = millis("2008-02-29T13:05:09Z");
        assertEquals(expected, data.getDateTimeValue());

        FMData copy = new FMData();
        copy.setDateTimeValue(expected);
        assertEquals("2/29/2008 13:05:09", HostHooks.textOf(copy.getCToken()));
    }

    @Test
    void millisecondsAreDroppedOnWrite() {
        inZone("UTC");
        FMData a = new FMData();
        FMData b = new FMData();
        a.setDateTimeValue(1234);
        b.setDateTimeValue(1000);
        assertEquals("1/1/1970 0:00:01", HostHooks.textOf(a.getCToken()));
        assertEquals(HostHooks.textOf(a.getCToken()), HostHooks.textOf(b.getCToken()));
    }

    /**
     * Host times are local wall-clock times in the VM's zone. Around a clock
     * change they still round-trip: the hour after the spring change and the
     * first of the two repeated autumn hours.
     */
    @ParameterizedTest
    @CsvSource({
        "America/New_York, 2008-07-04T16:00:00Z, 7/4/2008 12:00:00",
        "America/New_York, 2008-01-15T17:30:00Z, 1/15/2008 12:30:00",
        "America/New_York, 2008-03-09T06:30:00Z, 3/9/2008 1:30:00",
        "America/New_York, 2008-03-09T07:30:00Z, 3/9/2008 3:30:00",
        "America/New_York, 2008-11-02T05:30:00Z, 11/2/2008 1:30:00",
        "Europe/Berlin,    2008-03-30T00:30:00Z, 3/30/2008 1:30:00",
        "Europe/Berlin,    2008-03-30T01:30:00Z, 3/30/2008 3:30:00",
        "Australia/Sydney, 2008-10-04T15:30:00Z, 10/5/2008 1:30:00",
    })
    void timestampsRoundTripInZonesWithDaylightSaving(String zone, String instant, String hostText) {
        inZone(zone);
        FMData data = new FMData();
        data.setDateTimeValue(millis(instant));
        assertEquals(hostText, HostHooks.textOf(data.getCToken()));
        assertEquals(millis(instant), data.getDateTimeValue());
    }

    @Test
    void wallClockTimesThatAClockChangeSkipsOrRepeats() {
        inZone("America/New_York");
        FMData data = new FMData();
        int march9 = (int) LocalDate.of(2008, 3, 9).toEpochDay() + DAY_OF_1970;
        HostHooks.setTimestamp(data.getCToken(), march9, 2 * 3600 + 30 * 60); // 2:30 does not exist
        assertEquals(millis("2008-03-09T07:30:00Z"), data.getDateTimeValue(), "moved on by the change");

        int november2 = (int) LocalDate.of(2008, 11, 2).toEpochDay() + DAY_OF_1970;
        HostHooks.setTimestamp(data.getCToken(), november2, 3600 + 30 * 60); // 1:30 happens twice
        assertEquals(millis("2008-11-02T05:30:00Z"), data.getDateTimeValue(), "the earlier of the two");
    }

    @Test
    void dateValueIsTheFull64BitSecondCount() {
        FMData data = new FMData();
        data._setDateValue(data.getCToken(), 2008, 2, 29, 13, 5, 9);
        long days = LocalDate.of(2008, 2, 29).toEpochDay() + DAY_OF_1970;
        long seconds = data._getDateValue(data.getCToken());
        assertEquals(days * 86400 + 13 * 3600 + 5 * 60 + 9, seconds);
        assertTrue(seconds > Integer.MAX_VALUE);
    }

    @Test
    void timeOfDayIsWrittenAsATimeAndReadBack() {
        FMData data = new FMData();
        HostHooks.setTimeValue(data.getCToken(), 3723);
        assertEquals(FMData.kDTTime, data._getNativeType(data.getCToken()));
        assertEquals("1:02:03", HostHooks.textOf(data.getCToken()));
        assertEquals(3723, HostHooks.getTimeValue(data.getCToken()));

        HostHooks.setTime(data.getCToken(), 12 * 3600 + 34 * 60 + 56);
        assertEquals(45296, HostHooks.getTimeValue(data.getCToken()));
    }

    @ParameterizedTest
    @CsvSource({
        "3000000000,  2147483647,  3.0E9",
        "-3000000000, -2147483648, -3.0E9",
        "12.7,        12,          12.7",
        "-12.7,       -12,         -12.7",
        "0.1,         0,           0.1",
    })
    void numbersReadAs32BitIntegersAndDoubles(String decimal, long asLong, double asDouble) {
        long token = HostHooks.newValue();
        try {
            HostHooks.setNumber(token, decimal);
            FMData data = new FMData(token);
            assertEquals(asLong, data.getLongData());
            assertEquals(asDouble, data.getDoubleData());
            assertEquals(FMData.kDTNumber, data._getNativeType(token));
        } finally {
            HostHooks.deleteValue(token);
        }
    }

    static Stream<Arguments> strings() {
        return Stream.of(
            Arguments.of("", ""),
            Arguments.of("plain", "plain"),
            Arguments.of("ab\u0000cd", "ab"),
            Arguments.of("Grüße, 東京 😀 𐌰", "Grüße, 東京 😀 𐌰"),
            Arguments.of("a\rb", "a\rb"));
    }

    @ParameterizedTest
    @MethodSource("strings")
    void stringsCrossAsUtf16AndStopAtU0000(String written, String read) {
        FMData data = new FMData();
        data.setStringData(written);
        assertEquals(read, data.getStringData());
        assertEquals(read, HostHooks.textOf(data.getCToken()));
        assertEquals(FMData.kDTText, data._getNativeType(data.getCToken()));
    }

    @Test
    void nullStringWritesTheEmptyText() {
        FMData data = new FMData();
        data.setStringData("x");
        data.setStringData(null);
        assertEquals("", data.getStringData());
    }

    @Test
    void textViewIsBorrowedAndNotRegistered() {
        FMData data = new FMData();
        data.setStringData("hello");
        long registered = HostHooks.registeredCount();
        FMText text = data.getFMText();
        assertEquals(registered, HostHooks.registeredCount());
        assertEquals(5, text.getTextLength());
        assertEquals("hello", text.getAsString());
    }

    @Test
    void naturalTypeFollowsTheNativeType() {
        long token = HostHooks.newValue();
        try {
            FMData data = new FMData(token);
            assertEquals(FMData.kDTInvalid, data._getNativeType(token));
            assertEquals("Invalid data type", assertThrows(IllegalStateException.class, data::getFMType).getMessage());

            HostHooks.setNumber(token, "2.5");
            FMType number = data.getFMType();
            assertInstanceOf(FMNumber.class, number);
            assertEquals("2.5", number.getAsString(), "held as a Double");

            HostHooks.setText(token, "words");
            assertEquals("words", assertInstanceOf(FMText.class, data.getFMType()).getAsString());

            HostHooks.setTimestamp(token, DAY_OF_1970, 0);
            assertEquals("1/1/1970 0:00:00", assertInstanceOf(FMText.class, data.getFMType()).getAsString());

            data.setFMBinary(new FMBinary());
            assertInstanceOf(FMBinary.class, data.getFMType());
        } finally {
            HostHooks.deleteValue(token);
        }
    }

    @ParameterizedTest
    @CsvSource({"1, out of memory", "2, host error 2"})
    void hostFailuresReachJavaWithTheHostsCode(int code, String says) {
        FMData data = new FMData();
        HostHooks.injectFailure("FM_Data_GetAsText", code, 0);
        HostFailureException failure = assertThrows(HostFailureException.class, data::getStringData);
        assertEquals(code, failure.getErrorCode());
        assertEquals("FM_Data_GetAsText", failure.getFunction());
        assertEquals("FM_Data_GetAsText failed: " + says, failure.getMessage());
        assertEquals("", data.getStringData(), "the next call works again");
    }

    @Test
    void anEmptyValueIsEmptyAndAFilledOneIsNot() {
        FMData data = new FMData();
        assertTrue(data.isEmpty());
        data.setStringData("x");
        assertFalse(data.isEmpty());
    }
}
