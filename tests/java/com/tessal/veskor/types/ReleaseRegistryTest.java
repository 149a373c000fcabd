package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tessal.veskor.HostFailureException;
import com.tessal.veskor.testing.HostHooks;
import com.tessal.veskor.testing.HostObjects;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * The handle rule: every host object that a native makes for hosted code is
 * registered and deleted by the next release pass (texts, then containers,
 * values and styles, each list newest first); parameters are never touched.
 * A delete that fails ends the pass; the rest waits for the next one.
 */
@ExtendWith(HostObjects.class)
class ReleaseRegistryTest {
    private static final List<String> TEMPORARY_KINDS = List.of("Text", "FixPt", "DateTime", "Color", "QuadChar");

    /** One object of each registered kind, and three texts. */
    private static final class Made {
        final FMText oldText = new FMText("1");
        final FMText middleText = new FMText("2");
        final FMText newText = new FMText("3");
        final FMBinary binary = new FMBinary();
        final FMData data = new FMData();
        final FMCharacterStyle style = new FMCharacterStyle();

        Map<String, Long> tokens() {
            Map<String, Long> tokens = new LinkedHashMap<>();
            tokens.put("oldText", oldText.cToken);
            tokens.put("middleText", middleText.cToken);
            tokens.put("newText", newText.cToken);
            tokens.put("binary", binary.cToken);
            tokens.put("data", data.getCToken());
            tokens.put("style", style.cToken);
            return tokens;
        }
    }

    private static long[] temporaryCounts() {
        return TEMPORARY_KINDS.stream().mapToLong(HostHooks::liveCount).toArray();
    }

    @Test
    void aPassDeletesEverythingTheNativesMade() {
        long before = HostHooks.liveTotal();
        Made made = new Made();
        made.newText.getStyle(0);
        made.newText.getDefaultStyle();
        made.data.setStringData("x");
        made.data.getFMText(); // borrowed: not registered
        assertEquals(8, HostHooks.registeredCount());
        assertEquals(before + 8, HostHooks.liveTotal());
        HostHooks.releasePass();
        assertEquals(0, HostHooks.registeredCount());
        assertEquals(before, HostHooks.liveTotal());
    }

    @Test
    void textsGoNewestFirstAndAFailedDeleteEndsThePass() {
        Made made = new Made();
        HostHooks.injectFailure("FM_Text_Delete", 2, 1); // the second text delete fails
        HostHooks.releasePass();
        assertFalse(HostHooks.isLive(made.newText.cToken));
        assertTrue(HostHooks.isLive(made.middleText.cToken), "its delete failed");
        assertTrue(HostHooks.isLive(made.oldText.cToken), "not reached");
        assertTrue(HostHooks.isLive(made.binary.cToken));
        assertEquals(4, HostHooks.registeredCount(), "the failed entry has left the list");

        HostHooks.releasePass();
        assertFalse(HostHooks.isLive(made.oldText.cToken));
        assertFalse(HostHooks.isLive(made.style.cToken));
        assertTrue(HostHooks.isLive(made.middleText.cToken), "no longer registered");
        HostHooks.deleteHostObject("Text", made.middleText.cToken);
    }

    /**
     * The order of the lists, seen through a delete that fails: what the pass
     * had not reached by then is still alive, and the failed object is no
     * longer registered.
     */
    @ParameterizedTest
    @CsvSource({
        "FM_Text_Delete,           Text,           newText,  'oldText middleText binary data style'",
        "FM_BinaryData_Delete,     BinaryData,     binary,   'data style'",
        "FM_Data_Delete,           Data,           data,     style",
        "FM_CharacterStyle_Delete, CharacterStyle, style,    ''",
    })
    void listsGoTextsContainersValuesThenStyles(String failing, String kind, String failed, String notReached) {
        Map<String, Long> made = new Made().tokens();
        HostHooks.injectFailure(failing, 2, 0);
        HostHooks.releasePass();
        List<String> unreached = notReached.isEmpty() ? List.of() : List.of(notReached.split(" "));
        for (Map.Entry<String, Long> object : made.entrySet()) {
            boolean alive = unreached.contains(object.getKey()) || object.getKey().equals(failed);
            assertEquals(alive, HostHooks.isLive(object.getValue()), object.getKey());
        }
        assertEquals(unreached.size(), HostHooks.registeredCount());
        HostHooks.releasePass();
        made.forEach((name, token) -> assertEquals(name.equals(failed), HostHooks.isLive(token), name));
        HostHooks.deleteHostObject(kind, made.get(failed));
    }

    @Test
    void parametersAndTheirTextViewsAreNeverDeleted() {
        long parameter = HostHooks.newValue();
        long result = HostHooks.newValue();
        try {
            HostHooks.setText(parameter, "argument");
            FMData argument = new FMData(parameter);
            FMText view = argument.getFMText();
            new FMText(view.getAsString() + "!").writeToData(new FMData(result));
            HostHooks.releasePass();
            assertTrue(HostHooks.isLive(parameter));
            assertTrue(HostHooks.isLive(result));
            assertEquals("argument", HostHooks.textOf(parameter));
            assertEquals("argument!", HostHooks.textOf(result), "the host copied the text");
            assertEquals(8, view.getTextLength());
        } finally {
            HostHooks.deleteValue(parameter);
            HostHooks.deleteValue(result);
        }
    }

    @Test
    void anObjectMadeBeforeAHostFailureStaysRegistered() {
        HostHooks.injectFailure("FM_Text_AssignUnicode", 1, 0);
        HostFailureException failure = assertThrows(HostFailureException.class, () -> new FMText("x"));
        assertEquals(HostFailureException.OUT_OF_MEMORY, failure.getErrorCode());
        assertEquals(1, HostHooks.registeredCount());

        HostHooks.injectFailure("FM_CharacterStyle_SetSize", 2, 0);
        assertThrows(HostFailureException.class, () -> new FMCharacterStyle(1, 2, 3));
        assertEquals(2, HostHooks.registeredCount());

        HostHooks.injectFailure("FM_Text_Constructor1", 2, 0);
        assertThrows(HostFailureException.class, () -> new FMText("y"));
        assertEquals(2, HostHooks.registeredCount(), "nothing was made");
    }

    @ParameterizedTest
    @ValueSource(strings = {"", "FM_Data_SetAsTimeStamp", "FM_DateTime_SetNormalizedTime1", "FM_FixPt_AssignInt"})
    void temporariesNeverOutliveTheCall(String failing) {
        FMData data = new FMData();
        long[] before = temporaryCounts();
        if (!failing.isEmpty()) {
            HostHooks.injectFailure(failing, 2, 0);
            assertThrows(HostFailureException.class, () -> data._setDateValue(data.getCToken(), 2008, 2, 29, 1, 2, 3));
        } else {
            data._setDateValue(data.getCToken(), 2008, 2, 29, 1, 2, 3);
        }
        data.setStringData("text");
        HostHooks.setTimeValue(data.getCToken(), 60);
        new FMCharacterStyle().setColor(1, 2, 3, 4);
        FMBinary binary = new FMBinary();
        binary._addStream(binary.cToken, "FILE", 0, new byte[0]);
        binary._getTypeForIndex(binary.cToken, 0);
        assertArrayEquals(before, temporaryCounts(), "live " + TEMPORARY_KINDS);
    }
}
