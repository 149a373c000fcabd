package com.tessal.veskor;

import java.security.Permission;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * The process-wide security manager the bridge installs: it permits
 * everything but replacing itself, so that code loaded later into the host's
 * Java VM cannot take the plug-in's place.
 */
@SuppressWarnings("removal")
final class PluginSecurityManager extends SecurityManager {
    private static final Logger log = Logger.getLogger(PluginSecurityManager.class.getName());
    static final String REFUSAL =
        "You cannot change the security manager once it is installed by the Vantorel plugin library";

    @Override
    public void checkPermission(Permission perm) {
        if ("setSecurityManager".equals(perm.getName())) {
            log.log(Level.INFO, REFUSAL);
            throw new SecurityException(REFUSAL);
        }
    }

    @Override
    public void checkPermission(Permission perm, Object context) {
        checkPermission(perm);
    }
}
