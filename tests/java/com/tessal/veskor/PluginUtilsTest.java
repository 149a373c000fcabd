package com.tessal.veskor;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;

import com.sun.net.httpserver.HttpServer;
import com.tessal.veskor.testing.HostHooks;
import com.tessal.veskor.testing.HostObjects;
import com.tessal.veskor.types.FMData;
import com.tessal.veskor.types.InputStreamInfo;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.net.InetAddress;
import java.net.InetSocketAddress;
import java.net.URL;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.Properties;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** Merge fields, host paths, names for URL contents and key-value texts. */
@ExtendWith(HostObjects.class)
class PluginUtilsTest {
    private final List<Long> values = new ArrayList<>();

    @AfterEach
    void deleteValues() {
        values.forEach(HostHooks::deleteValue);
    }

    /** A host whose calculations are a table of names and texts; it counts what it was asked. */
    private final class TableContext extends PluginContext {
        private final Map<String, String> table;
        final List<String> asked = new ArrayList<>();

        TableContext(Map<String, String> table) {
            super(null, null, false, 0, 0, 0, Thread.currentThread());
            this.table = table;
        }

        @Override
        public FMData evaluateExpression(String expression) throws FmCalculationException {
            asked.add(expression);
            String text = table.get(expression);
            if (text == null) {
                throw new FmCalculationException(102);
            }
            long token = HostHooks.newValue();
            values.add(token);
            HostHooks.setText(token, text);
            return new FMData(token);
        }
    }

    @Test
    void mergeFieldsBecomeTheirValues() {
        TableContext context = new TableContext(Map.of("Invoices::ID", "42", "Get ( LayoutTableName )", "Invoices",
            "Invoices::Customer", "Ada", "Invoices::Amount", "7"));
        assertEquals("SELECT * FROM t WHERE id = 42",
            PluginUtils.mergeString(context, "SELECT * FROM t WHERE id = <<Invoices::ID>>", null));
        // Bare names that do not evaluate are tried once more with the layout's
        // table, which is asked for once however many fail; a qualified name
        // that does not evaluate stays as written, and so does one that fails twice.
        context.asked.clear();
        assertEquals("Ada 7 <<Other::X>> <<Nope>>",
            PluginUtils.mergeString(context, "<<Customer>> <<Amount>> <<Other::X>> <<Nope>>", null));
        assertEquals(List.of("Customer", "Get ( LayoutTableName )", "Invoices::Customer", "Amount",
            "Invoices::Amount", "Other::X", "Nope", "Invoices::Nope"), context.asked);
    }

    @Test
    void textThatIsNoMergeFieldStaysAsItIs() {
        TableContext context = new TableContext(Map.of());
        for (String template : new String[] {"SELECT 1", "<<a+b>>", "<<a;b>>", "<< >", "", "<<\u2260>>"}) {
            assertEquals(template, PluginUtils.mergeString(context, template, null));
        }
        assertNull(PluginUtils.mergeString(context, null, null));
        assertEquals(List.of(), context.asked);
    }

    @ParameterizedTest
    @CsvSource(value = {"/tmp/a.txt|/tmp/a.txt", "filewin:/C:/Data/a.txt|/C:/Data/a.txt", "file:/srv/a.txt|/srv/a.txt",
        "imagemac:/Volumes/a.jpg|/Volumes/a.jpg", "size:/1,2|size:/1,2", "notes.txt|notes.txt"}, delimiter = '|')
    void typedHostPathsLoseTheirType(String fmPath, String path) {
        assertEquals(new File(path), PluginUtils.fileForFMPath(fmPath));
    }

    @ParameterizedTest
    @CsvSource(value = {"http://h/a/report.pdf|attachment; filename=\"x.csv\"; size=3|text/csv|x.csv",
        "http://h/a/report.pdf|||report.pdf", "http://h/a/|||index", "http://h/a/|inline|image/png|index.png",
        "http://h/a/chart||text/html; charset=UTF-8|chart.html"}, delimiter = '|')
    void contentGetsAFileName(String url, String disposition, String type, String name) throws IOException {
        assertEquals(name, PluginUtils.filenameForUrlContents(new URL(url), disposition, type));
    }

    @Test
    void keyValueLinesSplitAtTheirFirstSeparator() throws IOException {
        Properties p = new Properties();
        PluginUtils.loadUnicodeProperties(p, "size:640,480\r\nimage:pics/a.jpg\n\na = 1\rb=2\nnoseparator\n\u00e9t\u00e9=\u00e0");
        assertEquals("640,480", p.getProperty("size"));
        assertEquals("pics/a.jpg", p.getProperty("image"));
        assertEquals("= 1", p.getProperty("a"));
        assertEquals("2", p.getProperty("b"));
        assertEquals("\u00e0", p.getProperty("\u00e9t\u00e9"));
        assertEquals(5, p.size());
    }

    @Test
    void aUrlBecomesANamedStream() throws IOException {
        HttpServer server = HttpServer.create(new InetSocketAddress(InetAddress.getLoopbackAddress(), 0), 0);
        byte[] body = "a,b\n1,2\n".getBytes(StandardCharsets.UTF_8);
        server.createContext("/export", exchange -> {
            exchange.getResponseHeaders().add("Content-Disposition", "attachment; filename=\"report.csv\"");
            exchange.getResponseHeaders().add("Content-Type", "text/csv");
            exchange.sendResponseHeaders(200, body.length);
            try (OutputStream out = exchange.getResponseBody()) {
                out.write(body);
            }
        });
        server.createContext("/", exchange -> {
            exchange.getResponseHeaders().add("Content-Type", "image/png");
            exchange.sendResponseHeaders(200, 1);
            try (OutputStream out = exchange.getResponseBody()) {
                out.write(7);
            }
        });
        server.start();
        try {
            String base = "http://" + server.getAddress().getHostString() + ":" + server.getAddress().getPort();
            InputStreamInfo info = PluginUtils.getInputStreamInfoForUrl(new URL(base + "/export"));
            try (InputStream in = info.getStream()) {
                assertEquals("report.csv", info.getName());
                assertEquals(body.length, info.getLength());
                assertEquals("text/csv", info.getContentType());
                assertEquals("a,b\n1,2\n", new String(in.readAllBytes(), StandardCharsets.UTF_8));
            }
            InputStreamInfo index = PluginUtils.getInputStreamInfoForUrl(new URL(base + "/"));
            try (InputStream in = index.getStream()) {
                assertEquals("index.png", index.getName());
                assertEquals(7, in.read());
            }
        } finally {
            server.stop(0);
        }
    }
}
