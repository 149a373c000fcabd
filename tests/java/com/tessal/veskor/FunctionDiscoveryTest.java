package com.tessal.veskor;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tessal.fmplugin.JDBCPlugin;
import com.tessal.testplugin.TestPlugin;
import com.tessal.veskor.testing.HostObjects;
import java.io.IOException;
import java.io.InputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Map;
import java.util.TreeMap;
import java.util.jar.Manifest;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** From public methods to host functions: which methods, their ids, prototypes and argument limits. */
@ExtendWith(HostObjects.class)
class FunctionDiscoveryTest {
    @ParameterizedTest
    @CsvSource({"jdbcVersion, -16035", "jdbcLastError, 5207", "jdbcOpenDatabase, 6272", "jdbcPerformQuery, -7298",
        "tpEcho, -20161", "tpAa, 26556", "tpBB, 26556",
        // The hash is Integer.MIN_VALUE, whose absolute value is itself: its low 16 bits are 0.
        "polygenelubricants, 0"})
    void idsAreTheNamesHashMadePositiveAndCutTo16Bits(String name, short id) {
        assertEquals(id, StaticFunction.idForName(name));
    }

    @ParameterizedTest
    @CsvSource(value = {"jdbcDriverClass {; location}|1", "jdbcURL { ; username ; password ; autoCommit}|1",
        "key ; filename|", "sql|", "''|", "[ optional ]|0", "{ a ; b }|0", "a; {b}|2", "a ; b [ ; c ]|2",
        "a;;{b}|1"}, delimiter = '|')
    void theFirstBracketOfAPrototypeGivesTheMinimum(String prototype, Integer minimum) {
        assertEquals(minimum, StaticFunction.minArgsForPrototype(prototype));
    }

    /** name -> "prototype min max flags" of every function the test plug-in offers. */
    private static Map<String, String> discovered() {
        PluginBridge bridge = new PluginBridge(new TestPlugin());
        bridge.scanFunctions();
        Map<String, String> found = new TreeMap<>();
        for (PluginFunction function : bridge.getFunctions()) {
            found.put(function.getName(), function.getPrototype() + " " + function.getMinArgs() + " "
                + function.getMaxArgs() + " " + function.getFlags());
        }
        return found;
    }

    @Test
    void publicInstanceMethodsReturningAValueTypeBecomeFunctions() {
        Map<String, String> found = discovered();
        assertEquals("text 1 1 65280", found.get("tpEcho"));
        assertEquals(" 0 0 65280", found.get("tpNull"));
        // The companion prototype method: its brackets set the minimum.
        assertEquals("text {; count} 1 2 65280", found.get("tpPrimitive"));
        assertEquals("[ optional ] 0 1 65280", found.get("tpSquare"));
        // A trailing array takes any number of arguments.
        assertEquals("first {; more...} 1 -1 65280", found.get("tpJoin"));
        assertEquals("String -1 -1 65280", found.get("tpAnyCount"));
        // Without a companion, the parameters' simple class names.
        assertEquals("String 1 1 65280", found.get("tpFeedback"));
        assertEquals("AtomicLong 1 1 65280", found.get("tpAtomic"));
        // A companion that throws leaves the default.
        assertEquals("String 1 1 65280", found.get("tpBadPrototype"));
        // Not functions: a parameter without a converter, a static method, a
        // method returning a plain string, invokeFunction, and one the plug-in
        // dropped in customizeFunction.
        for (String name : new String[] {"tpList", "tpStatic", "tpNotAFunction", "invokeFunction", "tpDropped"}) {
            assertFalse(found.containsKey(name), name);
        }
    }

    @Test
    void theShippedPluginsFunctions() {
        PluginBridge bridge = new PluginBridge(new JDBCPlugin());
        bridge.scanFunctions();
        Map<String, String> found = new TreeMap<>();
        for (PluginFunction function : bridge.getFunctions()) {
            found.put(function.getName(), function.getFunctionID() + " " + function.getPrototype() + " "
                + function.getMinArgs() + " " + function.getMaxArgs());
        }
        Map<String, String> expected = new TreeMap<>();
        expected.put("jdbcLoadDriver", "10743 jdbcDriverClass {; location} 1 2");
        expected.put("jdbcOpenDatabase", "6272 jdbcURL { ; username ; password ; autoCommit} 1 4");
        expected.put("jdbcCloseDatabase", "18520 jdbcURL 1 1");
        expected.put("jdbcPerformQuery", "-7298 sql 1 1");
        expected.put("jdbcNextRow", "28052  0 0");
        expected.put("jdbcGetValue", "-9174 key 1 1");
        expected.put("jdbcGetNumberValue", "8627 key 1 1");
        expected.put("jdbcGetTimestampValue", "1334 key 1 1");
        expected.put("jdbcGetContainerValue", "19627 key ; filename 2 2");
        expected.put("jdbcGeneratedKey", "-21739 columnName 1 1");
        expected.put("jdbcTableNames", "11637  0 0");
        expected.put("jdbcFieldNames", "-9161 table 1 1");
        expected.put("jdbcLastError", "5207  0 0");
        expected.put("jdbcVersion", "-16035  0 0");
        expected.put("jdbcXmlImportUrl", "9266  0 0");
        assertEquals(expected, found);
    }

    private static String manifestValue(Path manifest, String key) throws IOException {
        try (InputStream in = Files.newInputStream(manifest)) {
            return new Manifest(in).getMainAttributes().getValue(key);
        }
    }

    /** The host reads the options from the manifest; the plug-in class computes them: they must agree. */
    @Test
    void theManifestsOptionsAreThoseThePluginClassComputes() throws IOException {
        Path source = Path.of(System.getProperty("vnt.sourceDir"));
        assertEquals(((Plugin) new JDBCPlugin()).getOptionString(),
            manifestValue(source.resolve("packaging/MANIFEST.MF"), "plugin-options"));
        assertEquals("VJDB1YnYnnn", ((Plugin) new JDBCPlugin()).getOptionString());
        assertEquals(JDBCPlugin.class.getName(),
            manifestValue(source.resolve("packaging/MANIFEST.MF"), "pluginClassName"));
        // Configurable and an idle handler.
        assertEquals("VTST1YnYYnn", ((Plugin) new TestPlugin()).getOptionString());
        assertEquals(((Plugin) new TestPlugin()).getOptionString(),
            manifestValue(source.resolve("tests/fixtures/testplugin/MANIFEST.MF"), "plugin-options"));
    }

    @Test
    void identityAndVersion() {
        JDBCPlugin plugin = new JDBCPlugin();
        assertEquals("VJDB", plugin.getShortId().toString());
        assertEquals("Vantorel JDBC Plugin", plugin.getName());
        assertEquals("Connect directly to remote databases using JDBC calls", plugin.getHelpText());
        VersionInfo version = new VersionInfo("1.7", "7/1/2008");
        assertEquals("1.7", version.toString());
        assertEquals(java.time.LocalDate.of(2008, 7, 1), version.getMajorReleaseDate().toInstant()
            .atZone(java.time.ZoneId.systemDefault()).toLocalDate());
        assertTrue(assertNullPointer(() -> new VersionInfo(null, "7/1/2008")).contains("stringVersion must not be null."));
        assertNull(plugin.getSupportUrl());
    }

    private static String assertNullPointer(Runnable action) {
        try {
            action.run();
        } catch (NullPointerException e) {
            return e.getMessage();
        }
        throw new AssertionError("no NullPointerException");
    }
}
