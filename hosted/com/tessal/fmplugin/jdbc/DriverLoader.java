package com.tessal.fmplugin.jdbc;

import java.io.IOException;
import java.io.InputStream;
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
import java.util.zip.ZipInputStream;
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
    private static final int READ_BUFFER = 8192;

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

    /**
     * Throws when an archive is damaged: an entry that does not read whole
     * or fails its checksum, or a named class that the archive holds but
     * this VM cannot define (a corrupt class file, one built for a newer
     * Java). Such an archive must stay off the search path, where it would
     * stand in front of every sound copy of the driver added after it. A
     * file that is no archive at all passes: it adds no class.
     */
    public void checkArchive(URL url, String className) throws IOException {
        try (InputStream in = url.openStream(); ZipInputStream entries = new ZipInputStream(in)) {
            byte[] buffer = new byte[READ_BUFFER];
            while (entries.getNextEntry() != null) {
                while (entries.read(buffer) >= 0) {
                    // ZipInputStream checks each entry's size and checksum at its end.
                }
            }
        }
        try (URLClassLoader probe = new URLClassLoader(new URL[] {url}, loader)) {
            Class.forName(className, false, probe);
        } catch (ClassNotFoundException e) {
            // Not in this archive: the caller tells the user.
        } catch (LinkageError e) {
            throw new IOException(e.toString(), e);
        }
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
