package com.tessal.fmplugin;

import com.tessal.veskor.QuadChar;
import com.tessal.veskor.TessalPlugin;
import com.tessal.veskor.VersionInfo;
import com.tessal.veskor.types.FMText;
import com.tessal.veskor.types.FMType;
import java.util.logging.Logger;

/**
 * The database connector: calculation functions, all named "jdbc...", that
 * reach databases through JDBC drivers. This class holds the plug-in's
 * identity and its functions with their prototypes.
 */
public class JDBCPlugin extends TessalPlugin {
    private static final Logger log = Logger.getLogger(JDBCPlugin.class.getName());

    static final VersionInfo VERSION_INFO = new VersionInfo("1.7", "7/1/2008");

    private static final QuadChar SHORT_ID = new QuadChar("VJDB");

    @Override
    public QuadChar getShortId() {
        return SHORT_ID;
    }

    @Override
    public String getName() {
        return "Vantorel JDBC Plugin";
    }

    @Override
    public String getHelpText() {
        return "Connect directly to remote databases using JDBC calls";
    }

    @Override
    protected VersionInfo getVersion() {
        return VERSION_INFO;
    }

    /** The plug-in's version text. */
    public FMType jdbcVersion() {
        return defaultVersion();
    }

    public String jdbcVersionPrototype() {
        return "";
    }

    /** Why the last failing call failed; empty when the last call succeeded. */
    public FMText jdbcLastError() {
        return defaultLastError();
    }

    @Override
    public void shutdown() {
        log.config("JDBC plug-in shut down");
    }
}
