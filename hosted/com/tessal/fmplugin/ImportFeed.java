package com.tessal.fmplugin;

import com.tessal.database.FMPXMLExport2;
import com.tessal.database.FMPXMLExport2.FieldElement;
import com.tessal.io.HttpServer;
import java.io.BufferedOutputStream;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.net.InetAddress;
import java.net.ServerSocket;
import java.net.Socket;
import java.nio.charset.StandardCharsets;
import java.security.MessageDigest;
import java.sql.ResultSet;
import java.sql.ResultSetMetaData;
import java.sql.SQLException;
import java.sql.Types;
import java.util.concurrent.atomic.AtomicReference;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * The XML import feed: a daemon thread that serves the session's current
 * query as an FMPXMLRESULT document over HTTP, for FileMaker's XML import.
 * The rows stream from the cursor to the socket, one at a time.
 *
 * It listens on the loopback interface only, so nothing outside the machine
 * can reach it, and answers only a request whose path is the query's import
 * identifier (a random token each query makes afresh), compared in constant
 * time. A request is read within a few seconds and a few kilobytes; one that
 * is not gets the error document, and the next is served. While it streams,
 * it holds the session: a host call that would touch the session waits for
 * it a while and then fails with a clear message (see JdbcPluginModel).
 */
final class ImportFeed {
    private static final Logger log = Logger.getLogger(ImportFeed.class.getName());

    /** The host name in the feed's URL: the loopback address it listens on. */
    static final String HOST = "127.0.0.1";
    /** The ERRORCODE of the document that answers a request the feed cannot serve. */
    static final int REQUEST_FAILED = 802;
    private static final int READ_TIMEOUT_MILLISECONDS = 5000;
    private static final int OUTPUT_BUFFER = 65536;

    private enum State { NOT_STARTED, STARTING, LISTENING, STOPPED }

    private final JdbcPluginModel model;
    private final int port;
    private final AtomicReference<State> state = new AtomicReference<>(State.NOT_STARTED);
    private volatile ServerSocket serverSocket;
    private volatile int boundPort;
    private volatile boolean normalShutdown;

    ImportFeed(JdbcPluginModel model, int port) {
        this.model = model;
        this.port = port;
    }

    /** The feed's URL for an import identifier ("null" before the first query). */
    String url(String identifier) {
        return "http://" + HOST + ":" + (port == 0 ? boundPort : port) + "/" + identifier;
    }

    /**
     * Starts the listener unless one is starting, listening or stopped. The
     * socket is bound before this returns, so the URL names a port that
     * already listens (FileMaker may connect at once) and, on port 0, the
     * port the system chose; the connections are served on a daemon thread.
     */
    void start() {
        if (!state.compareAndSet(State.NOT_STARTED, State.STARTING)) {
            return;
        }
        ServerSocket socket = bind();
        if (socket == null) {
            return;
        }
        state.set(State.LISTENING);
        Thread thread = new Thread(() -> listen(socket));
        thread.setDaemon(true);
        thread.start();
    }

    /** A listening socket on the loopback interface, or null (printed) when it cannot be had. */
    private ServerSocket bind() {
        try {
            ServerSocket socket = new ServerSocket(port, 0, InetAddress.getByName(HOST));
            serverSocket = socket;
            boundPort = socket.getLocalPort();
            return socket;
        } catch (IOException e) {
            // Not started: the next jdbcXmlImportUrl tries again.
            e.printStackTrace();
            state.set(State.NOT_STARTED);
            return null;
        }
    }

    /** Closes the listener, whose thread then ends quietly; the feed does not start again. */
    void stop() {
        state.set(State.STOPPED);
        ServerSocket socket = serverSocket;
        if (socket == null) {
            return;
        }
        System.out.println("JDBCPlugin shutting down import serverSocket");
        normalShutdown = true;
        try {
            socket.close();
        } catch (IOException e) {
            log.warning("Falied closing serverSocket: " + e);
        }
    }

    private void listen(ServerSocket socket) {
        try {
            while (true) {
                Socket connection = socket.accept();
                try {
                    serve(connection);
                } catch (RuntimeException | Error e) {
                    // Reporting the request's failure failed too (the VM out of
                    // memory, say): the feed serves the next import all the same.
                }
            }
        } catch (IOException e) {
            if (!normalShutdown) {
                e.printStackTrace();
            }
        } finally {
            state.set(State.STOPPED);
            try {
                socket.close();
            } catch (IOException e) {
                e.printStackTrace();
            }
        }
    }

    /** One request, answered with the rows or with the error document; the connection is closed after. */
    private void serve(Socket connection) {
        HttpServer http = new HttpServer(connection);
        http.setMimeType("text/xml");
        http.setTimeout(READ_TIMEOUT_MILLISECONDS);
        try {
            String path = http.getPath();
            model.withSession(() -> sendRows(http, path));
        } catch (Exception | Error e) {
            fail(http, e);
        } finally {
            try {
                http.close();
            } catch (IOException e) {
                log.log(Level.FINE, "Closing an import connection failed", e);
            }
        }
    }

    private Void sendRows(HttpServer http, String path) throws Exception {
        ResultSet cursor = model.cursor();
        if (cursor == null) {
            throw new IllegalStateException("You must call jdbcPerformQuery before importing from the JDBC data source");
        }
        String identifier = path == null || path.isEmpty() ? "" : path.substring(1);
        if (!sameIdentifier(identifier, model.importIdentifier())) {
            throw new RuntimeException("Invalid import identifier '" + path
                + "', use the jdbcImportUrl function as your import location");
        }
        log.info("Initiating import");
        ResultSetMetaData metadata = cursor.getMetaData();
        int columns = metadata.getColumnCount();
        FieldElement[] fields = new FieldElement[columns];
        for (int i = 0; i < columns; i++) {
            fields[i] = new FieldElement(metadata.getColumnName(i + 1), fieldType(metadata.getColumnType(i + 1)),
                true, 1);
        }
        OutputStream out = new BufferedOutputStream(http.getOutputStream(), OUTPUT_BUFFER);
        FMPXMLExport2 document = new FMPXMLExport2(out, fields, null);
        try {
            while (cursor.next()) {
                Object[] row = new Object[columns];
                for (int i = 0; i < columns; i++) {
                    try {
                        row[i] = cursor.getObject(i + 1);
                    } catch (SQLException e) {
                        log.log(Level.WARNING, "Could not get column " + i, e);
                    }
                }
                document.addRow(row);
            }
        } catch (Exception | Error e) {
            abandon(document);
            throw e;
        }
        document.close();
        log.info("Sent " + document.getRowsAdded() + " rows in response.");
        return null;
    }

    /**
     * Ends a document whose rows failed (the cursor broke, memory ran out,
     * the client went away) so that it cannot pass for a complete result:
     * before its first row it becomes the error document; after that it is
     * left unfinished, and the client's parser finds it cut short. Closing
     * it properly would hand over the rows so far under ERRORCODE 0, and the
     * import would look complete.
     */
    private static void abandon(FMPXMLExport2 document) {
        if (document.getRowsAdded() > 0) {
            return;
        }
        document.setErrorCode(REQUEST_FAILED);
        try {
            document.close();
        } catch (Exception | Error e) {
            log.log(Level.FINE, "Could not send the error document", e);
        }
    }

    /** Equal identifiers, compared in a time that does not tell how much of a wrong one was right. */
    private static boolean sameIdentifier(String given, String expected) {
        if (expected == null) {
            return false;
        }
        return MessageDigest.isEqual(given.getBytes(StandardCharsets.UTF_8), expected.getBytes(StandardCharsets.UTF_8));
    }

    static String fieldType(int sqlType) {
        switch (sqlType) {
        case Types.BIGINT:
        case Types.BIT:
        case Types.DOUBLE:
        case Types.FLOAT:
        case Types.INTEGER:
        case Types.NUMERIC:
        case Types.REAL:
        case Types.SMALLINT:
        case Types.TINYINT:
            return FieldElement.TYPE_NUMBER;
        case Types.DATE:
            return FieldElement.TYPE_DATE;
        case Types.TIME:
            return FieldElement.TYPE_TIME;
        case Types.TIMESTAMP:
            return FieldElement.TYPE_TIMESTAMP;
        default:
            return FieldElement.TYPE_TEXT;
        }
    }

    /**
     * A request that failed before its answer began gets the error document
     * (ERRORCODE 802); once the answer was going out, the document has been
     * ended as abandon() says and there is nothing more to send.
     */
    private static void fail(HttpServer http, Throwable failure) {
        log.log(Level.WARNING, "Exception generated during import response, returning error code.", failure);
        if (http.headersWritten()) {
            return;
        }
        try {
            http.setResponseString(errorDocument());
            http.sendResponse();
        } catch (Exception e) {
            log.log(Level.SEVERE, "Error while handling the original error", failure);
        }
    }

    static String errorDocument() throws Exception {
        ByteArrayOutputStream bytes = new ByteArrayOutputStream();
        FMPXMLExport2 document = new FMPXMLExport2(bytes, new FieldElement[0], null);
        document.setErrorCode(REQUEST_FAILED);
        document.close();
        return bytes.toString(StandardCharsets.UTF_8);
    }
}
