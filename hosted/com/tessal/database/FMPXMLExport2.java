package com.tessal.database;

import java.io.IOException;
import java.io.OutputStream;
import java.io.Serializable;
import java.text.DateFormat;
import java.text.SimpleDateFormat;
import java.util.Collection;
import java.util.Date;
import java.util.logging.Logger;
import javax.xml.transform.OutputKeys;
import javax.xml.transform.Transformer;
import javax.xml.transform.TransformerConfigurationException;
import javax.xml.transform.sax.SAXTransformerFactory;
import javax.xml.transform.sax.TransformerHandler;
import javax.xml.transform.stream.StreamResult;
import org.xml.sax.SAXException;
import org.xml.sax.helpers.AttributesImpl;

/**
 * Writes rows as an FMPXMLRESULT document, the format of FileMaker's XML
 * import, to a byte stream as they are added: nothing is held but the row at
 * hand.
 */
public class FMPXMLExport2 {
    private static final Logger log = Logger.getLogger(FMPXMLExport2.class.getName());

    /** The FMPXMLRESULT namespace as FileMaker publishes it. */
    public static final String NAMESPACE = "http://www.filemaker.com/fmpxmlresult";
    /** ERRORCODE of a document without rows when no other code was set. */
    public static final int NO_RECORDS = 401;

    private final OutputStream out;
    private final FieldElement[] fields;
    private final String layout = "";
    private final String databaseName = "";
    private final String dateFormatPattern = "MM/dd/yyyy";
    private final String timeFormatPattern = "HH:mm:ss";
    private TransformerHandler handler;
    private boolean didWriteHeaders;
    private final Integer foundCount;
    private Integer errorCode;
    private DateFormat dateFormat;
    private DateFormat timeFormat;
    private DateFormat timestampFormat;
    private int rowsAdded;
    private final AttributesImpl noAttributes = new AttributesImpl();
    private final AttributesImpl rowAttributes = new AttributesImpl();

    /** A column of the document: its name, type, whether it may be empty, and its repetitions. */
    public static class FieldElement implements Serializable {
        private static final long serialVersionUID = 1L;

        public static final String TYPE_TEXT = "TEXT";
        public static final String TYPE_NUMBER = "NUMBER";
        public static final String TYPE_DATE = "DATE";
        public static final String TYPE_TIME = "TIME";
        public static final String TYPE_TIMESTAMP = "TIMESTAMP";

        private boolean emptyOk = true;
        private int maxRepeat = 1;
        private String name;
        private String type = TYPE_TEXT;

        public FieldElement() {
        }

        public FieldElement(String name) {
            this(name, TYPE_TEXT);
        }

        public FieldElement(String name, String type) {
            this(name, type, true, 1);
        }

        public FieldElement(String name, String type, boolean emptyOk, int maxRepeat) {
            if (name == null) {
                throw new NullPointerException("name must not be null.");
            }
            if (!TYPE_TEXT.equals(type) && !TYPE_NUMBER.equals(type) && !TYPE_DATE.equals(type)
                && !TYPE_TIME.equals(type) && !TYPE_TIMESTAMP.equals(type)) {
                throw new IllegalArgumentException("Invalid type, must be one of TEXT, NUMBER, DATE, TIME or TIMESTAMP");
            }
            if (maxRepeat < 1) {
                throw new IllegalArgumentException("maxRepeat must be > 0.");
            }
            this.name = name;
            this.type = type;
            this.emptyOk = emptyOk;
            this.maxRepeat = maxRepeat;
        }

        public boolean isEmptyOk() {
            return emptyOk;
        }

        public void setEmptyOk(boolean emptyOk) {
            this.emptyOk = emptyOk;
        }

        public int getMaxRepeat() {
            return maxRepeat;
        }

        public void setMaxRepeat(int maxRepeat) {
            this.maxRepeat = maxRepeat;
        }

        public String getName() {
            return name;
        }

        public void setName(String name) {
            this.name = name;
        }

        public String getType() {
            return type;
        }

        public void setType(String type) {
            this.type = type;
        }

        @Override
        public String toString() {
            return "FieldElement{name='" + name + "'}";
        }
    }

    /** Writes nothing yet: the head goes out with the first row, or at close. */
    public FMPXMLExport2(OutputStream outputStream, FieldElement[] fields, Integer foundCount) {
        if (outputStream == null) {
            throw new NullPointerException("outputStream must not be null.");
        }
        if (fields == null) {
            throw new NullPointerException("fields must not be null.");
        }
        if (foundCount != null && foundCount < 0) {
            throw new IllegalArgumentException("foundCount must be greater than or equal to zero, or null");
        }
        this.out = outputStream;
        this.fields = fields.clone();
        this.foundCount = foundCount;
        rowAttributes.addAttribute("", "", "MODID", "CDATA", "0");
        rowAttributes.addAttribute("", "", "RECORDID", "CDATA", "0");
    }

    /** The ERRORCODE of a document to which no row is added. */
    public void setErrorCode(Integer errorCode) {
        this.errorCode = errorCode;
    }

    public int getRowsAdded() {
        return rowsAdded;
    }

    /** One row: a value per field, in field order. */
    public void addRow(Object[] values) throws SAXException {
        if (values.length != fields.length) {
            throw new IllegalArgumentException("Row contains " + values.length + " value(s), metadata contains "
                + fields.length + " value(s).");
        }
        rowsAdded++;
        writeHead();
        handler.startElement("", "", "ROW", rowAttributes);
        for (int i = 0; i < fields.length; i++) {
            handler.startElement("", "", "COL", noAttributes);
            Object value = values[i];
            if (fields[i].getMaxRepeat() > 1 && value instanceof Object[]) {
                for (Object member : (Object[]) value) {
                    data(textOf(member, fields[i]));
                }
            } else if (fields[i].getMaxRepeat() > 1 && value instanceof Collection) {
                for (Object member : (Collection<?>) value) {
                    data(textOf(member, fields[i]));
                }
            } else {
                data(textOf(value, fields[i]));
            }
            handler.endElement("", "", "COL");
        }
        handler.endElement("", "", "ROW");
    }

    /** Ends the document (writing its head first when no row came) and closes the stream. */
    public void close() throws SAXException, IOException {
        if (foundCount != null && foundCount != rowsAdded) {
            log.warning("foundCount is " + foundCount + ", but " + rowsAdded
                + " call(s) to addRow were made before closing the XML document");
        }
        writeHead();
        handler.endElement("", "", "RESULTSET");
        handler.endElement("", "", "FMPXMLRESULT");
        handler.endDocument();
        out.flush();
        out.close();
    }

    private void data(String text) throws SAXException {
        handler.startElement("", "", "DATA", noAttributes);
        if (text != null && !text.isEmpty()) {
            String carried = xmlText(text);
            handler.characters(carried.toCharArray(), 0, carried.length());
        }
        handler.endElement("", "", "DATA");
    }

    /**
     * The text without the characters that XML 1.0 cannot carry, not even as
     * character references: control characters other than tab, line feed and
     * carriage return, unpaired surrogates, U+FFFE and U+FFFF. Written, one
     * such character in one value would make the whole document unreadable
     * and the import fail.
     */
    static String xmlText(String text) {
        int i = 0;
        while (i < text.length() && xmlCharacterAt(text, i) > 0) {
            i += xmlCharacterAt(text, i);
        }
        if (i == text.length()) {
            return text;
        }
        StringBuilder kept = new StringBuilder(text.length()).append(text, 0, i);
        while (i < text.length()) {
            int length = xmlCharacterAt(text, i);
            if (length > 0) {
                kept.append(text, i, i + length);
                i += length;
            } else {
                i++;
            }
        }
        return kept.toString();
    }

    /** The length in chars (1 or 2) of the XML character at the index, or 0 when none starts there. */
    private static int xmlCharacterAt(String text, int index) {
        char c = text.charAt(index);
        if (c >= 0x20 && c < 0xD800 || c == '\t' || c == '\n' || c == '\r' || c >= 0xE000 && c <= 0xFFFD) {
            return 1;
        }
        if (Character.isHighSurrogate(c) && index + 1 < text.length() && Character.isLowSurrogate(text.charAt(index + 1))) {
            return 2;
        }
        return 0;
    }

    private void writeHead() throws SAXException {
        if (didWriteHeaders) {
            return;
        }
        didWriteHeaders = true;
        handler = makeHandler();
        handler.startDocument();
        AttributesImpl root = new AttributesImpl();
        root.addAttribute("", "", "xmlns", "CDATA", NAMESPACE);
        handler.startElement("", "", "FMPXMLRESULT", root);
        element("ERRORCODE", String.valueOf(rowsAdded > 0 ? 0 : errorCode != null ? errorCode : NO_RECORDS));
        AttributesImpl product = new AttributesImpl();
        product.addAttribute("", "", "BUILD", "CDATA", "04/09/2007");
        product.addAttribute("", "", "NAME", "CDATA", FMPXMLExport2.class.getName());
        product.addAttribute("", "", "VERSION", "CDATA", "1.0");
        emptyElement("PRODUCT", product);
        AttributesImpl database = new AttributesImpl();
        database.addAttribute("", "", "DATEFORMAT", "CDATA", dateFormatPattern);
        database.addAttribute("", "", "LAYOUT", "CDATA", layout);
        database.addAttribute("", "", "NAME", "CDATA", databaseName);
        database.addAttribute("", "", "RECORDS", "CDATA", "");
        database.addAttribute("", "", "TIMEFORMAT", "CDATA", timeFormatPattern);
        emptyElement("DATABASE", database);
        handler.startElement("", "", "METADATA", noAttributes);
        for (FieldElement field : fields) {
            AttributesImpl attributes = new AttributesImpl();
            attributes.addAttribute("", "", "EMPTYOK", "CDATA", field.isEmptyOk() ? "YES" : "NO");
            attributes.addAttribute("", "", "MAXREPEAT", "CDATA", String.valueOf(field.getMaxRepeat()));
            attributes.addAttribute("", "", "NAME", "CDATA", field.getName() == null ? "" : xmlText(field.getName()));
            attributes.addAttribute("", "", "TYPE", "CDATA", field.getType());
            emptyElement("FIELD", attributes);
        }
        handler.endElement("", "", "METADATA");
        AttributesImpl resultSet = new AttributesImpl();
        resultSet.addAttribute("", "", "FOUND", "CDATA", foundCount == null ? "" : String.valueOf(foundCount));
        handler.startElement("", "", "RESULTSET", resultSet);
    }

    private TransformerHandler makeHandler() {
        try {
            TransformerHandler made = ((SAXTransformerFactory) SAXTransformerFactory.newInstance()).newTransformerHandler();
            Transformer transformer = made.getTransformer();
            transformer.setOutputProperty(OutputKeys.ENCODING, "UTF-8");
            transformer.setOutputProperty(OutputKeys.STANDALONE, "no");
            transformer.setOutputProperty(OutputKeys.DOCTYPE_PUBLIC, "-//FMI//DTD FMPXMLRESULT//EN");
            transformer.setOutputProperty(OutputKeys.INDENT, "no");
            made.setResult(new StreamResult(out));
            return made;
        } catch (TransformerConfigurationException e) {
            throw new RuntimeException(e);
        }
    }

    private void element(String name, String text) throws SAXException {
        handler.startElement("", "", name, noAttributes);
        handler.characters(text.toCharArray(), 0, text.length());
        handler.endElement("", "", name);
    }

    private void emptyElement(String name, AttributesImpl attributes) throws SAXException {
        handler.startElement("", "", name, attributes);
        handler.endElement("", "", name);
    }

    /** A value's text for its field: dates by the field's type, a Boolean as 1 or nothing, else its text. */
    private String textOf(Object value, FieldElement field) {
        if (value == null) {
            return null;
        }
        if (value instanceof String) {
            return (String) value;
        }
        if (value instanceof Boolean) {
            return ((Boolean) value) ? "1" : "";
        }
        String type = field.getType();
        boolean dated = FieldElement.TYPE_DATE.equals(type) || FieldElement.TYPE_TIME.equals(type)
            || FieldElement.TYPE_TIMESTAMP.equals(type);
        if (value instanceof Date || (value instanceof Number && dated)) {
            Date date = value instanceof Date ? (Date) value : new Date(((Number) value).longValue());
            if (FieldElement.TYPE_TIME.equals(type)) {
                return timeFormat().format(date);
            }
            if (FieldElement.TYPE_TIMESTAMP.equals(type)) {
                return timestampFormat().format(date);
            }
            if (!FieldElement.TYPE_DATE.equals(type)) {
                log.warning("Converting date '" + value + "' to DATE for " + field);
            }
            return dateFormat().format(date);
        }
        return String.valueOf(value);
    }

    private DateFormat dateFormat() {
        if (dateFormat == null) {
            dateFormat = new SimpleDateFormat(dateFormatPattern);
        }
        return dateFormat;
    }

    private DateFormat timeFormat() {
        if (timeFormat == null) {
            timeFormat = new SimpleDateFormat(timeFormatPattern);
        }
        return timeFormat;
    }

    private DateFormat timestampFormat() {
        if (timestampFormat == null) {
            timestampFormat = DateFormat.getDateTimeInstance(DateFormat.SHORT, DateFormat.MEDIUM);
        }
        return timestampFormat;
    }
}
