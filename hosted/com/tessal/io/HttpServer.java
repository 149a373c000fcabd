package com.tessal.io;

import java.io.BufferedInputStream;
import java.io.BufferedReader;
import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;
import java.io.InterruptedIOException;
import java.io.OutputStream;
import java.io.StringReader;
import java.net.Socket;
import java.net.SocketException;
import java.nio.charset.Charset;
import java.util.LinkedHashMap;
import java.util.Locale;
import java.util.Map;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * One HTTP exchange on an accepted connection: reads the request (request
 * line, headers, parameters) once, when first asked for any of it, and
 * writes a response. The request is read with bounds: its header block is
 * at most 1,600 bytes and its body at most MAX_BODY bytes; longer ones fail.
 */
public class HttpServer {
    private static final Logger log = Logger.getLogger(HttpServer.class.getName());

    /** The most body bytes a request may announce: this service reads parameters, nothing more. */
    public static final int MAX_BODY = 8192;
    private static final byte[] END_OF_HEADERS = {'\r', '\n', '\r', '\n'};
    private static final String CRLF = "\r\n";
    private static final int BODY_COPY_BUFFER = 65536;
    /** How long, and how much, unread input is drained before a connection closes. */
    private static final int DRAIN_MILLISECONDS = 2000;
    private static final int DRAIN_BYTES = 262144;

    private final Socket theSocket;
    private Map<String, String> headerMap;
    private Map<String, String> parameterMap;
    private int timeout;
    private String responseHeader;
    private String mimeType;
    private InputStream responseStream;
    private long contentLength;
    private InputStream in;
    private final Map<String, String> customResponseHeaders = new LinkedHashMap<>();
    private String statusMessage = "200 OK";
    private boolean headersWritten;

    public HttpServer(Socket socket) {
        this.theSocket = socket;
    }

    /** The read time-out in milliseconds; 0 waits for ever. */
    public void setTimeout(int milliseconds) {
        this.timeout = milliseconds;
    }

    public void setMimeType(String mimeType) {
        this.mimeType = mimeType;
    }

    /** The request target without its query; null when the request could not be read. */
    public String getPath() throws IOException {
        return getHeaders().get("path");
    }

    public String getMethod() throws IOException {
        return getHeaders().get("method");
    }

    public String getRequest() throws IOException {
        return getHeaders().get("request");
    }

    public String getProtocol() throws IOException {
        return getHeaders().get("protocol");
    }

    /** The request line's parts and the headers, by lower-case name. */
    public Map<String, String> getHeaders() throws IOException {
        readRequest();
        return headerMap;
    }

    /** Query-string and form parameters. */
    public Map<String, String> getParameters() throws IOException {
        readRequest();
        return parameterMap;
    }

    public InputStream getInputStream() throws IOException {
        if (in == null) {
            in = new BufferedInputStream(theSocket.getInputStream());
        }
        return in;
    }

    private void readRequest() throws IOException {
        if (parameterMap != null) {
            return;
        }
        headerMap = new LinkedHashMap<>();
        parameterMap = new LinkedHashMap<>();
        try {
            if (timeout != 0) {
                theSocket.setSoTimeout(timeout);
            }
            InputStream input = getInputStream();
            ByteArrayOutputStream block = new ByteArrayOutputStream();
            IOUtils.writeInputToOutput(input, block, END_OF_HEADERS);
            byte[] bytes = block.toByteArray();
            if (!endsWith(bytes, END_OF_HEADERS)) {
                throw new IllegalArgumentException("The request's header block is longer than "
                    + IOUtils.MAX_STOP_SEQUENCE_COPY + " bytes or does not end");
            }
            readHeaderBlock(new String(bytes, Charset.defaultCharset()));
            String length = headerMap.get("content-length");
            if (length != null) {
                readBody(input, Long.parseLong(length.trim()));
            }
        } catch (SocketException | InterruptedIOException e) {
            System.out.println("Timed out waiting for socket!");
            e.printStackTrace();
        } catch (IOException e) {
            e.printStackTrace();
        }
    }

    private static boolean endsWith(byte[] bytes, byte[] end) {
        if (bytes.length < end.length) {
            return false;
        }
        for (int i = 0; i < end.length; i++) {
            if (bytes[bytes.length - end.length + i] != end[i]) {
                return false;
            }
        }
        return true;
    }

    private void readHeaderBlock(String block) throws IOException {
        try (BufferedReader lines = new BufferedReader(new StringReader(block))) {
            String first = lines.readLine();
            if (first == null) {
                throw new IOException("No method specified in HTTP request: ");
            }
            String[] parts = first.trim().split(" +");
            if (parts.length < 1 || parts[0].isEmpty()) {
                throw new IOException("No method specified in HTTP request: " + first);
            }
            if (parts.length < 2) {
                throw new IOException("No path specified in HTTP request: " + first);
            }
            if (parts.length < 3) {
                throw new IOException("No protocol specified in HTTP request: " + first);
            }
            headerMap.put("method", parts[0]);
            headerMap.put("request", parts[1]);
            headerMap.put("protocol", parts[2]);
            int query = parts[1].indexOf('?');
            headerMap.put("path", query >= 0 ? parts[1].substring(0, query) : parts[1]);
            if (query >= 0) {
                parseParameters(parts[1].substring(query + 1));
            }
            String previous = null;
            for (String line; (line = lines.readLine()) != null && !line.isEmpty();) {
                if (line.startsWith("\t") && previous != null) {
                    headerMap.put(previous, headerMap.get(previous) + line.substring(1));
                    continue;
                }
                int colon = line.indexOf(':');
                if (colon < 0) {
                    log.warning("No colon in a header line while reading this line: " + line);
                    continue;
                }
                previous = line.substring(0, colon).trim().toLowerCase(Locale.ROOT);
                headerMap.put(previous, line.substring(colon + 1).trim());
            }
        }
    }

    /** A body of the announced length, within MAX_BODY; a larger announcement fails the request. */
    private void readBody(InputStream input, long length) throws IOException {
        if (length < 0 || length > MAX_BODY) {
            throw new IllegalArgumentException("The request announces a body of " + length
                + " bytes; at most " + MAX_BODY + " are read");
        }
        byte[] body = input.readNBytes((int) length);
        if (body.length < length) {
            throw new IOException("The request's body ended after " + body.length + " of " + length + " bytes");
        }
        parseParameters(new String(body, Charset.defaultCharset()));
    }

    private void parseParameters(String text) {
        for (String piece : text.split("&")) {
            if (piece.isEmpty()) {
                continue;
            }
            int equals = piece.indexOf('=');
            if (equals < 0) {
                parameterMap.put(IOUtils.decode(piece), "");
            } else {
                parameterMap.put(IOUtils.decode(piece.substring(0, equals)), IOUtils.decode(piece.substring(equals + 1)));
            }
        }
    }

    // ---- the response -----------------------------------------------------------------------

    public void setResponseString(String text) {
        byte[] bytes = (text == null ? "" : text).getBytes(Charset.defaultCharset());
        responseStream = new ByteArrayInputStream(bytes);
        contentLength = bytes.length;
    }

    public void setResponseStream(InputStream stream) {
        this.responseStream = stream;
    }

    public void setContentLength(long contentLength) {
        this.contentLength = contentLength;
    }

    /** A whole response header, sent instead of the default one. */
    public void setFullResponseHeader(String header) {
        this.responseHeader = header;
    }

    public void setResponseHeader(String name, String value) {
        customResponseHeaders.put(name, value);
    }

    public void setStatusCode(int code) {
        this.statusMessage = String.valueOf(code);
    }

    /** The connection's output, after the response header (sent now if it has not been). */
    public OutputStream getOutputStream() throws IOException {
        OutputStream out = theSocket.getOutputStream();
        if (!headersWritten) {
            out.write(header().getBytes(Charset.defaultCharset()));
            out.flush();
            headersWritten = true;
        }
        return out;
    }

    /** Whether the response header has gone out. */
    public boolean headersWritten() {
        return headersWritten;
    }

    private String header() {
        if (responseHeader != null) {
            return responseHeader;
        }
        StringBuilder header = new StringBuilder("HTTP/1.1 ").append(statusMessage).append(CRLF);
        if (contentLength > 0 && !customResponseHeaders.containsKey("Content-Length")) {
            header.append("Content-Length: ").append(contentLength).append(CRLF);
        }
        if (!customResponseHeaders.containsKey("Content-Type")) {
            header.append("Content-Type: ").append(mimeType == null ? "text/html" : mimeType).append(CRLF);
        }
        customResponseHeaders.forEach((name, value) -> header.append(name).append(": ").append(value).append(CRLF));
        return header.append(CRLF).toString();
    }

    /** Sends the header and the body, then closes the connection. */
    public void sendResponse() throws IOException {
        try {
            OutputStream out = getOutputStream();
            if (responseStream != null) {
                try (InputStream body = responseStream) {
                    IOUtils.writeInputToOutput(body, out, BODY_COPY_BUFFER);
                }
            }
        } finally {
            closeQuietly();
        }
    }

    public void sendMissingResponse() throws IOException {
        sendFixed("HTTP/1.1 404 NotFound" + CRLF + "Connection: close" + CRLF
            + "Content-Type: text/html; charset=iso-8859-1" + CRLF + "Content-Length: 0" + CRLF + CRLF);
    }

    public void sendNoResponse() throws IOException {
        sendFixed("HTTP/1.1 204 No Response" + CRLF + "Content-Length: 0" + CRLF + CRLF);
    }

    private void sendFixed(String response) throws IOException {
        try {
            OutputStream out = theSocket.getOutputStream();
            out.write(response.getBytes(Charset.defaultCharset()));
            out.flush();
        } finally {
            closeQuietly();
        }
    }

    /** Does nothing yet: requests carry no credentials here. */
    public String getUsername() {
        System.out.println("Does nothing yet");
        return "";
    }

    public String getPassword() {
        return "";
    }

    public void closeSocket() throws IOException {
        theSocket.close();
    }

    /**
     * Ends the response, then closes the connection. A request that was not
     * read to its end (refused as too long, say) leaves bytes unread, and
     * closing on them would reset the connection and could destroy the
     * response before the client reads it; so the input is first drained for
     * a short while, within a bound, as the client reads and closes.
     */
    public void close() throws IOException {
        try {
            drainBeforeClosing();
            if (in != null) {
                in.close();
            }
        } finally {
            theSocket.close();
        }
    }

    private void drainBeforeClosing() {
        if (theSocket.isClosed() || theSocket.isOutputShutdown() || theSocket.isInputShutdown()) {
            return;
        }
        try {
            theSocket.shutdownOutput();
            InputStream input = in != null ? in : theSocket.getInputStream();
            long deadline = System.nanoTime() + DRAIN_MILLISECONDS * 1_000_000L;
            byte[] buffer = new byte[8192];
            int drained = 0;
            while (drained < DRAIN_BYTES) {
                long left = (deadline - System.nanoTime()) / 1_000_000L;
                if (left <= 0) {
                    break;
                }
                theSocket.setSoTimeout((int) left);
                int read = input.read(buffer);
                if (read < 0) {
                    break;
                }
                drained += read;
            }
        } catch (IOException e) {
            log.log(Level.FINEST, "The client went away while the connection closed", e);
        }
    }

    private void closeQuietly() {
        try {
            close();
        } catch (IOException e) {
            log.log(Level.FINE, "Closing a connection failed", e);
        }
    }
}
