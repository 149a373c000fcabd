package com.tessal.database;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tessal.database.FMPXMLExport2.FieldElement;
import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.math.BigDecimal;
import java.nio.charset.StandardCharsets;
import java.text.DateFormat;
import java.util.ArrayList;
import java.util.Date;
import java.util.GregorianCalendar;
import java.util.List;
import java.util.stream.Stream;
import javax.xml.parsers.DocumentBuilderFactory;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.MethodSource;
import org.w3c.dom.Document;
import org.w3c.dom.Element;
import org.w3c.dom.Node;
import org.w3c.dom.NodeList;

/** The FMPXMLRESULT document: its head, the texts of values by field type, and what it refuses. */
class FMPXMLExport2Test {
    private static final String NS = FMPXMLExport2.NAMESPACE;

    /** 7 March 2021, 14:05:09.250 in the default zone. */
    private static final Date MOMENT = new Date(new GregorianCalendar(2021, 2, 7, 14, 5, 9).getTimeInMillis() + 250);

    /** The document of fields with the given rows, closed. */
    private static byte[] write(FieldElement[] fields, Integer foundCount, Object[]... rows) throws Exception {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        FMPXMLExport2 document = new FMPXMLExport2(out, fields, foundCount);
        for (Object[] row : rows) {
            document.addRow(row);
        }
        document.close();
        return out.toByteArray();
    }

    private static Document parse(byte[] bytes) throws Exception {
        DocumentBuilderFactory factory = DocumentBuilderFactory.newInstance();
        factory.setNamespaceAware(true);
        return factory.newDocumentBuilder().parse(new ByteArrayInputStream(bytes));
    }

    private static Element only(Document document, String name) {
        NodeList found = document.getElementsByTagNameNS(NS, name);
        assertEquals(1, found.getLength(), name);
        return (Element) found.item(0);
    }

    private static List<Element> children(Element parent, String name) {
        List<Element> result = new ArrayList<>();
        for (Node child = parent.getFirstChild(); child != null; child = child.getNextSibling()) {
            if (child instanceof Element && NS.equals(child.getNamespaceURI()) && name.equals(child.getLocalName())) {
                result.add((Element) child);
            }
        }
        return result;
    }

    /** Per row, per column, the texts of its DATA elements. */
    private static List<List<List<String>>> rows(Document document) {
        List<List<List<String>>> rows = new ArrayList<>();
        for (Element row : children(only(document, "RESULTSET"), "ROW")) {
            List<List<String>> columns = new ArrayList<>();
            for (Element column : children(row, "COL")) {
                List<String> data = new ArrayList<>();
                for (Element datum : children(column, "DATA")) {
                    data.add(datum.getTextContent());
                }
                columns.add(data);
            }
            rows.add(columns);
        }
        return rows;
    }

    @Test
    void theHeadDescribesTheProductTheFieldsAndTheFoundCount() throws Exception {
        FieldElement[] fields = {
            new FieldElement("id", FieldElement.TYPE_NUMBER, false, 1),
            new FieldElement("tags", FieldElement.TYPE_TEXT, true, 3),
        };
        byte[] bytes = write(fields, 2, new Object[] {1, "a"}, new Object[] {2, "b"});

        String text = new String(bytes, StandardCharsets.UTF_8);
        assertTrue(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\""), text);
        assertFalse(text.contains("<!DOCTYPE"), text);

        Document document = parse(bytes);
        Element root = document.getDocumentElement();
        assertEquals(NS, root.getNamespaceURI());
        assertEquals("FMPXMLRESULT", root.getLocalName());
        assertEquals("0", only(document, "ERRORCODE").getTextContent());

        Element product = only(document, "PRODUCT");
        assertEquals(FMPXMLExport2.class.getName(), product.getAttribute("NAME"));
        assertEquals("1.0", product.getAttribute("VERSION"));
        assertTrue(product.hasAttribute("BUILD"));

        Element database = only(document, "DATABASE");
        assertEquals("MM/dd/yyyy", database.getAttribute("DATEFORMAT"));
        assertEquals("HH:mm:ss", database.getAttribute("TIMEFORMAT"));
        for (String empty : new String[] {"LAYOUT", "NAME", "RECORDS"}) {
            assertTrue(database.hasAttribute(empty), empty);
            assertEquals("", database.getAttribute(empty), empty);
        }

        List<Element> metadata = children(only(document, "METADATA"), "FIELD");
        assertEquals(2, metadata.size());
        assertEquals(List.of("NO", "1", "id", "NUMBER"), List.of(metadata.get(0).getAttribute("EMPTYOK"),
            metadata.get(0).getAttribute("MAXREPEAT"), metadata.get(0).getAttribute("NAME"),
            metadata.get(0).getAttribute("TYPE")));
        assertEquals(List.of("YES", "3", "tags", "TEXT"), List.of(metadata.get(1).getAttribute("EMPTYOK"),
            metadata.get(1).getAttribute("MAXREPEAT"), metadata.get(1).getAttribute("NAME"),
            metadata.get(1).getAttribute("TYPE")));

        assertEquals("2", only(document, "RESULTSET").getAttribute("FOUND"));
        for (Element row : children(only(document, "RESULTSET"), "ROW")) {
            assertEquals("0", row.getAttribute("MODID"));
            assertEquals("0", row.getAttribute("RECORDID"));
        }
        assertEquals(List.of(List.of(List.of("1"), List.of("a")), List.of(List.of("2"), List.of("b"))),
            rows(document));
    }

    @ParameterizedTest
    @CsvSource({
        // rows, error code set, found count, ERRORCODE, FOUND
        "0,    , , 401, ''",
        "0, 802, , 802, ''",
        "0,    , 0, 401, 0",
        "1, 802, , 0,   ''",
        "2,    , 7, 0,   7",
    })
    void theErrorCodeIsZeroWithRowsAndOtherwiseTheSetCodeOr401(int rowCount, Integer errorCode, Integer foundCount,
            String expectedCode, String expectedFound) throws Exception {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        FMPXMLExport2 document = new FMPXMLExport2(out, new FieldElement[] {new FieldElement("f")}, foundCount);
        document.setErrorCode(errorCode);
        for (int i = 0; i < rowCount; i++) {
            document.addRow(new Object[] {"r" + i});
        }
        document.close();
        assertEquals(rowCount, document.getRowsAdded());

        Document parsed = parse(out.toByteArray());
        assertEquals(expectedCode, only(parsed, "ERRORCODE").getTextContent());
        assertEquals(expectedFound, only(parsed, "RESULTSET").getAttribute("FOUND"));
        assertEquals(rowCount, rows(parsed).size());
    }

    static Stream<Arguments> valueTexts() {
        String timestamp = DateFormat.getDateTimeInstance(DateFormat.SHORT, DateFormat.MEDIUM).format(MOMENT);
        long millis = MOMENT.getTime();
        return Stream.of(
            Arguments.of(FieldElement.TYPE_TEXT, null, ""),
            Arguments.of(FieldElement.TYPE_TEXT, "plain text", "plain text"),
            Arguments.of(FieldElement.TYPE_DATE, "not a date", "not a date"),
            Arguments.of(FieldElement.TYPE_NUMBER, Boolean.TRUE, "1"),
            Arguments.of(FieldElement.TYPE_NUMBER, Boolean.FALSE, ""),
            Arguments.of(FieldElement.TYPE_DATE, MOMENT, "03/07/2021"),
            Arguments.of(FieldElement.TYPE_DATE, new java.sql.Date(millis), "03/07/2021"),
            Arguments.of(FieldElement.TYPE_DATE, millis, "03/07/2021"),
            Arguments.of(FieldElement.TYPE_TIME, new java.sql.Time(millis), "14:05:09"),
            Arguments.of(FieldElement.TYPE_TIME, millis, "14:05:09"),
            Arguments.of(FieldElement.TYPE_TIMESTAMP, new java.sql.Timestamp(millis), timestamp),
            Arguments.of(FieldElement.TYPE_TIMESTAMP, MOMENT, timestamp),
            Arguments.of(FieldElement.TYPE_TIMESTAMP, millis, timestamp),
            // A date in a field that is not dated still goes out as a date.
            Arguments.of(FieldElement.TYPE_TEXT, new java.sql.Timestamp(millis), "03/07/2021"),
            Arguments.of(FieldElement.TYPE_NUMBER, MOMENT, "03/07/2021"),
            // A number is a moment only in a dated field.
            Arguments.of(FieldElement.TYPE_TEXT, millis, String.valueOf(millis)),
            Arguments.of(FieldElement.TYPE_NUMBER, 42, "42"),
            Arguments.of(FieldElement.TYPE_NUMBER, 3.5, "3.5"),
            Arguments.of(FieldElement.TYPE_NUMBER, new BigDecimal("1.10"), "1.10"));
    }

    @ParameterizedTest
    @MethodSource("valueTexts")
    void aValueIsWrittenAsTheTextOfItsFieldType(String type, Object value, String expected) throws Exception {
        Document document = parse(write(new FieldElement[] {new FieldElement("f", type)}, null,
            new Object[] {value}));
        assertEquals(List.of(List.of(List.of(expected))), rows(document));
        if (expected.isEmpty()) {
            Element datum = (Element) document.getElementsByTagNameNS(NS, "DATA").item(0);
            assertFalse(datum.hasChildNodes());
        }
    }

    @Test
    void aRepeatingFieldHasOneDataPerMemberOfAnArrayOrCollection() throws Exception {
        FieldElement[] fields = {
            new FieldElement("array", FieldElement.TYPE_TEXT, true, 3),
            new FieldElement("list", FieldElement.TYPE_DATE, true, 2),
            new FieldElement("scalar", FieldElement.TYPE_NUMBER, true, 4),
            new FieldElement("empty", FieldElement.TYPE_TEXT, true, 2),
        };
        List<Object> dates = List.of(MOMENT, MOMENT.getTime());
        Document document = parse(write(fields, 1, new Object[] {new Object[] {"a", null, true}, dates, 5,
            new Object[0]}));
        assertEquals(List.of(List.of(List.of("a", "", "1"), List.of("03/07/2021", "03/07/2021"), List.of("5"),
            List.of())), rows(document));
    }

    @Test
    void markupInNamesAndValuesIsEscapedAndTextKeepsItsCharacters() throws Exception {
        String name = "a<b> & \"c\"";
        String value = "</DATA><x>&amp; \"q\" 'é€😀'";
        byte[] bytes = write(new FieldElement[] {new FieldElement(name)}, null, new Object[] {value});
        assertFalse(new String(bytes, StandardCharsets.UTF_8).contains("</DATA><x>"));

        Document document = parse(bytes);
        assertEquals(name, only(document, "FIELD").getAttribute("NAME"));
        assertEquals(List.of(List.of(List.of(value))), rows(document));
    }

    /** Characters XML cannot carry are left out; the document stays readable and keeps everything else. */
    @ParameterizedTest
    @CsvSource({
        "'a\u0001b\u001fc', abc",
        "'tab\tline\nreturn\r', 'tab\tline\nreturn\r'",
        "'\uD800lone \uDC00surrogates \uD83D\uDE00pair', 'lone surrogates \uD83D\uDE00pair'",
        "'\uFFFEnon\uFFFFcharacters\uFFFD', 'noncharacters\uFFFD'",
    })
    void charactersXmlCannotCarryAreLeftOut(String value, String kept) throws Exception {
        byte[] bytes = write(new FieldElement[] {new FieldElement("f\u0002")}, null, new Object[] {value});
        Document document = parse(bytes);
        assertEquals("f", only(document, "FIELD").getAttribute("NAME"));
        String read = rows(document).get(0).get(0).get(0);
        // The parser reads a carriage return as a line feed.
        assertEquals(kept.replace('\r', '\n'), read.replace('\r', '\n'));
    }

    @Test
    void theConstructorRefusesWhatItCannotWrite() {
        FieldElement[] fields = {new FieldElement("f")};
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        assertEquals("outputStream must not be null.",
            assertThrows(NullPointerException.class, () -> new FMPXMLExport2(null, fields, null)).getMessage());
        assertEquals("fields must not be null.",
            assertThrows(NullPointerException.class, () -> new FMPXMLExport2(out, null, null)).getMessage());
        assertEquals("foundCount must be greater than or equal to zero, or null",
            assertThrows(IllegalArgumentException.class, () -> new FMPXMLExport2(out, fields, -1)).getMessage());
    }

    @Test
    void aFieldNeedsANameAKnownTypeAndAtLeastOneRepetition() {
        assertEquals("name must not be null.", assertThrows(NullPointerException.class,
            () -> new FieldElement(null, FieldElement.TYPE_TEXT, true, 1)).getMessage());
        for (String type : new String[] {"text", "CONTAINER", null}) {
            assertEquals("Invalid type, must be one of TEXT, NUMBER, DATE, TIME or TIMESTAMP",
                assertThrows(IllegalArgumentException.class, () -> new FieldElement("f", type, true, 1)).getMessage(),
                type);
        }
        assertEquals("maxRepeat must be > 0.", assertThrows(IllegalArgumentException.class,
            () -> new FieldElement("f", FieldElement.TYPE_TEXT, true, 0)).getMessage());
        assertEquals(FieldElement.TYPE_TEXT, new FieldElement("f").getType());
    }

    @Test
    void aRowOfTheWrongWidthIsRefusedBeforeAnythingIsWritten() throws Exception {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        FMPXMLExport2 document = new FMPXMLExport2(out,
            new FieldElement[] {new FieldElement("a"), new FieldElement("b")}, null);
        IllegalArgumentException refused = assertThrows(IllegalArgumentException.class,
            () -> document.addRow(new Object[] {"only one"}));
        assertEquals("Row contains 1 value(s), metadata contains 2 value(s).", refused.getMessage());
        assertEquals(0, out.size());
        assertEquals(0, document.getRowsAdded());

        document.addRow(new Object[] {"x", "y"});
        document.close();
        Document parsed = parse(out.toByteArray());
        assertEquals("0", only(parsed, "ERRORCODE").getTextContent());
        assertEquals(List.of(List.of(List.of("x"), List.of("y"))), rows(parsed));
    }

    @Test
    void closeFlushesAndClosesTheStream() throws Exception {
        boolean[] flushedBeforeClose = {false};
        boolean[] closed = {false};
        ByteArrayOutputStream out = new ByteArrayOutputStream() {
            @Override
            public void flush() {
                flushedBeforeClose[0] |= !closed[0];
            }

            @Override
            public void close() {
                closed[0] = true;
            }
        };
        FMPXMLExport2 document = new FMPXMLExport2(out, new FieldElement[0], null);
        assertEquals(0, out.size());
        document.close();
        assertTrue(flushedBeforeClose[0]);
        assertTrue(closed[0]);
        assertEquals("401", only(parse(out.toByteArray()), "ERRORCODE").getTextContent());
    }
}
