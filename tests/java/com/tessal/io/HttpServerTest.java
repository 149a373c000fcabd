package com.tessal.io;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNull;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.PrintStream;
import java.net.InetAddress;
import java.net.ServerSocket;
import java.net.Socket;
import java.nio.charset.Charset;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.stream.Stream;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Named;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.CsvSource;
import org.junit.jupiter.params.provider.MethodSource;
import org.junit.jupiter.params.provider.ValueSource;

/**
 * One exchange over a real loopback connection. The client writes its whole
 * request before the server end is accepted; the kernel holds it until the
 * server reads, so client and server share the test's thread.
 */
class HttpServerTest {
    private ServerSocket listener;
    private final List<Socket> sockets = new ArrayList<>();

    @BeforeEach
    void listen() throws IOException {
        listener = new ServerSocket(0, 50, InetAddress.getByName("127.0.0.1"));
    }

    @AfterEach
    void closeAll() throws IOException {
        for (Socket socket : sockets) {
            socket.close();
        }
        listener.close();
    }

    /** A client that has sent these bytes; when finished it has also ended its output, as a half-close. */
    private Socket client(byte[] request, boolean finished) throws IOException {
        Socket client = new Socket(listener.getInetAddress(), listener.getLocalPort());
        sockets.add(client);
        // Only a guard against a hang on failure: no exchange here waits for it.
        client.setSoTimeout(60_000);
        client.getOutputStream().write(request);
        client.getOutputStream().flush();
        if (finished) {
            client.shutdownOutput();
        }
        return client;
    }

    private HttpServer accept() throws IOException {
        Socket accepted = listener.accept();
        sockets.add(accepted);
        return new HttpServer(accepted);
    }

    /** The server end of a connection whose client sent this request whole. */
    private HttpServer serve(String request) throws IOException {
        client(ascii(request), true);
        return accept();
    }

    private static byte[] ascii(String text) {
        return text.getBytes(StandardCharsets.US_ASCII);
    }

    @Test
    void theRequestLineAndHeadersAreReadIntoOneMap() throws IOException {
        HttpServer server = serve("GET /feed/abc?x=1 HTTP/1.1\r\n"
            + "Host:   example.test  \r\n"
            + "X-Twice: first\r\n"
            + "x-TWICE: second\r\n"
            + "X-Folded: abc\r\n"
            + "\tdef\r\n"
            + "\r\n");
        assertEquals("GET", server.getMethod());
        assertEquals("/feed/abc?x=1", server.getRequest());
        assertEquals("/feed/abc", server.getPath());
        assertEquals("HTTP/1.1", server.getProtocol());
        assertEquals(Map.of("method", "GET", "request", "/feed/abc?x=1", "protocol", "HTTP/1.1", "path", "/feed/abc",
            "host", "example.test", "x-twice", "second", "x-folded", "abcdef"), server.getHeaders());
    }

    @Test
    void aHeaderNamedPathReplacesThePathOfTheRequestLine() throws IOException {
        HttpServer server = serve("GET /real?q=1 HTTP/1.1\r\nPath: /other\r\n\r\n");
        assertEquals("/other", server.getPath());
        assertEquals("/real?q=1", server.getRequest());
    }

    @ParameterizedTest
    @CsvSource(delimiter = '|', value = {
        // target            | body                    | Content-Length | parameters
        "/p?a=1&b=%41%42+c   |                         |    | {a=1, b=AB c}",
        "/p?only&&empty=     |                         |    | {only=, empty=}",
        "/p                  | x=a+b&flag&c=%3D%26     |    | {x=a b, flag=, c==&}",
        "/p?a=1&b=2          | b=3&c=4                 |    | {a=1, b=3, c=4}",
        "/p                  | a=1&b=2                 | 3  | {a=1}",
    })
    void parametersComeFromTheQueryAndFromABodyOfTheAnnouncedLength(String target, String body, Integer length,
            String parameters) throws IOException {
        String request = body == null
            ? "GET " + target + " HTTP/1.1\r\n\r\n"
            : "POST " + target + " HTTP/1.1\r\nContent-Length: " + (length == null ? body.length() : length)
                + "\r\n\r\n" + body;
        assertEquals(parameters, serve(request).getParameters().toString());
    }

    @ParameterizedTest
    @CsvSource({"'', method", "GET, path", "'GET /x', protocol"})
    void aRequestLineWithoutAllThreePartsLeavesTheRequestUnread(String line, String missing) throws IOException {
        HttpServer server = serve(line + "\r\nHost: h\r\n\r\n");
        // The failure is reported on the error stream; callers see a request without a path.
        PrintStream standardError = System.err;
        ByteArrayOutputStream reported = new ByteArrayOutputStream();
        System.setErr(new PrintStream(reported, true, StandardCharsets.UTF_8));
        try {
            assertNull(server.getPath());
        } finally {
            System.setErr(standardError);
        }
        assertNull(server.getMethod());
        assertTrue(server.getHeaders().isEmpty());
        assertEquals("java.io.IOException: No " + missing + " specified in HTTP request: " + line,
            reported.toString(StandardCharsets.UTF_8).lines().findFirst().orElse(""));
    }

    /** A request whose header block, up to and including its blank line, has this many bytes. */
    private static String requestOfHeaderBlock(int size) {
        String head = "GET / HTTP/1.1\r\nX-Pad: ";
        return head + "p".repeat(size - head.length() - 4) + "\r\n\r\n";
    }

    @Test
    void theHeaderBlockIsReadUpTo1600Bytes() throws IOException {
        HttpServer server = serve(requestOfHeaderBlock(1600));
        assertEquals("/", server.getPath());
        assertEquals(1600 - "GET / HTTP/1.1\r\nX-Pad: \r\n\r\n".length(), server.getHeaders().get("x-pad").length());

        assertThrows(IllegalArgumentException.class, () -> serve(requestOfHeaderBlock(1601)).getPath());
        // Nor is a block that ends with the connection.
        assertThrows(IllegalArgumentException.class, () -> serve("GET / HTTP/1.1\r\nHost: h\r\n").getPath());
    }

    @Test
    void aBodyIsReadUpToMaxBodyBytes() throws IOException {
        String value = "v".repeat(HttpServer.MAX_BODY - 2);
        HttpServer server = serve("POST / HTTP/1.1\r\nContent-Length: " + HttpServer.MAX_BODY + "\r\n\r\nk=" + value);
        assertEquals(Map.of("k", value), server.getParameters());
    }

    @ParameterizedTest
    @ValueSource(ints = {HttpServer.MAX_BODY + 1, -1})
    void aBodyAnnouncedBeyondTheLimitIsRefused(int length) throws IOException {
        HttpServer server = serve("POST / HTTP/1.1\r\nContent-Length: " + length + "\r\n\r\nk=v");
        assertThrows(IllegalArgumentException.class, server::getPath);
    }

    @ParameterizedTest
    @ValueSource(strings = {"", "GET /x HTTP/1.1\r\nHost: h\r\n"})
    void aRequestThatDoesNotArriveInTimeHasNoPath(String sentSoFar) throws IOException {
        client(ascii(sentSoFar), false);
        HttpServer server = accept();
        server.setTimeout(200);
        assertNull(server.getPath());
        assertNull(server.getMethod());
        assertTrue(server.getHeaders().isEmpty());
    }

    /** What the server end does to answer. */
    private interface Answer {
        void send(HttpServer server) throws IOException;
    }

    private static Arguments answer(String name, Answer answer, String response) {
        return Arguments.of(Named.of(name, answer), response);
    }

    static Stream<Arguments> answers() {
        byte[] body = "<p>caf\u00e9 \u20ac</p>".getBytes(Charset.defaultCharset());
        String bodyText = new String(body, StandardCharsets.ISO_8859_1);
        return Stream.of(
            answer("default header", HttpServer::sendResponse,
                "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n"),
            answer("string body", server -> {
                server.setResponseString("<p>caf\u00e9 \u20ac</p>");
                server.sendResponse();
            }, "HTTP/1.1 200 OK\r\nContent-Length: " + body.length + "\r\nContent-Type: text/html\r\n\r\n" + bodyText),
            answer("stream body, status, mime type and a custom header", server -> {
                server.setStatusCode(404);
                server.setMimeType("text/xml");
                server.setResponseHeader("X-Feed", "1");
                server.setResponseStream(new ByteArrayInputStream(ascii("<a/>")));
                server.sendResponse();
            }, "HTTP/1.1 404\r\nContent-Type: text/xml\r\nX-Feed: 1\r\n\r\n<a/>"),
            answer("custom headers in place of the computed ones", server -> {
                server.setContentLength(5);
                server.setResponseHeader("Content-Type", "a/b");
                server.setResponseHeader("Content-Length", "9");
                server.sendResponse();
            }, "HTTP/1.1 200 OK\r\nContent-Type: a/b\r\nContent-Length: 9\r\n\r\n"),
            answer("full header", server -> {
                server.setFullResponseHeader("HTTP/1.1 500 Broken\r\n\r\n");
                server.setResponseString("x");
                server.sendResponse();
            }, "HTTP/1.1 500 Broken\r\n\r\nx"),
            answer("missing", HttpServer::sendMissingResponse, "HTTP/1.1 404 NotFound\r\nConnection: close\r\n"
                + "Content-Type: text/html; charset=iso-8859-1\r\nContent-Length: 0\r\n\r\n"),
            answer("no response", HttpServer::sendNoResponse, "HTTP/1.1 204 No Response\r\nContent-Length: 0\r\n\r\n"));
    }

    @ParameterizedTest
    @MethodSource("answers")
    void theResponseIsSentWholeAndTheConnectionClosed(Answer answer, String response) throws IOException {
        Socket client = client(ascii("GET /x HTTP/1.1\r\nHost: h\r\n\r\n"), true);
        HttpServer server = accept();
        assertEquals("/x", server.getPath());
        answer.send(server);
        assertEquals(response, new String(client.getInputStream().readAllBytes(), StandardCharsets.ISO_8859_1));
    }

    @Test
    void aRequestRefusedForItsBodyStillGetsItsWholeResponse() throws IOException {
        // The response outgrows the client's small receive buffer, so most of it
        // is still queued at the server when the server closes: closing on unread
        // request bytes would reset the connection and discard that queue.
        Socket client = new Socket();
        sockets.add(client);
        client.setReceiveBufferSize(4096);
        client.setSoTimeout(60_000);
        client.connect(listener.getLocalSocketAddress());
        int length = 20_000;
        client.getOutputStream().write(ascii("POST /x HTTP/1.1\r\nContent-Length: " + length + "\r\n\r\n"
            + "b".repeat(length)));
        client.shutdownOutput();
        Socket accepted = listener.accept();
        sockets.add(accepted);
        accepted.setSendBufferSize(1 << 20);
        HttpServer server = new HttpServer(accepted);

        assertThrows(IllegalArgumentException.class, server::getPath);
        String body = "r".repeat(100_000);
        server.setResponseString(body);
        server.sendResponse();
        assertEquals("HTTP/1.1 200 OK\r\nContent-Length: " + body.length() + "\r\nContent-Type: text/html\r\n\r\n"
            + body, new String(client.getInputStream().readAllBytes(), StandardCharsets.ISO_8859_1));
    }
}
