import java.io.BufferedOutputStream;
import java.io.FileOutputStream;
import java.io.OutputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.sql.Connection;
import java.sql.DriverManager;
import java.sql.ResultSet;
import java.sql.ResultSetMetaData;
import java.sql.Statement;
import java.sql.Types;
import java.text.DateFormat;
import java.text.SimpleDateFormat;
import java.util.Date;
import javax.xml.stream.XMLOutputFactory;
import javax.xml.stream.XMLStreamWriter;

/**
 * The plain Java baseline of the feed benchmark: walks the benchmark table
 * with JDBC and writes the same FMPXMLRESULT document with javax.xml.stream
 * to a file. Prints the rows, the seconds the document took once the query
 * had run, and the process's peak resident memory in kilobytes.
 *
 *   java -cp DRIVER.jar PlainExport.java URL OUTPUT
 */
public class PlainExport {
    private static final String NAMESPACE = "http://www.filemaker.com/fmpxmlresult";

    public static void main(String[] args) throws Exception {
        long start = 0;
        int rows = 0;
        try (Connection connection = DriverManager.getConnection(args[0]);
            Statement statement = connection.createStatement();
            ResultSet result = statement.executeQuery("SELECT id, name, amount, created, note FROM rows_bench");
            OutputStream out = new BufferedOutputStream(new FileOutputStream(args[1]), 65536)) {
            // Timed from here, as the feed is: its query has run before the client asks.
            start = System.nanoTime();
            XMLStreamWriter xml = XMLOutputFactory.newFactory().createXMLStreamWriter(out, "UTF-8");
            ResultSetMetaData metadata = result.getMetaData();
            int columns = metadata.getColumnCount();
            String[] types = new String[columns];
            xml.writeStartDocument("UTF-8", "1.0");
            xml.writeStartElement("FMPXMLRESULT");
            xml.writeDefaultNamespace(NAMESPACE);
            xml.writeStartElement("ERRORCODE");
            xml.writeCharacters("0");
            xml.writeEndElement();
            xml.writeEmptyElement("PRODUCT");
            xml.writeAttribute("BUILD", "04/09/2007");
            xml.writeAttribute("NAME", "PlainExport");
            xml.writeAttribute("VERSION", "1.0");
            xml.writeEmptyElement("DATABASE");
            xml.writeAttribute("DATEFORMAT", "MM/dd/yyyy");
            xml.writeAttribute("LAYOUT", "");
            xml.writeAttribute("NAME", "");
            xml.writeAttribute("RECORDS", "");
            xml.writeAttribute("TIMEFORMAT", "HH:mm:ss");
            xml.writeStartElement("METADATA");
            for (int i = 0; i < columns; i++) {
                types[i] = fieldType(metadata.getColumnType(i + 1));
                xml.writeEmptyElement("FIELD");
                xml.writeAttribute("EMPTYOK", "YES");
                xml.writeAttribute("MAXREPEAT", "1");
                xml.writeAttribute("NAME", metadata.getColumnName(i + 1));
                xml.writeAttribute("TYPE", types[i]);
            }
            xml.writeEndElement();
            xml.writeStartElement("RESULTSET");
            xml.writeAttribute("FOUND", "");
            DateFormat date = new SimpleDateFormat("MM/dd/yyyy");
            DateFormat time = new SimpleDateFormat("HH:mm:ss");
            DateFormat timestamp = DateFormat.getDateTimeInstance(DateFormat.SHORT, DateFormat.MEDIUM);
            while (result.next()) {
                xml.writeStartElement("ROW");
                xml.writeAttribute("MODID", "0");
                xml.writeAttribute("RECORDID", "0");
                for (int i = 0; i < columns; i++) {
                    Object value = result.getObject(i + 1);
                    xml.writeStartElement("COL");
                    xml.writeStartElement("DATA");
                    if (value != null) {
                        xml.writeCharacters(text(value, types[i], date, time, timestamp));
                    }
                    xml.writeEndElement();
                    xml.writeEndElement();
                }
                xml.writeEndElement();
                rows++;
            }
            xml.writeEndElement();
            xml.writeEndElement();
            xml.writeEndDocument();
            xml.close();
        }
        double seconds = (System.nanoTime() - start) / 1e9;
        System.out.printf("%d %.3f %d%n", rows, seconds, peakKilobytes());
    }

    private static String text(Object value, String type, DateFormat date, DateFormat time, DateFormat timestamp) {
        if (value instanceof Boolean) {
            return (Boolean) value ? "1" : "";
        }
        if (value instanceof Date || value instanceof Number) {
            Object moment = value instanceof Number ? new Date(((Number) value).longValue()) : value;
            switch (type) {
            case "DATE":
                return date.format(moment);
            case "TIME":
                return time.format(moment);
            case "TIMESTAMP":
                return timestamp.format(moment);
            default:
                return value instanceof Date ? date.format(moment) : String.valueOf(value);
            }
        }
        return String.valueOf(value);
    }

    private static String fieldType(int sqlType) {
        switch (sqlType) {
        case Types.BIGINT: case Types.BIT: case Types.DOUBLE: case Types.FLOAT: case Types.INTEGER:
        case Types.NUMERIC: case Types.REAL: case Types.SMALLINT: case Types.TINYINT:
            return "NUMBER";
        case Types.DATE:
            return "DATE";
        case Types.TIME:
            return "TIME";
        case Types.TIMESTAMP:
            return "TIMESTAMP";
        default:
            return "TEXT";
        }
    }

    private static long peakKilobytes() throws Exception {
        for (String line : Files.readAllLines(Path.of("/proc/self/status"))) {
            if (line.startsWith("VmHWM:")) {
                return Long.parseLong(line.replaceAll("[^0-9]", ""));
            }
        }
        return -1;
    }
}
