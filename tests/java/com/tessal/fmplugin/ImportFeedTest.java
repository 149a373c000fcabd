package com.tessal.fmplugin;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.net.Socket;
import java.net.URL;
import java.nio.charset.StandardCharsets;
import java.util.logging.Handler;
import java.util.logging.Level;
import java.util.logging.LogRecord;
import java.util.logging.Logger;
import org.junit.jupiter.api.Test;

/** The feed's listener, on a port the system chooses. */
class ImportFeedTest {
    /** The whole answer to a GET of the URL, read until the feed closes the connection. */
    private static String get(String url) throws IOException {
        URL target = new URL(url);
        try (Socket socket = new Socket(target.getHost(), target.getPort())) {
            // Only a guard against a hang on failure: the feed always closes.
            socket.setSoTimeout(60_000);
            OutputStream out = socket.getOutputStream();
            out.write(("GET " + target.getPath() + " HTTP/1.1\r\nHost: x\r\n\r\n").getBytes(StandardCharsets.US_ASCII));
            out.flush();
            InputStream in = socket.getInputStream();
            return new String(in.readAllBytes(), StandardCharsets.UTF_8);
        }
    }

    /**
     * A request whose failure cannot even be logged (the VM out of memory)
     * goes unanswered, and the feed serves the next one all the same.
     */
    @Test
    void theFeedServesOnWhenReportingAFailureFails() throws Exception {
        ImportFeed feed = new ImportFeed(new JdbcPluginModel(), 0);
        feed.start();
        Handler exhausted = new Handler() {
            @Override
            public void publish(LogRecord record) {
                if (record.getLevel().intValue() >= Level.WARNING.intValue()) {
                    throw new OutOfMemoryError("Java heap space");
                }
            }

            @Override
            public void flush() {
            }

            @Override
            public void close() {
            }
        };
        Logger root = Logger.getLogger("");
        try {
            root.addHandler(exhausted);
            try {
                assertEquals("", get(feed.url("null")));
            } finally {
                root.removeHandler(exhausted);
            }
            String answer = get(feed.url("null"));
            assertTrue(answer.contains("<ERRORCODE>802</ERRORCODE>"), answer);
        } finally {
            feed.stop();
        }
    }
}
