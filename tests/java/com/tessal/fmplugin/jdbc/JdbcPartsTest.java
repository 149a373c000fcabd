package com.tessal.fmplugin.jdbc;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertSame;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.tessal.veskor.testing.HostHooks;
import com.tessal.veskor.testing.HostObjects;
import com.tessal.veskor.types.FMData;
import java.io.ByteArrayInputStream;
import java.io.InputStream;
import java.sql.SQLException;
import java.text.FieldPosition;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** The pieces around statements: the upload BLOB, the merge formatter, password masking. */
@ExtendWith(HostObjects.class)
class JdbcPartsTest {
    private static byte[] bytes(int count) {
        byte[] data = new byte[count];
        for (int i = 0; i < count; i++) {
            data[i] = (byte) i;
        }
        return data;
    }

    @Test
    void theBlobIsReadForwardOnly() throws SQLException {
        InputStreamBlob blob = new InputStreamBlob(new ByteArrayInputStream(bytes(10)), 10);
        assertEquals(10, blob.length());
        assertArrayEquals(new byte[] {0, 1, 2}, blob.getBytes(1, 3));
        assertArrayEquals(new byte[] {5, 6}, blob.getBytes(6, 2)); // skips forward
        assertEquals("Only forward sequential reads are supported",
            assertThrows(IllegalArgumentException.class, () -> blob.getBytes(2, 1)).getMessage());
        assertArrayEquals(new byte[] {7, 8, 9}, blob.getBytes(8, 3));
    }

    @Test
    void aSourceThatEndsEarlyIsAnErrorNotALoop() {
        InputStreamBlob blob = new InputStreamBlob(new ByteArrayInputStream(bytes(4)), 10);
        SQLException error = assertThrows(SQLException.class, () -> blob.getBytes(1, 10));
        assertEquals("Error reading from underlying InputStream", error.getMessage());
        InputStreamBlob skipping = new InputStreamBlob(new ByteArrayInputStream(bytes(4)), 10);
        assertThrows(SQLException.class, () -> skipping.getBytes(8, 1));
    }

    @Test
    void theBlobHandsOutItsStreamOnce() throws SQLException {
        InputStream source = new ByteArrayInputStream(bytes(3));
        InputStreamBlob blob = new InputStreamBlob(source, 3);
        assertSame(source, blob.getBinaryStream());
        assertThrows(IllegalArgumentException.class, () -> blob.getBytes(1, 1));
        assertEquals(null, blob.getBinaryStream(1, 1));
        assertThrows(UnsupportedOperationException.class, () -> blob.truncate(0));
    }

    @Test
    void mergedValuesBecomeQuestionMarksAndAreKeptInOrder() {
        long first = HostHooks.newValue();
        long second = HostHooks.newValue();
        try {
            HostHooks.setText(first, "42");
            HostHooks.setText(second, "x".repeat(150));
            PreparedStatementFormatter formatter = new PreparedStatementFormatter();
            StringBuffer out = new StringBuffer("id = ");
            formatter.format(new FMData(first), out, new FieldPosition(0));
            out.append(" AND note = ");
            formatter.format(new FMData(second), out, new FieldPosition(0));
            assertEquals("id = ? AND note = ?", out.toString());
            assertEquals("Bindings: [\"42\", \"" + "x".repeat(97) + "...\"]", formatter.toString());
            assertEquals("42", formatter.parameterIterator().next().getStringData());
            assertTrue(assertThrows(UnsupportedOperationException.class, () -> formatter.parseObject("?"))
                .getMessage().endsWith("parseObject method not implemented."));
        } finally {
            HostHooks.deleteValue(first);
            HostHooks.deleteValue(second);
        }
    }

    @ParameterizedTest
    @CsvSource(value = {
        "jdbc:postgresql://h/db?user=a&password=s3cret&ssl=true|jdbc:postgresql://h/db?user=a&password=****&ssl=true",
        "jdbc:sqlserver://h;user=a;Password=s3cret;db=x|jdbc:sqlserver://h;user=a;Password=****;db=x",
        "jdbc:mysql://h/db?pwd=a:b|jdbc:mysql://h/db?pwd=****",
        "jdbc:sqlite:/tmp/passwords.db|jdbc:sqlite:/tmp/passwords.db"}, delimiter = '|')
    void passwordsInUrlsAreMasked(String url, String masked) {
        assertEquals(masked, UrlPasswords.mask(url));
    }
}
