package com.tessal.fmplugin;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import com.tessal.veskor.FeedbackException;
import java.lang.reflect.Proxy;
import java.sql.Connection;
import java.sql.DatabaseMetaData;
import java.sql.Driver;
import java.sql.DriverManager;
import java.sql.DriverPropertyInfo;
import java.sql.SQLException;
import java.util.Properties;
import java.util.logging.Logger;
import org.junit.jupiter.api.Test;

/** A database whose driver says it cannot return generated keys. */
class GeneratedKeysTest {
    /** Connections whose metadata answers no to generated keys; anything else they are asked does nothing. */
    private static final class NoKeysDriver implements Driver {
        @Override
        public Connection connect(String url, Properties info) {
            if (!acceptsURL(url)) {
                return null;
            }
            DatabaseMetaData metadata = (DatabaseMetaData) Proxy.newProxyInstance(getClass().getClassLoader(),
                new Class<?>[] {DatabaseMetaData.class},
                (proxy, method, args) -> method.getName().equals("supportsGetGeneratedKeys") ? false : null);
            return (Connection) Proxy.newProxyInstance(getClass().getClassLoader(), new Class<?>[] {Connection.class},
                (proxy, method, args) -> method.getName().equals("getMetaData") ? metadata : null);
        }

        @Override
        public boolean acceptsURL(String url) {
            return url.startsWith("jdbc:nokeys:");
        }

        @Override
        public DriverPropertyInfo[] getPropertyInfo(String url, Properties info) {
            return new DriverPropertyInfo[0];
        }

        @Override
        public int getMajorVersion() {
            return 1;
        }

        @Override
        public int getMinorVersion() {
            return 0;
        }

        @Override
        public boolean jdbcCompliant() {
            return false;
        }

        @Override
        public Logger getParentLogger() {
            return Logger.getLogger("nokeys");
        }
    }

    @Test
    void askingForAKeyIsAFeedbackError() throws SQLException {
        Driver driver = new NoKeysDriver();
        DriverManager.registerDriver(driver);
        try {
            JdbcPluginModel model = new JdbcPluginModel();
            model.openDatabase("jdbc:nokeys:x", null, null, true);
            FeedbackException error = assertThrows(FeedbackException.class, () -> model.getAutoInsertedKeyWithName("1"));
            assertEquals("Retrieval of generated keys is not supported with this database type", error.getMessage());
        } finally {
            DriverManager.deregisterDriver(driver);
        }
    }
}
