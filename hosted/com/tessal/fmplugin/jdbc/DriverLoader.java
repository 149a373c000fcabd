package com.tessal.fmplugin.jdbc;

import java.net.URL;
import java.net.URLClassLoader;
import java.sql.Connection;
import java.sql.Driver;
import java.sql.DriverManager;
import java.sql.DriverPropertyInfo;
import java.sql.SQLException;
import java.sql.SQLFeatureNotSupportedException;
import java.util.HashSet;
import java.util.Properties;
import java.util.Set;
import java.util.logging.Logger;

/**
 * Where JDBC drivers come from: a class loader of the plug-in's own, to
 * which the archives the user names are added for the life of the VM, in
 * front of the plug-in's classes. java.sql.DriverManager hands a caller only
 * the drivers its class loader can see, so every driver class found here is
 * also registered through a driver of the plug-in's, which passes each call
 * on.
 */
public final class DriverLoader {
    private final AddableLoader loader;
    private final Set<String> registered = new HashSet<>();

    /** Class loaders whose search path grows: archives are added with addURL. */
    private static final class AddableLoader extends URLClassLoader {
        static {
            ClassLoader.registerAsParallelCapable();
        }

        AddableLoader(ClassLoader parent) {
            super("jdbc-drivers", new URL[0], parent);
        }

        @Override
        public void addURL(URL url) {
            super.addURL(url);
        }
    }

    public DriverLoader(ClassLoader parent) {
        this.loader = new AddableLoader(parent);
    }

    /** The named class, initialised (a JDBC driver registers itself then), or null when it is nowhere. */
    public Class<?> load(String className) {
        try {
            Class<?> found = Class.forName(className, true, loader);
            registerIfHidden(found);
            return found;
        } catch (ClassNotFoundException e) {
            return null;
        }
    }

    /** Adds an archive to the search path; it stays there for the life of the VM. */
    public void addUrl(URL url) {
        loader.addURL(url);
    }

    private synchronized void registerIfHidden(Class<?> found) {
        if (found.getClassLoader() != loader || !Driver.class.isAssignableFrom(found)
            || !registered.add(found.getName())) {
            return;
        }
        try {
            Driver driver = (Driver) found.getDeclaredConstructor().newInstance();
            DriverManager.registerDriver(new Delegate(driver));
        } catch (ReflectiveOperationException | SQLException e) {
            registered.remove(found.getName());
            throw new IllegalStateException("Could not register the JDBC driver " + found.getName(), e);
        }
    }

    /** A driver the plug-in's classes can see, passing every call on to one they cannot. */
    private static final class Delegate implements Driver {
        private final Driver driver;

        Delegate(Driver driver) {
            this.driver = driver;
        }

        @Override
        public Connection connect(String url, Properties info) throws SQLException {
            return driver.connect(url, info);
        }

        @Override
        public boolean acceptsURL(String url) throws SQLException {
            return driver.acceptsURL(url);
        }

        @Override
        public DriverPropertyInfo[] getPropertyInfo(String url, Properties info) throws SQLException {
            return driver.getPropertyInfo(url, info);
        }

        @Override
        public int getMajorVersion() {
            return driver.getMajorVersion();
        }

        @Override
        public int getMinorVersion() {
            return driver.getMinorVersion();
        }

        @Override
        public boolean jdbcCompliant() {
            return driver.jdbcCompliant();
        }

        @Override
        public Logger getParentLogger() throws SQLFeatureNotSupportedException {
            return driver.getParentLogger();
        }

        @Override
        public String toString() {
            return "Delegate{" + driver + "}";
        }
    }
}
