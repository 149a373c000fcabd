package com.tessal.fmplugin;

import com.tessal.fmplugin.jdbc.InputStreamBlob;
import com.tessal.fmplugin.jdbc.PreparedStatementFormatter;
import com.tessal.fmplugin.jdbc.UrlPasswords;
import com.tessal.veskor.FeedbackException;
import com.tessal.veskor.PluginContext;
import com.tessal.veskor.PluginUtils;
import com.tessal.veskor.types.Converter;
import com.tessal.veskor.types.FMBinaryInterface;
import com.tessal.veskor.types.FMData;
import com.tessal.veskor.types.FMType;
import java.io.IOException;
import java.io.InputStream;
import java.security.SecureRandom;
import java.sql.Connection;
import java.sql.DatabaseMetaData;
import java.sql.DriverManager;
import java.sql.PreparedStatement;
import java.sql.ResultSet;
import java.sql.SQLException;
import java.sql.SQLFeatureNotSupportedException;
import java.sql.SQLTransientException;
import java.sql.Statement;
import java.sql.Types;
import java.text.MessageFormat;
import java.util.ArrayList;
import java.util.HashMap;
import java.util.Iterator;
import java.util.List;
import java.util.Locale;
import java.util.Map;
import java.util.concurrent.Callable;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.locks.ReentrantLock;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * The JDBC session behind the plug-in's functions: the open connections by
 * their URL text, the active one, the statement of the last query, the
 * cursor the value-reading functions walk and the generated keys of the last
 * insert. One per plug-in, shared by every file and window that calls it.
 */
@SuppressWarnings("try") // a Hold is there for its scope: it holds the session until the block ends
public class JdbcPluginModel {
    private static final Logger log = Logger.getLogger(JdbcPluginModel.class.getName());

    /** The XML import feed's TCP port. */
    public static final int IMPORT_SERVER_PORT = 15673;

    public static final int TYPE_AUTO = 0;
    public static final int TYPE_TEXT = 1;
    public static final int TYPE_NUMBER = 2;
    public static final int TYPE_DATE = 3;
    public static final int TYPE_TIME = 4;
    public static final int TYPE_TIMESTAMP = 5;
    public static final int TYPE_CONTAINER = 6;

    private static final SecureRandom RANDOM = new SecureRandom();

    /** How long a host call waits for an import that holds the session before it fails. */
    private static final long SESSION_WAIT_SECONDS = 5;
    /** How long an open connection has to answer when its URL is opened again. */
    private static final int VALIDATION_SECONDS = 10;

    private final Map<String, Connection> connections = new HashMap<>();
    private final ImportFeed feed = new ImportFeed(this, importPort());
    // The host's calls and the import feed take turns on the session.
    private final ReentrantLock session = new ReentrantLock();
    private ResultSet currentResultSet;
    private String importPassword;
    private Connection activeConnection;
    private boolean hasCalledNext;
    private ResultSet generatedKeys;
    private PreparedStatement stmt;
    private boolean disableGeneratedKeys;

    /**
     * The feed's port: 15673, unless VNT_IMPORT_PORT names another (two hosts
     * on one machine, or tests; 0 lets the system choose a free one).
     */
    private static int importPort() {
        String configured = System.getenv("VNT_IMPORT_PORT");
        if (configured != null) {
            try {
                return Integer.parseInt(configured.trim());
            } catch (NumberFormatException e) {
                log.warning("VNT_IMPORT_PORT is no port number: " + configured);
            }
        }
        return IMPORT_SERVER_PORT;
    }

    /**
     * The session for one host call; released when the call's work is done.
     * A transient database error when an import keeps it too long: the call
     * may be made again, and the user reads the message as it stands.
     */
    private final class Hold implements AutoCloseable {
        Hold() throws SQLTransientException {
            boolean held;
            try {
                held = session.tryLock(SESSION_WAIT_SECONDS, TimeUnit.SECONDS);
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
                held = false;
            }
            if (!held) {
                throw new SQLTransientException(
                    "An XML import is sending this query's rows; try again when it has finished");
            }
        }

        @Override
        public void close() {
            session.unlock();
        }
    }

    /** Runs the feed's work on the session, waiting for a host call that holds it. */
    <T> T withSession(Callable<T> work) throws Exception {
        session.lock();
        try {
            return work.call();
        } finally {
            session.unlock();
        }
    }

    ResultSet cursor() {
        return currentResultSet;
    }

    String importIdentifier() {
        return importPassword;
    }

    /**
     * The URL of the feed that serves the current query; the first call
     * starts the feed. It needs no turn on the session (only the host's
     * calls write the identifier), so it answers also while an import runs.
     */
    public String getJdbcXmlImportUrl() {
        feed.start();
        return feed.url(String.valueOf(importPassword));
    }

    /**
     * Opens the connection for a URL text, or, when that text is open
     * already, only sets its auto-commit mode; either way it becomes the
     * active connection. Absent user name and password are passed as absent.
     * An open connection that has died (its server restarted, its database
     * closed itself) is closed and opened afresh.
     */
    public void openDatabase(String jdbcUrl, String username, String password, boolean autoCommit)
        throws SQLException {
        try (Hold hold = new Hold()) {
            Connection connection = connections.get(jdbcUrl);
            if (connection != null && !isAlive(connection)) {
                log.warning("The connection to " + UrlPasswords.mask(jdbcUrl) + " is closed or does not answer;"
                    + " opening a new one");
                connections.remove(jdbcUrl);
                closeQuietly(connection);
                connection = null;
            }
            if (connection == null) {
                System.out.println("JDBCPlugin Opening connection to " + UrlPasswords.mask(jdbcUrl));
                try {
                    connection = DriverManager.getConnection(jdbcUrl, username, password);
                    connection.setAutoCommit(autoCommit);
                } catch (SQLException e) {
                    activeConnection = null;
                    closeQuietly(connection);
                    throw e;
                }
                connections.put(jdbcUrl, connection);
            } else {
                connection.setAutoCommit(autoCommit);
            }
            activeConnection = connection;
            try {
                disableGeneratedKeys = !connection.getMetaData().supportsGetGeneratedKeys();
            } catch (Exception e) {
                log.log(Level.WARNING, "Error while inspecting database metadata " + metadataText(connection), e);
                disableGeneratedKeys = true;
            }
        }
    }

    /**
     * Whether a connection still reaches its database. A driver that cannot
     * tell (one without isValid) keeps its connection.
     */
    private static boolean isAlive(Connection connection) {
        try {
            return !connection.isClosed() && connection.isValid(VALIDATION_SECONDS);
        } catch (SQLException | RuntimeException | AbstractMethodError e) {
            log.log(Level.FINE, "Could not check a connection; keeping it", e);
            return true;
        }
    }

    private static String metadataText(Connection connection) {
        try {
            return String.valueOf(connection.getMetaData());
        } catch (Exception e) {
            return "null";
        }
    }

    private static void closeQuietly(Connection connection) {
        if (connection != null) {
            try {
                connection.close();
            } catch (SQLException e) {
                log.log(Level.FINE, "Could not close a connection that failed or died", e);
            }
        }
    }

    /** Closes the connection of a URL text; an unknown or absent URL does nothing. */
    public void closeDatabase(String jdbcUrl) throws SQLException {
        try (Hold hold = new Hold()) {
            if (jdbcUrl == null) {
                return;
            }
            Connection connection = connections.remove(jdbcUrl);
            if (connection != null) {
                connection.close();
                System.out.println("JDBCPlugin Closing connection to " + UrlPasswords.mask(jdbcUrl));
            }
        }
    }

    /**
     * Runs a statement whose merge fields, evaluated in the calling
     * function's context, become its parameters: 1 for a statement that
     * gives a cursor and for begin, rollback and commit; the update count
     * for other statements; 0 for an empty text.
     */
    public int performQuery(String sql, PluginContext context) throws SQLException {
        try (Hold hold = new Hold()) {
            if (sql == null || sql.isEmpty()) {
                return 0;
            }
            importPassword = Long.toString((long) (RANDOM.nextDouble() * Math.pow(2, 63)), 36);
            if (activeConnection == null) {
                throw new IllegalStateException("You must call jdbcOpenDatabase before calling jdbcPerformQuery");
            }
            closeCursor();
            PreparedStatement prepared = prepare(sql, context);
            closeStatement();
            stmt = prepared;
            String firstWord = sql.indexOf(' ') >= 0 ? sql.substring(0, sql.indexOf(' ')) : sql;
            switch (firstWord.toLowerCase(Locale.ROOT)) {
            case "select":
                currentResultSet = stmt.executeQuery();
                hasCalledNext = false;
                return 1;
            case "begin":
                log.info("Beginning transaction");
                activeConnection.setSavepoint();
                return 1;
            case "rollback":
                log.warning("Rolling back current transaction");
                activeConnection.rollback();
                return 1;
            case "commit":
                log.info("Committing transaction");
                activeConnection.commit();
                return 1;
            default:
                if (stmt.execute()) {
                    currentResultSet = stmt.getResultSet();
                    hasCalledNext = false;
                    return 1;
                }
                int count = stmt.getUpdateCount();
                log.log(Level.INFO, "{0} rows affected", count);
                return count;
            }
        }
    }

    /** The cursor of the previous query goes with it; so does its statement once replaced. */
    private void closeCursor() {
        ResultSet cursor = currentResultSet;
        currentResultSet = null;
        if (cursor != null) {
            try {
                cursor.close();
            } catch (SQLException e) {
                log.log(Level.FINE, "Could not close the previous result set", e);
            }
        }
    }

    private void closeStatement() {
        closeKeys();
        if (stmt != null) {
            try {
                stmt.close();
            } catch (SQLException e) {
                log.log(Level.FINE, "Could not close the previous statement", e);
            }
            stmt = null;
        }
    }

    private void closeKeys() {
        if (generatedKeys != null) {
            try {
                generatedKeys.close();
            } catch (SQLException e) {
                log.log(Level.FINE, "Could not close the generated keys", e);
            }
            generatedKeys = null;
        }
    }

    private PreparedStatement prepare(String sql, PluginContext context) throws SQLException {
        PreparedStatementFormatter formatter = new PreparedStatementFormatter();
        String merged = PluginUtils.mergeString(context, sql, formatter);
        PreparedStatement prepared = null;
        if (!disableGeneratedKeys) {
            try {
                prepared = activeConnection.prepareStatement(merged, Statement.RETURN_GENERATED_KEYS);
            } catch (Exception e) {
                log.log(Level.SEVERE, "Error while creating prepared statement, will disable generated key support",
                    e);
                disableGeneratedKeys = true;
            }
        }
        if (prepared == null) {
            prepared = activeConnection.prepareStatement(merged);
        }
        try {
            if (prepared.getClass().getName().equals("com.mysql.jdbc.PreparedStatement")) {
                log.fine("Setting fetchSize to Integer.MIN_VALUE for MySQL prepared statement");
                prepared.setFetchSize(Integer.MIN_VALUE);
            }
            log.info("\"" + merged + "\" with " + formatter);
            bind(prepared, formatter);
            return prepared;
        } catch (SQLException | RuntimeException e) {
            prepared.close();
            throw e;
        }
    }

    /** Containers (a file reference among them) as BLOBs over their best stream, anything else as its text. */
    private static void bind(PreparedStatement prepared, PreparedStatementFormatter formatter) throws SQLException {
        int index = 1;
        for (Iterator<FMData> values = formatter.parameterIterator(); values.hasNext(); index++) {
            FMData value = values.next();
            FMBinaryInterface container = containerView(value);
            if (container != null && !container.getStreamTypes().isEmpty()) {
                bindContainer(prepared, index, container);
            } else {
                prepared.setObject(index, value.getStringData());
            }
        }
    }

    /**
     * A container's best stream, handed to the driver as it is read. A
     * parameter the driver knows to be binary (PostgreSQL's bytea, say)
     * takes the stream itself, and so does one whose driver takes no Blob
     * (SQLite's); any other takes an InputStreamBlob over it.
     */
    private static void bindContainer(PreparedStatement prepared, int index, FMBinaryInterface container)
        throws SQLException {
        long size = sizeOf(container);
        if (!isBinaryParameter(prepared, index)) {
            try {
                prepared.setBlob(index, new InputStreamBlob(container.getBestInputStream(), size));
                return;
            } catch (SQLFeatureNotSupportedException e) {
                log.log(Level.FINE, "The driver takes no Blob: binding the container's stream", e);
            }
        }
        InputStream stream = container.getBestInputStream();
        if (size <= Integer.MAX_VALUE) {
            prepared.setBinaryStream(index, stream, (int) size);
        } else {
            prepared.setBinaryStream(index, stream, size);
        }
    }

    private static boolean isBinaryParameter(PreparedStatement prepared, int index) {
        try {
            int type = prepared.getParameterMetaData().getParameterType(index);
            return type == Types.BINARY || type == Types.VARBINARY || type == Types.LONGVARBINARY;
        } catch (SQLException | RuntimeException e) {
            return false;
        }
    }

    /** The value as a container (a text that is a file reference counts), or null. */
    static FMBinaryInterface containerView(FMData value) {
        try {
            Converter converter = FMType.converterForClass(FMBinaryInterface.class);
            return (FMBinaryInterface) converter.convertData(value, FMBinaryInterface.class);
        } catch (FMType.UnsupportedTypeConversionException e) {
            throw new IllegalStateException(e);
        }
    }

    private static long sizeOf(FMBinaryInterface container) throws SQLException {
        try (InputStream second = container.getBestInputStream()) {
            return second == null ? 0 : second.available();
        } catch (IOException e) {
            throw new SQLException("Error reading from underlying InputStream", e);
        }
    }

    /** Advances the cursor; whether a row is now current. */
    public boolean nextRow() throws SQLException {
        try (Hold hold = new Hold()) {
            if (currentResultSet == null) {
                throw new IllegalStateException("You must call jdbcPerformQuery before calling jdbcNextRow");
            }
            hasCalledNext = true;
            return currentResultSet.next();
        }
    }

    /**
     * A column of the current row, by position (a key that is an integer)
     * or name, read the way the type code asks; null for SQL NULL. The
     * first read after a query lands on the first row.
     */
    public Object getValue(String key, int type) throws SQLException {
        try (Hold hold = new Hold()) {
            if (currentResultSet == null) {
                throw new IllegalStateException("You must call jdbcPerformQuery before calling jdbcGetValue");
            }
            if (key == null || key.isEmpty()) {
                throw new IllegalArgumentException("Give the column's position (from 1) or its name");
            }
            if (!hasCalledNext) {
                currentResultSet.next();
                hasCalledNext = true;
            }
            if (Character.isDigit(key.charAt(0))) {
                try {
                    return read(currentResultSet, Integer.parseInt(key), type);
                } catch (NumberFormatException e) {
                    log.warning("Parameter \"" + key + "\" starts with a digit, but isn't a valid integer.  Falling back"
                        + " to text");
                }
            }
            return read(currentResultSet, key, type);
        }
    }

    private static Object read(ResultSet rows, int column, int type) throws SQLException {
        switch (type) {
        case TYPE_AUTO:
        case TYPE_CONTAINER:
            return rows.getObject(column);
        case TYPE_TEXT:
            return rows.getString(column);
        case TYPE_NUMBER:
            return rows.getBigDecimal(column);
        case TYPE_DATE:
            return rows.getDate(column);
        case TYPE_TIME:
            return rows.getTime(column);
        case TYPE_TIMESTAMP:
            return rows.getTimestamp(column);
        default:
            throw new IllegalArgumentException("Unknown type " + type);
        }
    }

    private static Object read(ResultSet rows, String column, int type) throws SQLException {
        switch (type) {
        case TYPE_AUTO:
        case TYPE_CONTAINER:
            return rows.getObject(column);
        case TYPE_TEXT:
            return rows.getString(column);
        case TYPE_NUMBER:
            return rows.getBigDecimal(column);
        case TYPE_DATE:
            return rows.getDate(column);
        case TYPE_TIME:
            return rows.getTime(column);
        case TYPE_TIMESTAMP:
            return rows.getTimestamp(column);
        default:
            throw new IllegalArgumentException("Unknown type " + type);
        }
    }

    /**
     * A generated key of the last statement, by position or name, from its
     * first row of keys; null when it made none.
     */
    public Object getAutoInsertedKeyWithName(String key) throws SQLException, FeedbackException {
        try (Hold hold = new Hold()) {
            if (disableGeneratedKeys) {
                throw new FeedbackException(
                    "Retrieval of generated keys is not supported with this database type");
            }
            if (generatedKeys == null) {
                if (stmt == null) {
                    return null;
                }
                generatedKeys = stmt.getGeneratedKeys();
                if (generatedKeys == null || !generatedKeys.next()) {
                    closeStatement();
                    return null;
                }
            }
            if (key == null || key.isEmpty()) {
                throw new IllegalArgumentException("Give the key column's position (from 1) or its name");
            }
            Object value = Character.isDigit(key.charAt(0)) ? generatedKeys.getObject(Integer.parseInt(key))
                : generatedKeys.getObject(key);
            log.info(MessageFormat.format("Auto-generated key ''{0}'' has a value of {1}", key, value));
            return value;
        }
    }

    /** The names of the active connection's tables, one per line. */
    public String getTableNames() throws SQLException {
        try (Hold hold = new Hold()) {
            DatabaseMetaData metadata = activeConnection.getMetaData();
            try (ResultSet tables = metadata.getTables(null, null, null, null)) {
                return joinColumn(tables, 3);
            }
        }
    }

    /** The names of the columns of the tables a pattern names ("%" and "_" are wildcards), one per line. */
    public String getFieldNames(String table) throws SQLException {
        try (Hold hold = new Hold()) {
            DatabaseMetaData metadata = activeConnection.getMetaData();
            try (ResultSet columns = metadata.getColumns(null, null, table, null)) {
                return joinColumn(columns, 4);
            }
        }
    }

    private static String joinColumn(ResultSet rows, int column) throws SQLException {
        List<String> names = new ArrayList<>();
        while (rows.next()) {
            names.add(String.valueOf(rows.getString(column)));
        }
        return String.join("\n", names);
    }

    /**
     * Closes every connection (a failure is printed and the next one is
     * closed all the same), then the feed. The plug-in is going away: an
     * import still sending rows does not keep the connections open, it ends
     * early instead.
     */
    public void shutdown() {
        Hold hold = null;
        try {
            hold = new Hold();
        } catch (SQLTransientException busy) {
            log.warning("Closing the connections while an XML import is sending rows");
        }
        try {
            closeAll();
        } finally {
            if (hold != null) {
                hold.close();
            }
            feed.stop();
        }
    }

    private void closeAll() {
        closeCursor();
        closeStatement();
        for (String url : new ArrayList<>(connections.keySet())) {
            try {
                closeDatabase(url);
            } catch (SQLException e) {
                System.err.println("JDBCPlugin failed shutting down connection for " + UrlPasswords.mask(url));
                e.printStackTrace();
            }
        }
    }
}
