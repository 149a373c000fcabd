import java.sql.Connection;
import java.sql.DriverManager;
import java.sql.PreparedStatement;
import java.sql.ResultSet;
import java.sql.Statement;

/**
 * The plain Java side of the rows benchmark: makes the table of ROWS rows
 * of five mixed columns, or walks it with ResultSet.next and getObject and
 * prints rows per second.
 *
 *   java -cp DRIVER.jar PlainRead.java create URL ROWS
 *   java -cp DRIVER.jar PlainRead.java read URL
 */
public class PlainRead {
    public static void main(String[] args) throws Exception {
        try (Connection connection = DriverManager.getConnection(args[1])) {
            if (args[0].equals("create")) {
                create(connection, Integer.parseInt(args[2]));
            } else {
                read(connection);
            }
        }
    }

    private static void create(Connection connection, int rows) throws Exception {
        try (Statement statement = connection.createStatement()) {
            statement.execute("DROP TABLE IF EXISTS rows_bench");
            statement.execute("CREATE TABLE rows_bench ( id INTEGER, name VARCHAR(40), amount NUMERIC(12,2),"
                + " created TIMESTAMP, note VARCHAR(80) )");
        }
        connection.setAutoCommit(false);
        try (PreparedStatement insert = connection.prepareStatement("INSERT INTO rows_bench VALUES ( ?, ?, ?, ?, ? )")) {
            for (int i = 1; i <= rows; i++) {
                insert.setInt(1, i);
                insert.setString(2, "customer " + i);
                insert.setBigDecimal(3, java.math.BigDecimal.valueOf(i * 7L, 2));
                insert.setTimestamp(4, new java.sql.Timestamp(1_200_000_000_000L + i * 60_000L));
                insert.setString(5, "note for row " + i + " with a little text in it");
                insert.addBatch();
                if (i % 1000 == 0) {
                    insert.executeBatch();
                }
            }
            insert.executeBatch();
        }
        connection.commit();
    }

    private static void read(Connection connection) throws Exception {
        long start = System.nanoTime();
        int rows = 0;
        long sum = 0;
        try (Statement statement = connection.createStatement();
            ResultSet result = statement.executeQuery("SELECT id, name, amount, created, note FROM rows_bench")) {
            while (result.next()) {
                for (int column = 1; column <= 5; column++) {
                    Object value = result.getObject(column);
                    sum += value == null ? 0 : 1;
                }
                rows++;
            }
        }
        double seconds = (System.nanoTime() - start) / 1e9;
        System.out.printf("%d %.0f%n", rows, rows / seconds);
        if (sum != rows * 5L) {
            throw new IllegalStateException("null values read");
        }
    }
}
