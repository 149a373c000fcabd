package com.tessal.fmplugin;

import com.tessal.fmplugin.jdbc.DriverLoader;
import com.tessal.io.IOUtils;
import com.tessal.veskor.FeedbackException;
import com.tessal.veskor.QuadChar;
import com.tessal.veskor.TessalPlugin;
import com.tessal.veskor.VersionInfo;
import com.tessal.veskor.types.FMBinary;
import com.tessal.veskor.types.FMBinaryInterface;
import com.tessal.veskor.types.FMData;
import com.tessal.veskor.types.FMNumber;
import com.tessal.veskor.types.FMText;
import com.tessal.veskor.types.FMTimestamp;
import com.tessal.veskor.types.FMType;
import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.net.URL;
import java.sql.Blob;
import java.sql.Clob;
import java.sql.SQLException;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * The database connector: calculation functions, all named "jdbc...", that
 * load JDBC drivers, open connections, run SQL whose merge fields become
 * statement parameters, step through rows and read their values. The state
 * behind them is the session, {@link JdbcPluginModel}.
 */
public class JDBCPlugin extends TessalPlugin {
    private static final Logger log = Logger.getLogger(JDBCPlugin.class.getName());

    static final VersionInfo VERSION_INFO = new VersionInfo("1.7", "7/1/2008");

    private static final QuadChar SHORT_ID = new QuadChar("VJDB");
    private static final String DEFAULT_CONTAINER_NAME = "BinaryData";
    private static final int DRIVER_COPY_BUFFER = 1024;

    private final JdbcPluginModel model = new JdbcPluginModel();
    private final DriverLoader drivers = new DriverLoader(JDBCPlugin.class.getClassLoader());

    @Override
    public QuadChar getShortId() {
        return SHORT_ID;
    }

    @Override
    public String getName() {
        return "Vantorel JDBC Plugin";
    }

    @Override
    public String getHelpText() {
        return "Connect directly to remote databases using JDBC calls";
    }

    @Override
    protected VersionInfo getVersion() {
        return VERSION_INFO;
    }

    // ---- drivers and connections -----------------------------------------------

    /**
     * Makes a JDBC driver class available: by its name when it is visible
     * already, else from the driver archive given as a URL, a container
     * holding the archive, or a "file:" reference to it.
     */
    public FMType jdbcLoadDriver(String driverName, FMData jdbcDriverJar) throws FeedbackException {
        if (driverName == null) {
            throw new FeedbackException(
                "You must specify a driverName when calling jdbcLoadDriver, for example 'com.mysql.jdbc.Driver'.");
        }
        if (drivers.load(driverName) != null) {
            return successValue();
        }
        if (jdbcDriverJar == null) {
            throw new IllegalArgumentException("Could not locate JDBC driver named '" + driverName
                + "'.  Verify that the driver is in your classpath, or specify a jdbcDriverJar parameter URL or"
                + " container.");
        }
        URL archive = archiveUrl(jdbcDriverJar);
        log.fine("Loading JDBC Driver from URL " + archive);
        try {
            drivers.checkArchive(archive, driverName);
        } catch (IOException e) {
            log.log(Level.WARNING, "Refused the damaged driver archive " + archive, e);
            throw new RuntimeException("jdbcDriverJar " + jdbcDriverJar.getStringData()
                + " is a damaged archive: " + e.getMessage());
        }
        try {
            drivers.addUrl(archive);
        } catch (RuntimeException e) {
            // The user reads the message; the cause goes to the log, as a
            // cause would take the message's place in jdbcLastError.
            log.log(Level.SEVERE, "Could not add " + archive + " to the driver class loader", e);
            throw new RuntimeException("Error, could not add URL to system classloader");
        }
        if (drivers.load(driverName) == null) {
            throw new RuntimeException("jdbcDriverJar " + jdbcDriverJar.getStringData()
                + " does not contain a JDBC driver class named " + driverName);
        }
        return successValue();
    }

    public String jdbcLoadDriverPrototype() {
        return "jdbcDriverClass {; location}";
    }

    /** The archive's URL: a temporary copy of a container's file stream, or the argument's text as a URL. */
    private static URL archiveUrl(FMData jdbcDriverJar) {
        FMBinaryInterface container = JdbcPluginModel.containerView(jdbcDriverJar);
        try {
            if (container != null && !container.getStreamTypes().isEmpty()) {
                return copyToTemporaryFile(container).toURI().toURL();
            }
            return new URL(jdbcDriverJar.getStringData());
        } catch (IOException e) {
            log.log(Level.WARNING, "jdbcDriverJar is no driver archive: " + jdbcDriverJar.getStringData(), e);
            throw new RuntimeException("jdbcDriverJar must be a URL or container data.");
        }
    }

    /** A new temporary file "jdbc....jar", deleted when the VM exits, holding the container's file stream. */
    private static File copyToTemporaryFile(FMBinaryInterface container) throws IOException {
        File file = File.createTempFile("jdbc", ".jar");
        file.deleteOnExit();
        InputStream in = container.getStreamForType(QuadChar.FileData);
        OutputStream out = new FileOutputStream(file);
        try {
            IOUtils.writeInputToOutput(in, out, DRIVER_COPY_BUFFER);
        } finally {
            closeAndPrint(in);
            closeAndPrint(out);
        }
        return file;
    }

    private static void closeAndPrint(java.io.Closeable stream) {
        try {
            if (stream != null) {
                stream.close();
            }
        } catch (IOException e) {
            e.printStackTrace();
        }
    }

    /** Opens a database (auto-commit unless the fourth argument is 0); again with its URL, changes auto-commit. */
    public FMType jdbcOpenDatabase(String jdbcURL, String username, String password, Boolean autoCommit)
        throws SQLException {
        model.openDatabase(jdbcURL, username, password, autoCommit == null || autoCommit);
        return successValue();
    }

    public String jdbcOpenDatabasePrototype() {
        return "jdbcURL { ; username ; password ; autoCommit}";
    }

    public FMType jdbcCloseDatabase(String jdbcURL) throws SQLException {
        model.closeDatabase(jdbcURL);
        return null;
    }

    public String jdbcCloseDatabasePrototype() {
        return "jdbcURL";
    }

    // ---- statements and rows ----------------------------------------------------------

    /**
     * Runs a statement; its merge fields ("<<Table::Field>>") become
     * parameters holding the current record's values. 1 for a query (and
     * for begin, rollback and commit), the update count for other statements.
     */
    public FMType jdbcPerformQuery(String sql) throws SQLException {
        int result = model.performQuery(sql, getContext());
        return result == 1 ? successValue() : new FMNumber(result);
    }

    public String jdbcPerformQueryPrototype() {
        return "sql";
    }

    /** 1 when the cursor stands on a row; empty once the rows are used up. */
    public FMType jdbcNextRow() throws SQLException {
        return model.nextRow() ? successValue() : null;
    }

    public FMType jdbcGetValue(String key) throws SQLException {
        return getValue(key, null, JdbcPluginModel.TYPE_AUTO);
    }

    public String jdbcGetValuePrototype() {
        return "key";
    }

    public FMType jdbcGetNumberValue(String key) throws SQLException {
        return getValue(key, null, JdbcPluginModel.TYPE_NUMBER);
    }

    public String jdbcGetNumberValuePrototype() {
        return "key";
    }

    public FMType jdbcGetTimestampValue(String key) throws SQLException {
        return getValue(key, null, JdbcPluginModel.TYPE_TIMESTAMP);
    }

    public String jdbcGetTimestampValuePrototype() {
        return "key";
    }

    public FMType jdbcGetContainerValue(String key, String filename) throws SQLException {
        return getValue(key, filename, JdbcPluginModel.TYPE_AUTO);
    }

    public String jdbcGetContainerValuePrototype() {
        return "key ; filename";
    }

    /** A column's value as a host value: empty for NULL, a container for bytes, else by the type code. */
    private FMType getValue(String key, String filename, int type) throws SQLException {
        Object value = lobContent(model.getValue(key, type));
        if (value == null) {
            return null;
        }
        if (value instanceof byte[]) {
            return FMBinary.fmBinaryForData((byte[]) value, filename == null ? DEFAULT_CONTAINER_NAME : filename,
                null);
        }
        int code = type;
        if (code == JdbcPluginModel.TYPE_AUTO) {
            code = typeOf(value);
        }
        switch (code) {
        case JdbcPluginModel.TYPE_AUTO:
        case JdbcPluginModel.TYPE_TEXT:
            return new FMText(String.valueOf(value));
        case JdbcPluginModel.TYPE_NUMBER:
            return new FMNumber((Number) value);
        case JdbcPluginModel.TYPE_DATE:
        case JdbcPluginModel.TYPE_TIME:
        case JdbcPluginModel.TYPE_TIMESTAMP:
            return new FMTimestamp((java.util.Date) value);
        case JdbcPluginModel.TYPE_CONTAINER:
            return FMType.bestTypeForJavaObject(value);
        default:
            throw new IllegalArgumentException("Unknown type " + code);
        }
    }

    /**
     * A driver may hand out a BLOB or CLOB column as a Blob or Clob object
     * (H2 does): its bytes, or its text, are the value. Anything else stays.
     */
    private static Object lobContent(Object value) throws SQLException {
        if (value instanceof Blob) {
            Blob blob = (Blob) value;
            try {
                return blob.getBytes(1, (int) Math.min(blob.length(), Integer.MAX_VALUE));
            } finally {
                blob.free();
            }
        }
        if (value instanceof Clob) {
            Clob clob = (Clob) value;
            try {
                return clob.getSubString(1, (int) Math.min(clob.length(), Integer.MAX_VALUE));
            } finally {
                clob.free();
            }
        }
        return value;
    }

    private static int typeOf(Object value) {
        if (value.getClass() == String.class) {
            return JdbcPluginModel.TYPE_TEXT;
        } else if (value instanceof Number) {
            return JdbcPluginModel.TYPE_NUMBER;
        } else if (value instanceof java.sql.Date) {
            return JdbcPluginModel.TYPE_DATE;
        } else if (value instanceof java.sql.Time) {
            return JdbcPluginModel.TYPE_TIME;
        } else if (value instanceof java.sql.Timestamp) {
            return JdbcPluginModel.TYPE_TIMESTAMP;
        }
        log.warning("Unknown java type '" + value.getClass().getName() + "' " + value
            + " returned from getObject, returning as text");
        return JdbcPluginModel.TYPE_AUTO;
    }

    /** A key the last statement generated, as text; empty when it generated none. */
    public FMType jdbcGeneratedKey(String columnName) throws SQLException, FeedbackException {
        Object key = model.getAutoInsertedKeyWithName(columnName);
        return key == null ? null : new FMText(key.toString());
    }

    public String jdbcGeneratedKeyPrototype() {
        return "columnName";
    }

    // ---- catalogue ----------------------------------------------------------------------

    public FMType jdbcTableNames() throws SQLException {
        return new FMText(model.getTableNames());
    }

    public String jdbcTableNamesPrototype() {
        return "";
    }

    public FMType jdbcFieldNames(String table) throws SQLException {
        return new FMText(model.getFieldNames(table));
    }

    public String jdbcFieldNamesPrototype() {
        return "table";
    }

    /**
     * The URL at which FileMaker's XML import reads the current query's rows
     * (Import Records from an XML data source); the first call starts the feed.
     */
    public FMType jdbcXmlImportUrl() {
        return new FMText(model.getJdbcXmlImportUrl());
    }

    public String jdbcXmlImportUrlPrototype() {
        return "";
    }

    // ---- the plug-in itself -----------------------------------------------------------

    /** The plug-in's version text. */
    public FMType jdbcVersion() {
        return defaultVersion();
    }

    public String jdbcVersionPrototype() {
        return "";
    }

    /** Why the last failing call failed; empty when the last call succeeded. */
    public FMText jdbcLastError() {
        return defaultLastError();
    }

    /** Closes every connection. */
    @Override
    public void shutdown() {
        model.shutdown();
        log.log(Level.CONFIG, "JDBC plug-in shut down");
    }

    JdbcPluginModel getModel() {
        return model;
    }
}
